#pragma once

#include <string>

// The check that the four item dialogs make before they write a row: both the title box
// and the link box must hold at least one character (blanks count, nothing is trimmed,
// the link's form is not looked at).
class ItemCheck {
public:
    static constexpr const char* TitleLine = "Please, enter title";
    static constexpr const char* PadLinkLine = "Please, enter PAD link"; // Add Product
    static constexpr const char* LinkLine = "Please, enter link";        // the other three

    // The message to show, one CR-ended line per empty box; empty when the input is valid.
    static std::string Message(const std::string& title, const std::string& link, const std::string& linkLine);
};
