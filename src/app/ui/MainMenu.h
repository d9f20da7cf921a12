#pragma once

#include <functional>

class ActionList;
class QAction;
class QMainWindow;
class QMenu;

// The main window's menu bar (MainMenu1): File, Edit, Products, Submit, Settings and Help. Its
// entries mirror the pages' actions by name; Exit, About and the languages are entries of
// their own. Beside the entries of the commands that have keys, the keys show; the keys
// themselves belong to the window's actions, so an entry's copy works only while its menu is
// open and never makes a key ambiguous.
//
// GUI thread.
class MainMenu {
public:
    struct Handlers {
        std::function<void()> Exit, About, English, Russian;
        // Fills Submit > Site Sets, whose entries change with the sets kept.
        std::function<void(QMenu*)> SiteSets;
    };
    struct LanguageEntries {
        QAction* English;
        QAction* Russian;
    };

    // Builds the menu bar of `window` from the actions made so far.
    static LanguageEntries Build(QMainWindow* window, const ActionList& actions, const Handlers& handlers);
    // The keys beside the menu and pop-up entries, once every page has made its entries.
    static void ShowKeys(QMainWindow* window);
    // The window's keys: Add, Edit, Load and Save for the list of the page `page` tells
    // (0 Products, 2 Manual Submit; none on the others), and F1, which runs `help`.
    static void BuildKeys(ActionList& actions, std::function<int()> page, std::function<void()> help);
};
