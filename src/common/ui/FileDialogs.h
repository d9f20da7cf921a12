#pragma once

#include <QString>

#include <deque>
#include <vector>

class QWidget;

// The open and save dialogs of the Load and Save commands: one file type, "DAT File
// (*.dat)"; a name typed without an extension gets ".dat"; the open dialog does not insist
// that the file exists; the save dialog replaces an existing file without asking. Tests
// switch on the test mode: nothing is shown, every dialog is recorded, and the file names
// come from a queue (an empty name, or an empty queue, is Cancel).
class FileDialogs {
public:
    static constexpr const char* Filter = "DAT File (*.dat)";
    static constexpr const char* DefaultSuffix = "dat";

    enum class Kind { Open, Save };
    struct Shown {
        Kind Dialog;
        QString ObjectName; // OpenDialog1 or SaveDialog1
        QString Preset;     // the file name preset in the save dialog
        QString Filter;
    };

    // The chosen file, or an empty text when the user cancelled.
    static QString Open(QWidget* parent);
    static QString Save(QWidget* parent, const QString& presetName);
    // The save dialog of an export: `filter` as "CSV File (*.csv)", `suffix` added to a name
    // typed without one. Otherwise as Save (SaveDialog1, recorded in the test mode).
    static QString SaveAs(QWidget* parent, const QString& presetName, const char* filter, const char* suffix);

    // The open dialog of a file of another kind: `filter` as "PAD File (*.xml)"; `suffix`
    // (none when null) added to a name typed without one. Otherwise as Open.
    static QString OpenAs(QWidget* parent, const char* filter, const char* suffix = nullptr);
    // `name` with ".dat" appended when it has no extension.
    static QString WithDefaultSuffix(const QString& name, const char* suffix = DefaultSuffix);

    static void setTestMode(bool on);
    static void setNextFileName(const QString& name);
    static const std::vector<Shown>& shown();
    static void clearShown();

private:
    static QString Run(QWidget* parent, Kind kind, const QString& preset, const char* filter, const char* suffix);
};
