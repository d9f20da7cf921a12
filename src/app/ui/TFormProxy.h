#pragma once

#include "common/ProxySetting.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Settings > Proxy...: whether runs go through an HTTP proxy, and its host and port. OK
// checks the boxes (when the proxy is used) and refuses a bad value with a message naming
// the fault, the dialog staying open; Cancel and the close box keep the setting as it was.
// The boxes' host and port stay filled in while the proxy is switched off.
class TFormProxy : public QDialog {
    Q_OBJECT
public:
    explicit TFormProxy(QWidget* parent);

    QCheckBox* CheckBoxUseProxy() const { return checkUse_; }
    QLineEdit* EditProxyHost() const { return editHost_; }
    QLineEdit* EditProxyPort() const { return editPort_; }
    QPushButton* ButtonOk() const { return buttonOk_; }
    QPushButton* ButtonCancel() const { return buttonCancel_; }

    // Fills the boxes from `value`.
    void SetValue(const ProxySetting& value);
    // The setting the user accepted.
    const ProxySetting& Value() const { return value_; }

    // Shows the dialog modally; true when it was accepted. With a test hook set, the dialog
    // is shown without a modal loop, the hook drives it, and a dialog the hook leaves open is
    // cancelled.
    bool ShowModal();
    static void setExecHook(std::function<void(TFormProxy&)> hook);
    // The browser goes through `proxy` from now on (Qt's application proxy, the system's
    // configuration no longer used), or directly when it is not used.
    static void UseInBrowser(const ProxySetting& proxy);

    void ButtonOkClick();

private:
    void UseProxyChanged();

    QCheckBox* checkUse_;
    QLabel* labelHost_;
    QLabel* labelPort_;
    QLineEdit* editHost_;
    QLineEdit* editPort_;
    QPushButton* buttonOk_;
    QPushButton* buttonCancel_;
    ProxySetting value_;
};
