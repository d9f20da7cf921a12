#pragma once

#include <QString>

#include <string>

class ProgramFiles;
class QWidget;

// The help text of the language shown: Help > Content opens it with the desktop's program for
// text files, or in our own viewer where there is none; the help at a section (F1) always
// opens in our own viewer, which can find the section.
//
// GUI thread; `files`, `language` and `window` outlive it.
class WindowHelp {
public:
    WindowHelp(const ProgramFiles& files, const std::string& language, QWidget* window)
        : files_(files), language_(language), window_(window)
    {}

    void Content() const;
    // At the section whose heading holds `heading`.
    void At(const QString& heading) const;

private:
    const ProgramFiles& files_;
    const std::string& language_; // the window's current language
    QWidget* window_;
};
