#pragma once

#include "common/TextTemplates.h"

#include <string>

// The texts of ours in one language: section "Texts" of a language file, read once. A key the
// file lacks, or a file that cannot be read, gives that text in English.
class LanguageTexts {
public:
    static TextTemplates Read(const std::string& path);
    // The same, on the file's text already in memory.
    static TextTemplates FromText(const std::string& text);
};
