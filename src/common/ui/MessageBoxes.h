#pragma once

#include "common/Phrase.h"

#include <QString>

#include <deque>
#include <vector>

class QWidget;

// The program's message boxes: plain ones (the application title as caption, an OK
// button, no icon), the OK/Cancel question of the delete commands and the Yes/No/Cancel
// question asked before changes are dropped. Tests switch on the test mode: nothing is
// shown, every box is recorded, and questions take their answers from a queue (when it is
// empty: OK, or Yes).
//
// A text given as a Phrase is shown in the language applied; a QString is shown as it is
// (the fixed English texts, and texts that are data alone).
class MessageBoxes {
public:
    enum class Buttons { Ok, OkCancel, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };
    struct Shown {
        QString Text; // as shown, in the language applied (CR line ends kept)
        QString Caption;
        Buttons Kind;
    };

    // The application title: the caption of every plain message box.
    static void SetTitle(const QString& title);
    static QString Title();

    static void Show(const QString& text);
    static void Show(const Phrase& text);
    static Answer Ask(const QString& text, const QString& caption);
    static Answer Ask(const Phrase& text, const QString& caption);
    // Yes, No or Cancel (also the close box and Escape).
    static Answer AskYesNoCancel(const QString& text, const QString& caption);
    static Answer AskYesNoCancel(const Phrase& text, const QString& caption);

    static void setTestMode(bool on);
    static bool testMode();
    static void setNextAnswer(Answer answer);
    static const std::vector<Shown>& shown();
    static void clearShown();

private:
    static Answer Run(const QString& text, const QString& caption, Buttons kind);
};
