#pragma once

#include <string>

// Where the language file of a language lies.
class LanguageFile {
public:
    // programFolder + "/language/" + language + ".ini". The language name is used as it
    // stands, letter case included. A trailing "/" on programFolder is not doubled;
    // an empty programFolder gives a path relative to the current folder.
    static std::string PathFor(const std::string& programFolder, const std::string& language);
};
