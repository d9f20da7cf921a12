#pragma once

#include "common/WindowLayout.h"

#include <vector>

class QWidget;

// Opens a top-level window where the user sees all of it, on the screens as they are now
// (their number, sizes and scale may differ from when its layout was saved): the rule is
// WindowLayout::Fitted, this is its Qt side. GUI thread only.
class ScreenFit {
public:
    // Each screen's available area (without the desktop's panels), the primary one first.
    static std::vector<WindowLayout::Rect> Screens();
    // What the window manager's frame adds around `window`: measured once the window has been
    // shown; before that a title bar's height above it, as the style draws one.
    static WindowLayout::Margins Frame(const QWidget* window);
    // Moves and sizes `window` as `layout` says, fitted to the screens; a size or place the
    // layout has not set is the window's own. Maximises it when the layout says so.
    static void Apply(QWidget* window, const WindowLayout& layout);
};
