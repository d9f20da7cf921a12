#pragma once

class QDialog;
class QHBoxLayout;
class QPushButton;

// The OK and Cancel buttons of the program's small dialogs ("ButtonOk", the default button,
// and "ButtonCancel", which rejects the dialog), right-aligned in a row of their own.
struct DialogButtons {
    QPushButton* Ok = nullptr;
    QPushButton* Cancel = nullptr;
    QHBoxLayout* Row = nullptr;

    static DialogButtons Make(QDialog* dialog);
};
