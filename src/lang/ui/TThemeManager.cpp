#include "lang/ui/TThemeManager.h"

#include <QWidget>

#include <stdexcept>

QObject* TThemeManager::CheckedOwner(QObject* owner)
{
    auto* form = qobject_cast<QWidget*>(owner);
    if (!form || !form->isWindow()) throw std::logic_error(NotAFormError);
    if (!form->findChildren<TThemeManager*>(QString(), Qt::FindDirectChildrenOnly).isEmpty())
        throw std::logic_error(SecondInstanceError);
    return owner;
}

TThemeManager::TThemeManager(QObject* owner) : QObject(CheckedOwner(owner))
{
    setObjectName(QStringLiteral("ThemeManager1"));
}
