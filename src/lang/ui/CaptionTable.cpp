#include "lang/ui/CaptionTable.h"

#include "common/ui/LocalText.h"
#include "lang/LanguageKeys.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QStringList>
#include <QTabWidget>

CaptionTable::CaptionTable(QWidget* mainWindow, QTabWidget* pageControl)
    : mainWindow_(mainWindow), pageControl_(pageControl)
{}

CaptionTable::Slot CaptionTable::SlotOf(QObject* o) const
{
    if (!o) return {};
    if (auto* a = qobject_cast<QAction*>(o))
        return {[a] { return a->text(); }, [a](const QString& t) { a->setText(t); }};
    if (auto* m = qobject_cast<QMenu*>(o))
        return {[m] { return m->title(); }, [m](const QString& t) { m->setTitle(t); }};
    auto* w = qobject_cast<QWidget*>(o);
    if (!w) return {};
    if (pageControl_->indexOf(w) >= 0) {
        QTabWidget* pc = pageControl_;
        return {[pc, w] { return pc->tabText(pc->indexOf(w)); },
                [pc, w](const QString& t) { pc->setTabText(pc->indexOf(w), t); }};
    }
    // A tab of a secondary window: its pages stand in the tab widget's stack.
    if (auto* tabs = w->parentWidget() ? qobject_cast<QTabWidget*>(w->parentWidget()->parentWidget()) : nullptr;
        tabs && tabs->indexOf(w) >= 0)
        return {[tabs, w] { return tabs->tabText(tabs->indexOf(w)); },
                [tabs, w](const QString& t) { tabs->setTabText(tabs->indexOf(w), t); }};
    if (w->isWindow()) return {[w] { return w->windowTitle(); }, [w](const QString& t) { w->setWindowTitle(t); }};
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return {[b] { return b->text(); }, [b](const QString& t) { b->setText(t); }};
    if (auto* l = qobject_cast<QLabel*>(w))
        return {[l] { return l->text(); }, [l](const QString& t) { l->setText(t); }};
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return {[g] { return g->title(); }, [g](const QString& t) { g->setTitle(t); }};
    return {};
}

CaptionTable::Slot CaptionTable::Find(const std::string& key) const
{
    QStringList parts = LocalText::ToQ(key).split(QStringLiteral("->"));
    if (parts.size() < 2 || parts.last() != QStringLiteral("Caption")) return {};
    parts.removeLast();
    if (parts.contains(QString())) return {}; // an empty name would match any control

    if (parts.size() == 2 && parts[1].startsWith(QStringLiteral("Column[")) && parts[1].endsWith(QLatin1Char(']'))) {
        auto* view = mainWindow_->findChild<QAbstractItemView*>(parts[0]);
        bool ok = false;
        const int column = parts[1].mid(7, parts[1].size() - 8).toInt(&ok);
        QAbstractItemModel* model = view ? view->model() : nullptr;
        if (!model || !ok || column < 0 || column >= model->columnCount()) return {};
        return {[model, column] { return model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(); },
                [model, column](const QString& t) {
                    model->setHeaderData(column, Qt::Horizontal, t, Qt::DisplayRole);
                }};
    }
    if (parts.size() == 2) {
        // A control of one of the secondary windows.
        QWidget* window = nullptr;
        for (QWidget* w : mainWindow_->findChildren<QWidget*>(parts[0]))
            if (w->isWindow()) window = w;
        if (!window) return {};
        return SlotOf(window->findChild<QObject*>(parts[1]));
    }
    // A control, menu entry or action of the main window, or a secondary window itself.
    for (QObject* o : mainWindow_->findChildren<QObject*>(parts[0])) {
        // Controls of the secondary windows have keys of their own (Window->Control).
        auto* w = qobject_cast<QWidget*>(o);
        QWidget* owner = w ? w->window() : nullptr;
        if (w && owner != mainWindow_ && owner != w) continue;
        if (Slot s = SlotOf(o)) return s;
    }
    return {};
}

std::optional<QString> CaptionTable::Caption(const std::string& key) const
{
    Slot slot = Find(key);
    if (!slot) return std::nullopt;
    return slot.Get();
}

const LanguagePass& CaptionTable::Apply(const std::string& path, const Words& words)
{
    last_ = LanguagePass(path, last_);
    const LanguagePass& pass = last_;
    notice_ = windows1251_.Tell(path, pass);
    auto apply = [&](const LanguageKey& k) {
        Slot slot = Find(k.Key);
        if (!slot) return;
        const std::string current = LocalText::ToBytes(slot.Get());
        slot.Set(LocalText::ToQ(pass.Caption(k.Key, current)));
    };
    for (const LanguageKey& k : LanguageKeys::All()) apply(k);
    for (const LanguageKey& k : LanguageKeys::Extra()) apply(k);
    if (words.Get && words.Set)
        for (const LanguageKey& k : LanguageKeys::Words())
            words.Set(k.English, pass.Caption(k.Key, words.Get(k.English)));
    return pass;
}
