#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

// Submit > Site Sets > Save Checked Sites As... and Delete...: the name of a set, typed or
// picked from those kept (Delete only picks). OK refuses a name that cannot be kept (empty,
// "|", a control character, too long), with a message, the dialog staying open. Cancel and
// the close box change nothing.
class TFormSiteSet : public QDialog {
    Q_OBJECT
public:
    enum class Purpose { Save, Delete };
    explicit TFormSiteSet(QWidget* parent);

    // The names to offer, and whether a new one may be typed.
    void Prepare(Purpose purpose, const std::vector<std::string>& names);
    const std::string& Value() const { return value_; }
    QComboBox* ComboBoxName() const { return combo_; }
    QPushButton* ButtonOk() const { return buttonOk_; }

    // As the other dialogs: modal, or driven by the test hook when one is set.
    bool ShowModal();
    static void setExecHook(std::function<void(TFormSiteSet&)> hook);

    void ButtonOkClick();

private:
    QLabel* label_;
    QComboBox* combo_;
    QPushButton* buttonOk_;
    std::string value_;
};
