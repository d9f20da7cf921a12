#pragma once

#include <QString>

#include <deque>
#include <vector>

class QWidget;

// The program's message boxes: plain ones (the application title as caption, an OK
// button, no icon) and the OK/Cancel question of the delete commands. Tests switch on the
// test mode: nothing is shown, every box is recorded, and questions take their answers
// from a queue (OK when it is empty).
class MessageBoxes {
public:
    enum class Buttons { Ok, OkCancel };
    enum class Answer { Ok, Cancel };
    struct Shown {
        QString Text; // exactly as composed (CR line ends kept)
        QString Caption;
        Buttons Kind;
    };

    // The application title: the caption of every plain message box.
    static void SetTitle(const QString& title);
    static QString Title();

    static void Show(const QString& text);
    static Answer Ask(const QString& text, const QString& caption);

    static void setTestMode(bool on);
    static bool testMode();
    static void setNextAnswer(Answer answer);
    static const std::vector<Shown>& shown();
    static void clearShown();

private:
    static Answer Run(const QString& text, const QString& caption, Buttons kind);
};
