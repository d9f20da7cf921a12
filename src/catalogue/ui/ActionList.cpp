#include "catalogue/ui/ActionList.h"

#include "common/ui/ErrorGuard.h"
#include "common/ui/ToolBars.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

ActionList::ActionList(QWidget* window) : window_(window), owner_(new QObject(window))
{
    owner_->setObjectName(QStringLiteral("ActionList1"));
}

QAction* ActionList::Make(const char* name, const char* category, const char* caption, std::function<void()> run)
{
    QAction* a = MakeKey(name, QKeySequence(), std::move(run));
    a->setText(QString::fromUtf8(caption));
    a->setProperty("Category", QString::fromUtf8(category));
    return a;
}

QAction* ActionList::MakeKey(const char* name, const QKeySequence& key, std::function<void()> run)
{
    auto* a = new QAction(owner_);
    a->setObjectName(QString::fromUtf8(name));
    a->setShortcut(key);
    window_->addAction(a);
    QObject::connect(a, &QAction::triggered, window_, [run = std::move(run)] { ErrorGuard::Run(run); });
    actions_[name] = a;
    return a;
}

QMenu* ActionList::Popup(const char* name) const
{
    auto* m = new QMenu(window_);
    m->setObjectName(QString::fromUtf8(name));
    return m;
}

QAction* ActionList::Entry(QMenu* menu, const char* name, const char* actionName) const
{
    return ToolBars::AddEntry(menu, name, (*this)(actionName));
}
