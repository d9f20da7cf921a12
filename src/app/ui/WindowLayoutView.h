#pragma once

#include "common/Settings.h"
#include "common/WindowLayout.h"

#include <vector>

class QSplitter;
class QTabWidget;
class QWidget;
class TListView;

// The main window's parts whose layout the settings file keeps ([Window]), and the moves
// between them and a WindowLayout: applied at start, taken at close.
class WindowLayoutView {
public:
    struct Parts {
        QWidget* Window = nullptr;
        QTabWidget* Pages = nullptr;
        std::vector<TListView*> Lists;
        QSplitter* Split = nullptr;
        // Whether the splitter has been laid out (its page shown): before that its sizes are
        // only its panels' hints and are not taken.
        bool SplitShown = false;
    };

    // The window's font (where the platform has no such face, its plain sans-serif face), and
    // its first size, centred on its screen, before any layout is applied.
    static void FirstLook(QWidget* window);
    // The layout the settings file has for these parts (values that do not fit are left unset).
    static WindowLayout Read(const Settings& settings, const Parts& parts);
    // Sizes and places the window as `layout` says, fitted to the screens it opens on (see
    // WindowLayout::Fitted), and the lists, the split and the page as it says.
    static void Apply(const WindowLayout& layout, const Parts& parts);
    // The layout as it stands: the size and place the window returns to when not maximised.
    static WindowLayout Take(const Parts& parts);
};
