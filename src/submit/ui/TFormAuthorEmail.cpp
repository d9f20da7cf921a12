#include "submit/ui/TFormAuthorEmail.h"

#include "common/ui/DialogButtons.h"
#include "common/ui/ErrorGuard.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ModalHook.h"
#include "submit/OwnSites.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormAuthorEmail::TFormAuthorEmail(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAuthorEmail"));
    setWindowTitle(QStringLiteral("Author E-mail"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);

    auto* label = new QLabel(QStringLiteral("E-mail address for your own sites:"), this);
    label->setObjectName(QStringLiteral("LabelAuthorEmail"));
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("EditAuthorEmail"));
    label->setBuddy(edit_);
    const DialogButtons buttons = DialogButtons::Make(this);
    buttonOk_ = buttons.Ok;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(edit_);
    layout->addLayout(buttons.Row);

    connect(buttonOk_, &QPushButton::clicked, this, [this] { ErrorGuard::Run([this] { ButtonOkClick(); }); });
    resize(320, 110);
}

void TFormAuthorEmail::SetValue(const std::string& address)
{
    value_ = address;
    edit_->setText(LocalText::ToQ(address));
}

void TFormAuthorEmail::ButtonOkClick()
{
    const std::string address = LocalText::ToBytes(edit_->text());
    const std::string refusal = OwnSites::CheckEmail(address);
    if (!refusal.empty()) {
        MessageBoxes::Show(Phrase(refusal));
        return;
    }
    value_ = address;
    accept();
}

bool TFormAuthorEmail::ShowModal()
{
    return ExecOrHook(*this, ExecHookOf<TFormAuthorEmail>());
}

void TFormAuthorEmail::setExecHook(std::function<void(TFormAuthorEmail&)> hook)
{
    ExecHookOf<TFormAuthorEmail>() = std::move(hook);
}
