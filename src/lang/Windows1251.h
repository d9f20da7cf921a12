#pragma once

#include <string>
#include <string_view>

// Language files of older builds were written in Windows-1251, the Russian code page, and
// would show every caption as replacement marks under a UTF-8 locale. A file that is not valid
// UTF-8 is read as Windows-1251 and turned into UTF-8 once, when it is read; UTF-16 text (or
// text with a NUL byte) is left as it is, for the INI rules to find nothing in it.
//
// Plain functions of their arguments; any thread.
class Windows1251 {
public:
    // Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or code points past
    // U+10FFFF; ASCII is UTF-8).
    static bool IsUtf8(std::string_view text);
    // Whether `text`, the bytes of a language file, is to be read as Windows-1251.
    static bool Chosen(std::string_view text);
    // `text` from Windows-1251 to UTF-8; 0x98, which the code page leaves undefined, becomes
    // U+FFFD.
    static std::string ToUtf8(std::string_view text);
};
