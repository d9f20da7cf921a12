#pragma once

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;

// The help text in a read-only window of the program's own, for desktops that have no
// program for text files. The file is read as UTF-8 and its path is the window's title.
// Ctrl+F opens a find box: Enter (or typing) finds the next match, going round to the top
// after the last one; Escape closes the box, and with the box closed, the window. One
// viewer per owner: Open shows the one already there with the new file. Open can show a
// section at the top of the view, found by words of its heading.
class THelpViewer : public QWidget {
    Q_OBJECT
public:
    // Shows `path` in the viewer owned by `owner`, made on first use, at the first section
    // whose heading holds `heading` (at the top when none does, or `heading` is empty).
    // False (and no window) when the file cannot be read.
    static bool Open(const QString& path, QWidget* owner, const QString& heading = {});

    explicit THelpViewer(QWidget* owner);
    bool Load(const QString& path);
    // Finds the next match of the find box's text after the selection, going round once.
    bool FindNext();
    // Scrolls the first section whose heading holds `heading` to the top and puts the
    // cursor at its heading; false, and the view left as it is, when no heading holds it.
    bool ShowSection(const QString& heading);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowFind();
    // The find box and the names in the language applied last; again at each change.
    void Recaption();

    QPlainTextEdit* text_;
    QLineEdit* find_;
};
