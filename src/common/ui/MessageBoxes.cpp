#include "common/ui/MessageBoxes.h"

#include "common/ui/ShownText.h"

#include <QApplication>
#include <QMessageBox>

namespace {

struct State {
    QString title = QStringLiteral("Quillpost");
    bool testMode = false;
    std::deque<MessageBoxes::Answer> answers;
    std::vector<MessageBoxes::Shown> shown;
};

State& S()
{
    static State s;
    return s;
}

} // namespace

void MessageBoxes::SetTitle(const QString& title)
{
    S().title = title;
}

QString MessageBoxes::Title()
{
    return S().title;
}

void MessageBoxes::Show(const QString& text)
{
    Run(text, S().title, Buttons::Ok);
}

void MessageBoxes::Show(const Phrase& text)
{
    Run(ShownText::Message(text), S().title, Buttons::Ok);
}

MessageBoxes::Answer MessageBoxes::Ask(const QString& text, const QString& caption)
{
    return Run(text, caption, Buttons::OkCancel);
}

MessageBoxes::Answer MessageBoxes::Ask(const Phrase& text, const QString& caption)
{
    return Run(ShownText::Message(text), caption, Buttons::OkCancel);
}

MessageBoxes::Answer MessageBoxes::AskYesNoCancel(const QString& text, const QString& caption)
{
    return Run(text, caption, Buttons::YesNoCancel);
}

MessageBoxes::Answer MessageBoxes::AskYesNoCancel(const Phrase& text, const QString& caption)
{
    return Run(ShownText::Message(text), caption, Buttons::YesNoCancel);
}

MessageBoxes::Answer MessageBoxes::Run(const QString& text, const QString& caption, Buttons kind)
{
    State& s = S();
    if (s.testMode) {
        s.shown.push_back({text, caption, kind});
        if (kind == Buttons::Ok) return Answer::Ok;
        if (s.answers.empty()) return kind == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
        Answer a = s.answers.front();
        s.answers.pop_front();
        return a;
    }
    // Messages end their lines with CR; a label breaks lines at LF.
    QString shownText = text;
    shownText.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (shownText.endsWith(QLatin1Char('\n'))) shownText.chop(1);
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if (kind == Buttons::OkCancel) buttons = QMessageBox::Ok | QMessageBox::Cancel;
    if (kind == Buttons::YesNoCancel) buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QMessageBox box(QMessageBox::NoIcon, caption, shownText, buttons, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextFormat(Qt::PlainText); // a file name or an error text is never markup
    if (kind == Buttons::YesNoCancel) {
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

void MessageBoxes::setTestMode(bool on)
{
    S().testMode = on;
    S().answers.clear();
}

bool MessageBoxes::testMode()
{
    return S().testMode;
}

void MessageBoxes::setNextAnswer(Answer answer)
{
    S().answers.push_back(answer);
}

const std::vector<MessageBoxes::Shown>& MessageBoxes::shown()
{
    return S().shown;
}

void MessageBoxes::clearShown()
{
    S().shown.clear();
}
