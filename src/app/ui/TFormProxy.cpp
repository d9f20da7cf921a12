#include "app/ui/TFormProxy.h"

#include "common/ui/DialogButtons.h"
#include "common/ui/ErrorGuard.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ModalHook.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QPushButton>
#include <QVBoxLayout>

TFormProxy::TFormProxy(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormProxy"));
    setWindowTitle(QStringLiteral("Proxy"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    checkUse_ = new QCheckBox(QStringLiteral("Use a proxy"), this);
    checkUse_->setObjectName(QStringLiteral("CheckBoxUseProxy"));
    labelHost_ = new QLabel(QStringLiteral("Host:"), this);
    labelHost_->setObjectName(QStringLiteral("LabelProxyHost"));
    labelPort_ = new QLabel(QStringLiteral("Port:"), this);
    labelPort_->setObjectName(QStringLiteral("LabelProxyPort"));
    editHost_ = new QLineEdit(this);
    editHost_->setObjectName(QStringLiteral("EditProxyHost"));
    editPort_ = new QLineEdit(this);
    editPort_->setObjectName(QStringLiteral("EditProxyPort"));
    labelHost_->setBuddy(editHost_);
    labelPort_->setBuddy(editPort_);

    const DialogButtons buttons = DialogButtons::Make(this);
    buttonOk_ = buttons.Ok;
    buttonCancel_ = buttons.Cancel;

    auto* form = new QFormLayout;
    form->addRow(labelHost_, editHost_);
    form->addRow(labelPort_, editPort_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(checkUse_);
    layout->addLayout(form);
    layout->addLayout(buttons.Row);

    connect(checkUse_, &QCheckBox::toggled, this, [this] { UseProxyChanged(); });
    connect(buttonOk_, &QPushButton::clicked, this, [this] { ErrorGuard::Run([this] { ButtonOkClick(); }); });
    resize(300, 130);
    UseProxyChanged();
}

void TFormProxy::SetValue(const ProxySetting& value)
{
    value_ = value;
    checkUse_->setChecked(value.Used());
    if (value.Used()) {
        editHost_->setText(LocalText::ToQ(value.Host));
        editPort_->setText(QString::number(value.Port));
    }
    UseProxyChanged();
}

void TFormProxy::UseProxyChanged()
{
    editHost_->setEnabled(checkUse_->isChecked());
    editPort_->setEnabled(checkUse_->isChecked());
}

void TFormProxy::ButtonOkClick()
{
    if (!checkUse_->isChecked()) {
        value_ = ProxySetting{};
        accept();
        return;
    }
    const std::string host = LocalText::ToBytes(editHost_->text());
    const std::string port = LocalText::ToBytes(editPort_->text());
    const std::string fault = ProxySetting::Check(host, port);
    if (!fault.empty()) {
        MessageBoxes::Show(QString::fromUtf8(fault.c_str()));
        (fault == ProxySetting::NoPortText || fault == ProxySetting::BadPortText ? editPort_ : editHost_)->setFocus();
        return;
    }
    value_ = *ProxySetting::Make(host, port);
    accept();
}

bool TFormProxy::ShowModal()
{
    return ExecOrHook(*this, ExecHookOf<TFormProxy>());
}

void TFormProxy::setExecHook(std::function<void(TFormProxy&)> hook)
{
    ExecHookOf<TFormProxy>() = std::move(hook);
}

void TFormProxy::UseInBrowser(const ProxySetting& proxy)
{
    // The browser takes Qt's application proxy when the system's configuration is not used.
    if (proxy.Used()) {
        QNetworkProxyFactory::setUseSystemConfiguration(false);
        QNetworkProxy::setApplicationProxy(
            QNetworkProxy(QNetworkProxy::HttpProxy, LocalText::ToQ(proxy.Host), static_cast<quint16>(proxy.Port)));
    } else {
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    }
}
