#pragma once

#include <functional>
#include <map>
#include <string>

class QAction;
class QKeySequence;
class QMenu;
class QObject;
class QWidget;

// The main window's actions (ActionList1): each a QAction of its own object name and
// category, a child of one object named ActionList1 and added to the window, so that its key
// works wherever the focus is in the window. Each page makes the actions it runs here and
// finds the others' by name; the window puts them on its menus.
//
// Lives on the GUI thread; the window outlives it.
class ActionList {
public:
    explicit ActionList(QWidget* window);

    QWidget* Window() const { return window_; }
    QObject* Owner() const { return owner_; }

    // A new action that runs `run`, an error in it ending in ErrorGuard.
    QAction* Make(const char* name, const char* category, const char* caption, std::function<void()> run);
    // A new action without caption or category that `key` runs: a key of the window's own.
    QAction* MakeKey(const char* name, const QKeySequence& key, std::function<void()> run);
    // The action of that name; throws std::out_of_range when none was made.
    QAction* operator()(const char* name) const { return actions_.at(name); }

    // A pop-up menu of its own object name, owned by the window.
    QMenu* Popup(const char* name) const;
    // A menu entry of its own name that shows the named action's caption and runs it.
    QAction* Entry(QMenu* menu, const char* name, const char* actionName) const;

private:
    QWidget* window_;
    QObject* owner_;
    std::map<std::string, QAction*> actions_;
};
