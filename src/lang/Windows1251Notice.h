#pragma once

#include "lang/LanguagePass.h"

#include <cstddef>
#include <map>
#include <string>

// Tells the user that a language file was read as Windows-1251: once for each change of the
// file, not at every application of the language (each dialog shown applies it again).
//
// Lives with the window that applies the languages; one thread.
class Windows1251Notice {
public:
    static constexpr const char* Text = "%1 is not UTF-8 text; it was read as Windows-1251";

    // The message (English, Text with the file's name) when `pass`, read from `path`, was read
    // as Windows-1251 and these bytes of the file were not told yet; else empty.
    std::string Tell(const std::string& path, const LanguagePass& pass);

private:
    std::map<std::string, std::size_t> told_; // by path: the hash of the text told
};
