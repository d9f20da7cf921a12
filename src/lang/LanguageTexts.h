#pragma once

#include "common/TextTemplates.h"

#include <string>

class LanguagePass;

// The texts of ours in one language: section "Texts" of a language file. A key the file lacks,
// or a file that cannot be read, gives that text in English.
class LanguageTexts {
public:
    // From the pass that set the captions, without reading the file again.
    static TextTemplates From(const LanguagePass& pass);
    // The file read and indexed on its own.
    static TextTemplates Read(const std::string& path);
    // The same, on the file's text already in memory.
    static TextTemplates FromText(const std::string& text);
};
