#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

// One PAD file read with Expat, as the element paths it holds and the text of each.
//
// Parse is a pure function of the bytes: it reads nothing else, opens no file and no socket.
// PAD files come from the web, so the parser refuses what only an attacker needs: more than
// MaxBytes, a DOCTYPE with an internal subset or an external identifier (entity declarations,
// so no "billion laughs"), any external entity, and elements nested deeper than MaxDepth.
// A refused or malformed file gives Ok false and a reason in Error; nothing is expanded first.
struct PadXml {
    static constexpr std::size_t MaxBytes = 1024 * 1024;
    static constexpr int MaxDepth = 32;

    bool Ok = false;
    std::string Error; // why the file was not read, with its line when the parser knows it
    std::string Root;  // the name of the root element
    // Path ("XML_DIZ_INFO/Program_Info/Program_Name") -> the text of its first element, as UTF-8.
    std::map<std::string, std::string> Fields;

    static PadXml Parse(std::string_view bytes);

    // The same hardened reading for the other XML files we take in (pad_spec.xml): calls
    // `ended` at the end of every element, innermost first, with its path from the root and its
    // own text (the text directly inside it, not that of its children). Returns why the bytes
    // were refused or are not well-formed (see Error); empty when they were read whole.
    using ElementEnded = std::function<void(const std::string& path, std::string& text)>;
    // Where a tag stands in the bytes: the offset of its '<' and its length in bytes. An empty
    // element (<X/>) is one start tag, followed by an end tag of length 0 at the same place.
    struct Tag {
        bool Start = true;
        std::size_t Begin = 0;
        std::size_t Length = 0;
    };
    // Called for every start tag, and for every end tag just before `ended` (for the same path).
    using TagSeen = std::function<void(const std::string& path, const Tag& tag)>;
    static std::string Read(std::string_view bytes, std::size_t maxBytes, const ElementEnded& ended,
                            const TagSeen& tags = nullptr);

    // Older PAD files are often in Windows-1252, which Expat does not know by itself: the reader
    // takes it (as "windows-1252" or "cp1252"). The character of one of its bytes, or -1 for
    // the five bytes the code page leaves undefined.
    static int Windows1252(unsigned char byte);

    // An element's text without the blanks (space, tab, CR, LF) around it: what the checks
    // and the readers of these files take as the value.
    static std::string Trimmed(const std::string& text);
};
