#pragma once

#include <string_view>

// Which of the program's three lists a row belongs to.
enum class ListKind { Products, Auto, Manual };

// A text colour of a list cell: an RGB value, or the desktop-background colour of the
// platform (which only the windows know).
struct TextColour {
    bool Desktop = false;
    int R = 0, G = 0, B = 0;
    bool operator==(const TextColour&) const = default;
};

// The colours the lists draw their texts in: olive titles; in the Products list the PAD
// link in the desktop colour, a maroon category and a status that is green for "Yes", red
// for "No" and black otherwise; in the Auto Submit list a status that is green for "Ok",
// red for "X" and black otherwise; in the Manual Submit list the link in the desktop
// colour and a navy status. Comparisons are exact and case-sensitive.
class ListColours {
public:
    static TextColour For(ListKind list, int column, std::string_view text);
};
