#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// How the user left the main window: its place and size, whether it was maximised, the
// widths of its lists' columns, the split of the Manual Submit page and the page shown.
// The settings file keeps it in section [Window], written when the program closes and
// read at start. Each key is read on its own: a missing key, or one whose value is no
// number, lies outside sane bounds or has the wrong count of parts, is left unset and the
// window keeps its own size for it.
struct WindowLayout {
    static constexpr const char* Section = "Window";

    // What the window has: its number of pages, and each list's name and column count.
    struct Shape {
        int Pages = 0;
        std::vector<std::pair<std::string, int>> Lists;
    };

    struct Rect {
        int X = 0, Y = 0, Width = 0, Height = 0;
        bool operator==(const Rect&) const = default;
    };
    // What the window manager's frame adds on each side of the window's own size.
    struct Margins {
        int Left = 0, Top = 0, Right = 0, Bottom = 0;
    };

    std::optional<int> Left, Top;     // the window's frame, on the desktop
    std::optional<int> Width, Height; // its size when not maximised
    std::optional<bool> Maximized;
    std::optional<int> Page;
    std::map<std::string, std::vector<int>> Widths; // by list name, from its first column
    std::vector<int> Split;                         // Manual Submit: list panel, browser; empty: unset

    // Unreadable or missing file: nothing is set.
    static WindowLayout Read(const std::string& settingsPath, const Shape& shape);
    // Writes every key that is set; every other line of the file stays as it was. Throws FileError.
    void Write(const std::string& settingsPath) const;

    // Whether the top of a window at Left, Top, Width (where it is grabbed to move it) lies
    // on one of `screens`, so that the user can see and move it. False when the place is unset.
    bool PlaceShowsOn(const std::vector<Rect>& screens) const;

    // Where the window opens and how large, so that the user sees all of it: X, Y its frame's
    // place, Width, Height its own size (`width`, `height` when the layout has none).
    // `screens` are the screens' available areas, the primary one first; `frame` is what the
    // frame adds. A window that lies wholly on the screens is left as it is (even across two).
    // Otherwise its screen is the one holding most of it: a size larger than that screen's
    // area shrinks to it, and the window moves the least that brings it wholly onto it. A
    // place off every screen centres the window on the screen nearest to it; no place, on the
    // primary one.
    Rect Fitted(const std::vector<Rect>& screens, const Margins& frame, int width, int height) const;
};
