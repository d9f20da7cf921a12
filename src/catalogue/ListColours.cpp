#include "catalogue/ListColours.h"

#include "catalogue/ListColumns.h"
#include "common/StatusWords.h"

namespace {

constexpr TextColour Rgb(int r, int g, int b)
{
    TextColour c;
    c.R = r;
    c.G = g;
    c.B = b;
    return c;
}

constexpr TextColour Olive = Rgb(128, 128, 0);
constexpr TextColour Maroon = Rgb(128, 0, 0);
constexpr TextColour Navy = Rgb(0, 0, 128);
constexpr TextColour Black = Rgb(0, 0, 0);
constexpr TextColour Green = Rgb(0, 128, 0);
constexpr TextColour Red = Rgb(255, 0, 0);

TextColour DesktopColour()
{
    TextColour c;
    c.Desktop = true;
    return c;
}

TextColour StatusColour(std::string_view text, const char* good, const char* bad)
{
    if (text == good) return Green;
    if (text == bad) return Red;
    return Black;
}

} // namespace

TextColour ListColours::For(ListKind list, int column, std::string_view text)
{
    if (column == 0) return Olive;
    switch (list) {
    case ListKind::Products:
        if (column == ProductColumn::PadLink) return DesktopColour();
        if (column == ProductColumn::Category) return Maroon;
        return StatusColour(text, StatusWords::Valid, StatusWords::NotValid);
    case ListKind::Auto: return StatusColour(text, StatusWords::Ok, StatusWords::NotAccepted);
    case ListKind::Manual:
        if (column == ManualColumn::Link) return DesktopColour();
        return Navy;
    }
    return Black;
}
