#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// A section of a help text: a heading line underlined by a line of three or more "-", and
// everything up to the next heading. Offsets are byte offsets into the text.
struct HelpSection {
    std::string Heading;
    std::size_t Offset = 0; // the first byte of the heading line
    std::size_t End = 0;    // one past the section's last byte
};

// The help text offered for an interface language, and how the program finds its way in it.
// The help texts are plain text: a title underlined by "=", an introduction, then the
// sections, each headed as above. Lines may end in CR LF or LF.
class HelpFile {
public:
    // The help file of `language`, relative to the program folder: "help/Help - En.txt"
    // for "English", "help/Help - Ru.txt" for "Russian" (names compared exactly, letter
    // case included). Any other language has no help text: the result is empty.
    static std::string For(const std::string& language);

    // The sections of `text`, in order. The text before the first heading is no section.
    static std::vector<HelpSection> Sections(const std::string& text);

    // Where the first section whose heading holds `words` (bytes compared exactly) begins;
    // nothing when no heading holds them, or `words` is empty.
    static std::optional<std::size_t> SectionOffset(const std::string& text, const std::string& words);

    // A caption as a help text writes it: without its accelerator marks ("&File" is "File",
    // "&&" stands for one "&") and without a trailing ellipsis ("History..." is "History").
    static std::string PlainCaption(const std::string& caption);
};
