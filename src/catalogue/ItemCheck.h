#pragma once

#include "common/Phrase.h"

#include <string>

// The check that the four item dialogs make before they write a row: both the title box
// and the link box must hold at least one character (blanks count, nothing is trimmed,
// the link's form is not looked at), and no box may hold a "|", the catalogue files' field
// separator: it would split the row when the file is read back.
class ItemCheck {
public:
    static constexpr const char* TitleLine = "Please, enter title";
    static constexpr const char* PadLinkLine = "Please, enter PAD link"; // Add Product
    static constexpr const char* LinkLine = "Please, enter link";        // the other three
    static constexpr const char* TitleBarLine = "Please, remove \"|\" from the title";
    static constexpr const char* LinkBarLine = "Please, remove \"|\" from the link";
    static constexpr const char* CategoryBarLine = "Please, remove \"|\" from the category";

    // The message to show, one CR-ended line per box that is empty or holds a "|" (title,
    // link, category); empty when the input is valid. The site dialogs have no category.
    static std::string Message(const std::string& title, const std::string& link, const std::string& linkLine,
                               const std::string& category = std::string());
    // The same for a title typed in place in a list (it may be empty there).
    static std::string TitleMessage(const std::string& title);
    // A message of the two above for the window: each of its lines is a fixed text of ours.
    static Phrase Shown(const std::string& message);
};
