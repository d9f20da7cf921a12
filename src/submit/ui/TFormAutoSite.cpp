#include "submit/ui/TFormAutoSite.h"

#include "common/ui/DialogButtons.h"
#include "common/ui/ErrorGuard.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ModalHook.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormAutoSite::TFormAutoSite(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAutoSite"));
    setWindowTitle(QStringLiteral("Automatic Site"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);

    auto* form = new QFormLayout;
    auto row = [this, form](const char* labelName, const char* caption, QWidget* field, const char* fieldName) {
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        label->setObjectName(QString::fromUtf8(labelName));
        label->setBuddy(field);
        field->setObjectName(QString::fromUtf8(fieldName));
        form->addRow(label, field);
    };
    editTitle_ = new QLineEdit(this);
    editScript_ = new QLineEdit(this);
    comboMethod_ = new QComboBox(this);
    comboMethod_->addItems({QStringLiteral("GET"), QStringLiteral("POST")});
    editLink_ = new QLineEdit(this);
    editCategory_ = new QLineEdit(this);
    editEmail_ = new QLineEdit(this);
    editMarker_ = new QLineEdit(this);
    row("LabelSiteTitle", "Title:", editTitle_, "EditSiteTitle");
    row("LabelSiteScript", "Script address:", editScript_, "EditSiteScript");
    row("LabelSiteMethod", "Method:", comboMethod_, "ComboBoxSiteMethod");
    row("LabelSiteLinkField", "PAD-link field:", editLink_, "EditSiteLinkField");
    row("LabelSiteCategoryField", "Category field:", editCategory_, "EditSiteCategoryField");
    row("LabelSiteEmailField", "E-mail field:", editEmail_, "EditSiteEmailField");
    row("LabelSiteMarker", "Success marker:", editMarker_, "EditSiteMarker");

    const DialogButtons buttons = DialogButtons::Make(this);
    buttonOk_ = buttons.Ok;
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons.Row);

    connect(buttonOk_, &QPushButton::clicked, this, [this] { ErrorGuard::Run([this] { ButtonOkClick(); }); });
    resize(420, 260);
}

void TFormAutoSite::SetSite(const SiteRecord& site)
{
    site_ = site;
    editTitle_->setText(LocalText::ToQ(site.Title));
    editScript_->setText(LocalText::ToQ(site.ScriptUrl));
    comboMethod_->setCurrentIndex(site.Method == "POST" ? 1 : 0);
    editLink_->setText(LocalText::ToQ(site.LinkField));
    editCategory_->setText(LocalText::ToQ(site.CategoryField));
    editEmail_->setText(LocalText::ToQ(site.EmailField));
    editMarker_->setText(LocalText::ToQ(site.SuccessMarker));
    editTitle_->setFocus();
}

void TFormAutoSite::SetNew()
{
    SetSite(SiteRecord{"", "", "GET", "padurl", "padcat", "", "successfully", true});
}

void TFormAutoSite::ButtonOkClick()
{
    SiteRecord site{LocalText::ToBytes(editTitle_->text()),          LocalText::ToBytes(editScript_->text()),
                    LocalText::ToBytes(comboMethod_->currentText()), LocalText::ToBytes(editLink_->text()),
                    LocalText::ToBytes(editCategory_->text()),       LocalText::ToBytes(editEmail_->text()),
                    LocalText::ToBytes(editMarker_->text()),         true};
    const std::string refusal = check_ ? check_(site) : std::string();
    if (!refusal.empty()) {
        MessageBoxes::Show(Phrase(refusal));
        return;
    }
    site_ = std::move(site);
    accept();
}

bool TFormAutoSite::ShowModal()
{
    return ExecOrHook(*this, ExecHookOf<TFormAutoSite>());
}

void TFormAutoSite::setExecHook(std::function<void(TFormAutoSite&)> hook)
{
    ExecHookOf<TFormAutoSite>() = std::move(hook);
}
