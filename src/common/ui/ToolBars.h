#pragma once

class QAction;
class QKeySequence;
class QMenu;
class QToolBar;
class QWidget;

// Where the pages show their actions: tool bars of text-only buttons, and menu entries that
// mirror an action. The action itself stays its owner's; a button or entry only shows it
// and runs it.
class ToolBars {
public:
    // A fixed, borderless tool bar of its own object name whose buttons show text only.
    static QToolBar* Make(QWidget* parent, const char* name, int buttonWidth);

    // Puts `action` on `bar` as a button named `buttonName`, after a separator unless it is
    // the first; with `dropDown`, the button also opens that menu. The button is `width` wide,
    // or as wide as its caption in the current language needs; the buttons a bar has no room
    // for go to its extension menu.
    static void AddButton(QToolBar* bar, const char* buttonName, QAction* action, int width, QMenu* dropDown = nullptr);

    // A menu entry of its own name that shows the action's caption and key (following their
    // changes) and runs the action. The entry itself is bound to no key: the action's key runs
    // it, and a key bound twice in one window would run neither.
    static QAction* AddEntry(QMenu* menu, const char* name, QAction* action);
    // Shows `key` beside `entry` (made by AddEntry) where the window binds the key elsewhere,
    // e.g. one key for the list of the page shown; the entry still binds nothing.
    static void ShowKey(QAction* entry, const QKeySequence& key);
};
