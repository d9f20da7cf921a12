#pragma once

#include <string>

// The help text offered for an interface language.
class HelpFile {
public:
    // The help file of `language`, relative to the program folder: "help/Help - En.txt"
    // for "English", "help/Help - Ru.txt" for "Russian" (names compared exactly, letter
    // case included). Any other language has no help text: the result is empty.
    static std::string For(const std::string& language);
};
