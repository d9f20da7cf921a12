#include "submit/ui/TFormSiteSet.h"

#include "common/ui/DialogButtons.h"
#include "common/ui/ErrorGuard.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ModalHook.h"
#include "submit/SiteSets.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormSiteSet::TFormSiteSet(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormSiteSet"));
    setWindowTitle(QStringLiteral("Site Set"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);

    label_ = new QLabel(QStringLiteral("Name of the site set:"), this);
    label_->setObjectName(QStringLiteral("LabelSiteSetName"));
    combo_ = new QComboBox(this);
    combo_->setObjectName(QStringLiteral("ComboBoxSiteSetName"));
    combo_->setInsertPolicy(QComboBox::NoInsert);
    label_->setBuddy(combo_);
    const DialogButtons buttons = DialogButtons::Make(this);
    buttonOk_ = buttons.Ok;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(combo_);
    layout->addLayout(buttons.Row);

    connect(buttonOk_, &QPushButton::clicked, this, [this] { ErrorGuard::Run([this] { ButtonOkClick(); }); });
    resize(320, 110);
}

void TFormSiteSet::Prepare(Purpose purpose, const std::vector<std::string>& names)
{
    combo_->clear();
    combo_->setEditable(purpose == Purpose::Save);
    if (combo_->lineEdit()) combo_->lineEdit()->setMaxLength(static_cast<int>(SiteSets::MaxName));
    for (const std::string& name : names) combo_->addItem(LocalText::ToQ(name));
    combo_->setCurrentIndex(purpose == Purpose::Save ? -1 : 0);
    if (purpose == Purpose::Save) combo_->setEditText(QString());
    value_.clear();
}

void TFormSiteSet::ButtonOkClick()
{
    const std::string name = LocalText::ToBytes(combo_->currentText());
    const std::string refusal = SiteSets::CheckName(name);
    if (!refusal.empty()) {
        MessageBoxes::Show(Phrase(refusal));
        return;
    }
    value_ = name;
    accept();
}

bool TFormSiteSet::ShowModal()
{
    return ExecOrHook(*this, ExecHookOf<TFormSiteSet>());
}

void TFormSiteSet::setExecHook(std::function<void(TFormSiteSet&)> hook)
{
    ExecHookOf<TFormSiteSet>() = std::move(hook);
}
