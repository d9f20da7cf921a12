#include "common/ui/ToolBars.h"

#include "common/ui/ShownText.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int ToolButtonHeight = 19;
constexpr const char* ShownKeyProperty = "ShownKey";

// A menu shows the text after a tab where it shows keys.
QString EntryText(const QString& caption, const QKeySequence& key)
{
    return key.isEmpty() ? caption : caption + QLatin1Char('\t') + key.toString(QKeySequence::NativeText);
}

QKeySequence EntryKey(const QAction* entry, const QAction* action)
{
    const QKeySequence shown = entry->property(ShownKeyProperty).value<QKeySequence>();
    return shown.isEmpty() ? action->shortcut() : shown;
}

} // namespace

QToolBar* ToolBars::Make(QWidget* parent, const char* name, int buttonWidth)
{
    auto* bar = new QToolBar(parent);
    bar->setObjectName(QString::fromUtf8(name));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setProperty("ButtonWidth", buttonWidth);
    bar->setStyleSheet(QStringLiteral("QToolBar { border: 0px; }"));
    // The bar's own button that opens the buttons it has no room for; it has no caption.
    if (auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(ShownText::Caption("More buttons"));
    return bar;
}

void ToolBars::AddButton(QToolBar* bar, const char* buttonName, QAction* action, int width, QMenu* dropDown)
{
    if (!bar->actions().isEmpty()) bar->addSeparator();
    bar->addAction(action);
    auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
    button->setObjectName(QString::fromUtf8(buttonName));
    button->setFixedHeight(ToolButtonHeight);
    if (dropDown) {
        button->setMenu(dropDown);
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    // The bar narrows its buttons down to their minimum when it runs short of room, and only
    // puts the rest in its extension menu when even that does not fit: the minimum is the
    // caption's whole width (and never below the bar's button width), and it follows the
    // caption when the action's text changes. The button has taken the new text by the time
    // the action reports the change.
    auto fitCaption = [button, width] { button->setMinimumWidth(std::max(width, button->sizeHint().width())); };
    fitCaption();
    QObject::connect(action, &QAction::changed, button, fitCaption);
}

QAction* ToolBars::AddEntry(QMenu* menu, const char* name, QAction* action)
{
    auto* entry = new QAction(menu);
    entry->setObjectName(QString::fromUtf8(name));
    entry->setText(EntryText(action->text(), action->shortcut()));
    entry->setEnabled(action->isEnabled());
    // The entry follows its action: its caption (a language applied), key and whether it can run.
    QObject::connect(action, &QAction::changed, entry, [entry, action] {
        entry->setText(EntryText(action->text(), EntryKey(entry, action)));
        entry->setEnabled(action->isEnabled());
    });
    QObject::connect(entry, &QAction::triggered, action, [action] { action->trigger(); });
    menu->addAction(entry);
    return entry;
}

void ToolBars::ShowKey(QAction* entry, const QKeySequence& key)
{
    entry->setProperty(ShownKeyProperty, key);
    entry->setText(EntryText(entry->text().section(QLatin1Char('\t'), 0, 0), key));
}
