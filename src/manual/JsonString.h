#pragma once

#include <string>
#include <string_view>

// JSON string literals that are safe to put into a script for a web page.
class JsonString {
public:
    // `utf8` as a double-quoted JSON string literal made of ASCII only: quotes and
    // backslashes escaped, every other character outside printable ASCII (control
    // characters, DEL, U+2028, U+2029 and all non-ASCII) and the HTML-significant
    // '<', '>' and '&' written as \uXXXX (surrogate pairs above U+FFFF), so the literal
    // can end nothing it is embedded in. Ill-formed UTF-8 becomes \ufffd.
    static std::string Quote(std::string_view utf8);
};
