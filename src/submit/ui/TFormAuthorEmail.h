#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QLineEdit;
class QPushButton;

// Settings > Author E-mail...: the address sent to the author's own sites that name an e-mail
// field. OK refuses an address that could not be one (a blank, a control character, no "@"),
// with a message, the dialog staying open; an empty box means no address. Cancel and the
// close box keep the address as it was.
class TFormAuthorEmail : public QDialog {
    Q_OBJECT
public:
    explicit TFormAuthorEmail(QWidget* parent);

    void SetValue(const std::string& address);
    const std::string& Value() const { return value_; }
    QLineEdit* EditAuthorEmail() const { return edit_; }
    QPushButton* ButtonOk() const { return buttonOk_; }

    // As the other dialogs: modal, or driven by the test hook when one is set.
    bool ShowModal();
    static void setExecHook(std::function<void(TFormAuthorEmail&)> hook);

    void ButtonOkClick();

private:
    QLineEdit* edit_;
    QPushButton* buttonOk_;
    std::string value_;
};
