#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A PAD file opened to change some of its fields, keeping everything else of the author's
// file: a save changes only the text of the fields that were set (and puts in the fields that
// were missing), so the declaration, the encoding, comments, element order, indentation, line
// ends and elements we do not know stay byte for byte, and the author's diff shows only what
// changed.
//
// Fields are named by their path relative to the root XML_DIZ_INFO, with "/" between names
// ("Program_Info/Program_Version"). A field the file does not have is put where the public
// field list orders it (after the nearest field before it in that list that the file has, or
// else as the first element of its group; a missing group is made too), indented like its
// neighbours and with the file's own line end.
//
// The bytes are read with PadXml's hardened reader and its refusals (no DOCTYPE with an
// internal subset or an external file, no entity declarations, at most 1 MiB, nesting at most
// 32). The file may be in UTF-8, ISO-8859-1, US-ASCII or Windows-1252; values come and go as
// UTF-8 and are written in the file's encoding. A value with a character that encoding cannot
// hold, or that XML cannot carry at all (control characters), is refused. Line breaks in a
// value are written with the file's line end and read back as "\n" (XML reads every line end
// as one LF).
//
// A value object: one owner at a time, no shared state; every Set re-reads the new bytes, so
// the document never holds bytes its own reader would refuse.
class PadDocument {
public:
    enum class Encoding { Utf8, Latin1, Ascii, Windows1252 };

    // Reads `bytes`; false and why in `error` when they cannot be edited (refused, not
    // well-formed, another root, another encoding such as UTF-16).
    bool Open(std::string_view bytes, std::string& error);

    // The file's bytes as they are now (as a save writes them).
    const std::string& Bytes() const { return bytes_; }
    Encoding FileEncoding() const { return encoding_; }

    // The fields that a path may name besides those of the public list and those in the file
    // (the paths of the rules in use, e.g. from pad_spec.xml). Paths relative to the root.
    void AddKnownFields(const std::vector<std::string>& paths);

    // The path in the form Set takes: without a leading "XML_DIZ_INFO/", or nothing when it
    // names no field (an empty segment, a name XML does not take, a group such as
    // "Program_Info", or a field that is neither in the file nor known); `error` says which.
    std::optional<std::string> FieldPath(const std::string& path, std::string& error) const;

    // The text of the field as UTF-8 (its first element when it repeats); nothing when the
    // file does not have it.
    std::optional<std::string> Value(const std::string& path) const;

    // Sets the field's text to `value` (UTF-8), putting the field in when it is missing.
    // False, the document unchanged and why in `error` (naming the field) when the path names
    // no field, the element holds other elements, or the value cannot be written.
    bool Set(const std::string& path, const std::string& value, std::string& error);

    // File_Size_Bytes, File_Size_K and File_Size_MB of a release file of `size` bytes.
    bool SetSizes(std::uint64_t size, std::string& error);
    // Program_Release_Year, _Month and _Day, month and day in two digits. False for a day
    // that is not in the calendar.
    bool SetReleaseDate(int year, int month, int day, std::string& error);

    // The sizes as written: K is the size in kilobytes (1024 bytes) rounded to the nearest
    // whole number, MB in megabytes (1024 K) rounded to two decimals; a file that is not empty
    // is never written as 0.
    static std::string SizeInK(std::uint64_t size);
    static std::string SizeInMB(std::uint64_t size);

private:
    struct Node {
        std::string Path;           // relative to the root; "" for the root
        std::size_t Begin = 0;      // the '<' of the start tag
        std::size_t OpenEnd = 0;    // just after the start tag
        std::size_t CloseBegin = 0; // the '<' of the end tag (OpenEnd for <X/>)
        std::size_t End = 0;        // just after the end tag
        bool SelfClosing = false;
        int Parent = -1;
        int Children = 0;
        std::string Text; // its own text, UTF-8
    };

    bool Index(std::string_view bytes, std::string& error);
    int Find(const std::string& path) const;
    bool Known(const std::string& path) const;
    // The element to put in for the missing field `path`: where, and its bytes.
    bool Insertion(const std::string& path, const std::string& text, std::size_t& at, std::size_t& erase,
                   std::string& bytes) const;
    std::string IndentOf(const Node& node, bool& ownLine) const;

    std::string bytes_;
    Encoding encoding_ = Encoding::Utf8;
    std::string lineEnd_; // the file's first line end; empty for a file on one line
    std::string indentUnit_;
    std::vector<Node> nodes_; // in the order of their start tags; nodes_[0] is the root
    std::vector<std::string> known_;
};
