#include "common/ui/DialogButtons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

DialogButtons DialogButtons::Make(QDialog* dialog)
{
    DialogButtons b;
    b.Ok = new QPushButton(QStringLiteral("OK"), dialog);
    b.Ok->setObjectName(QStringLiteral("ButtonOk"));
    b.Ok->setDefault(true);
    b.Cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    b.Cancel->setObjectName(QStringLiteral("ButtonCancel"));
    QObject::connect(b.Cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    b.Row = new QHBoxLayout;
    b.Row->addStretch();
    b.Row->addWidget(b.Ok);
    b.Row->addWidget(b.Cancel);
    return b;
}
