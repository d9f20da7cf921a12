#include "common/WindowLayout.h"

#include "common/FileReplace.h"
#include "common/IniFile.h"

#include <algorithm>
#include <charconv>

namespace {

// Sizes beyond any screen, or below any usable window, are a broken file, not a layout.
constexpr int MaxCoordinate = 32000;
constexpr int MinWidth = 200;
constexpr int MinHeight = 150;
constexpr int MaxSize = 16000;
constexpr int MinColumn = 10;
constexpr int MaxColumn = 5000;
// The height of the band at the window's top that must show on a screen, and its least width there.
constexpr int GrabBand = 40;

std::optional<int> Number(const std::string& text, int low, int high)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || at != end || value < low || value > high) return std::nullopt;
    return value;
}

// "a,b,c" with exactly `count` numbers, each within bounds; empty when not.
std::vector<int> Numbers(const std::string& text, size_t count, int low, int high)
{
    std::vector<int> out;
    size_t from = 0;
    while (from <= text.size()) {
        const size_t comma = std::min(text.find(',', from), text.size());
        const auto n = Number(text.substr(from, comma - from), low, high);
        if (!n) return {};
        out.push_back(*n);
        from = comma + 1;
    }
    if (out.size() != count) return {};
    return out;
}

std::string Joined(const std::vector<int>& values)
{
    std::string out;
    for (int v : values) {
        if (!out.empty()) out += ',';
        out += std::to_string(v);
    }
    return out;
}

long long Overlap(const WindowLayout::Rect& a, const WindowLayout::Rect& b)
{
    const long long w = std::min(a.X + a.Width, b.X + b.Width) - std::max(a.X, b.X);
    const long long h = std::min(a.Y + a.Height, b.Y + b.Height) - std::max(a.Y, b.Y);
    return w > 0 && h > 0 ? w * h : 0;
}

// How far apart two rectangles are, along each axis squared; 0 when they touch or overlap.
long long Gap(const WindowLayout::Rect& a, const WindowLayout::Rect& b)
{
    const long long dx = std::max({0, b.X - (a.X + a.Width), a.X - (b.X + b.Width)});
    const long long dy = std::max({0, b.Y - (a.Y + a.Height), a.Y - (b.Y + b.Height)});
    return dx * dx + dy * dy;
}

std::string WidthsKey(const std::string& list)
{
    return list + "Widths";
}

} // namespace

WindowLayout WindowLayout::Read(const std::string& settingsPath, const Shape& shape)
{
    WindowLayout l;
    std::string text;
    try {
        text = FileReplace::ReadAll(settingsPath);
    } catch (const FileError&) {
        return l;
    }
    auto value = [&text](const std::string& key) { return IniFile::ReadFromText(text, Section, key, ""); };
    l.Left = Number(value("Left"), -MaxCoordinate, MaxCoordinate);
    l.Top = Number(value("Top"), -MaxCoordinate, MaxCoordinate);
    l.Width = Number(value("Width"), MinWidth, MaxSize);
    l.Height = Number(value("Height"), MinHeight, MaxSize);
    if (const auto m = Number(value("Maximized"), 0, 1)) l.Maximized = *m == 1;
    if (shape.Pages > 0) l.Page = Number(value("Page"), 0, shape.Pages - 1);
    for (const auto& [name, columns] : shape.Lists) {
        std::vector<int> widths = Numbers(value(WidthsKey(name)), static_cast<size_t>(columns), MinColumn, MaxColumn);
        if (!widths.empty()) l.Widths[name] = std::move(widths);
    }
    l.Split = Numbers(value("Splitter1"), 2, 0, MaxSize);
    if (!l.Split.empty() && l.Split[0] + l.Split[1] == 0) l.Split.clear();
    return l;
}

void WindowLayout::Write(const std::string& settingsPath) const
{
    std::string text;
    try {
        text = FileReplace::ReadAll(settingsPath);
    } catch (const FileError&) {
        // No file yet: it is made.
    }
    auto put = [&text](const std::string& key, const std::string& value) {
        text = IniFile::WriteToText(text, Section, key, value);
    };
    auto putNumber = [&put](const char* key, const std::optional<int>& v) {
        if (v) put(key, std::to_string(*v));
    };
    putNumber("Left", Left);
    putNumber("Top", Top);
    putNumber("Width", Width);
    putNumber("Height", Height);
    if (Maximized) put("Maximized", *Maximized ? "1" : "0");
    putNumber("Page", Page);
    for (const auto& [name, widths] : Widths)
        if (!widths.empty()) put(WidthsKey(name), Joined(widths));
    if (!Split.empty()) put("Splitter1", Joined(Split));
    FileReplace::Write(settingsPath, text);
}

bool WindowLayout::PlaceShowsOn(const std::vector<Rect>& screens) const
{
    if (!Left || !Top) return false;
    const int width = Width.value_or(MinWidth);
    for (const Rect& s : screens) {
        const int left = std::max(*Left, s.X);
        const int right = std::min(*Left + width, s.X + s.Width);
        const bool bandInside = *Top >= s.Y && *Top + GrabBand <= s.Y + s.Height;
        if (bandInside && right - left >= GrabBand) return true;
    }
    return false;
}

WindowLayout::Rect WindowLayout::Fitted(const std::vector<Rect>& screens, const Margins& frame, int width,
                                        int height) const
{
    Rect window{Left.value_or(0), Top.value_or(0), Width.value_or(width), Height.value_or(height)};
    if (screens.empty()) return window;
    const int frameWidth = frame.Left + frame.Right;
    const int frameHeight = frame.Top + frame.Bottom;
    const Rect outer{window.X, window.Y, window.Width + frameWidth, window.Height + frameHeight};

    // Wholly on the screens: each screen counted once (mirrored screens share one place).
    std::vector<Rect> distinct;
    for (const Rect& s : screens)
        if (std::find(distinct.begin(), distinct.end(), s) == distinct.end()) distinct.push_back(s);
    long long covered = 0;
    for (const Rect& s : distinct) covered += Overlap(outer, s);
    if (Left && Top && covered >= static_cast<long long>(outer.Width) * outer.Height) return window;

    // The screen holding most of the window; with none, the nearest one; without a place, the primary.
    const Rect* screen = &screens.front();
    long long most = 0;
    if (Left && Top) {
        most = -1;
        long long nearest = 0;
        for (const Rect& s : screens) {
            const long long overlap = Overlap(outer, s);
            const long long gap = Gap(outer, s);
            if (overlap > most || (overlap == 0 && most == 0 && gap < nearest)) {
                screen = &s;
                most = overlap;
                nearest = gap;
            }
        }
    }
    const Rect& s = *screen;
    window.Width = std::max(std::min(window.Width, s.Width - frameWidth), MinWidth);
    window.Height = std::max(std::min(window.Height, s.Height - frameHeight), MinHeight);
    const int right = s.X + std::max(s.Width - window.Width - frameWidth, 0);
    const int bottom = s.Y + std::max(s.Height - window.Height - frameHeight, 0);
    if (most > 0) {
        window.X = std::clamp(window.X, s.X, right);
        window.Y = std::clamp(window.Y, s.Y, bottom);
    } else {
        window.X = s.X + (right - s.X) / 2;
        window.Y = s.Y + (bottom - s.Y) / 2;
    }
    return window;
}
