#pragma once

#include "submit/SiteTable.h"

#include <QDialog>

#include <functional>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;

// Add Site... and Edit Site...: the seven fields of one of the author's own automatic sites.
// OK asks the check it is given (the list's own rules) and, when it refuses, shows the reason
// and stays open; Cancel and the close box change nothing.
class TFormAutoSite : public QDialog {
    Q_OBJECT
public:
    explicit TFormAutoSite(QWidget* parent);

    // Fills the boxes: a new site gets GET, padurl, padcat, no e-mail field and successfully.
    void SetSite(const SiteRecord& site);
    void SetNew();
    // The site the user accepted.
    const SiteRecord& Site() const { return site_; }
    // Why a site cannot be taken, or an empty text.
    void SetCheck(std::function<std::string(const SiteRecord&)> check) { check_ = std::move(check); }

    QLineEdit* EditTitle() const { return editTitle_; }
    QLineEdit* EditScript() const { return editScript_; }
    QComboBox* ComboMethod() const { return comboMethod_; }
    QLineEdit* EditLinkField() const { return editLink_; }
    QLineEdit* EditCategoryField() const { return editCategory_; }
    QLineEdit* EditEmailField() const { return editEmail_; }
    QLineEdit* EditMarker() const { return editMarker_; }
    QPushButton* ButtonOk() const { return buttonOk_; }

    // Shows the dialog modally; true when it was accepted. With a test hook set, the dialog
    // is shown without a modal loop, the hook drives it, and a dialog it leaves open is cancelled.
    bool ShowModal();
    static void setExecHook(std::function<void(TFormAutoSite&)> hook);

    void ButtonOkClick();

private:
    QLineEdit* editTitle_;
    QLineEdit* editScript_;
    QComboBox* comboMethod_;
    QLineEdit* editLink_;
    QLineEdit* editCategory_;
    QLineEdit* editEmail_;
    QLineEdit* editMarker_;
    QPushButton* buttonOk_;
    SiteRecord site_;
    std::function<std::string(const SiteRecord&)> check_;
};
