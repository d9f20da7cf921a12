#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// CSV text as in RFC 4180: fields holding a comma, a quote or a line break are quoted, quotes
// doubled. Bytes are kept as they are; nothing is re-encoded. Plain functions; any thread.
class CsvText {
public:
    using Record = std::vector<std::string>;

    // Bytes that are no CSV text: `Why` says what is wrong, `Line` is the 1-based line.
    class Error : public std::runtime_error {
    public:
        Error(const std::string& why, int line) : std::runtime_error(why), Line(line) {}
        int Line;
    };

    // A record with its 1-based line, where it starts in the text.
    struct Line {
        int Number = 0;
        Record Fields;
    };

    // The records of `bytes`, each with the line it starts on. A record ends at CR LF, LF, CR
    // or the end of the bytes; blank lines are skipped; a UTF-8 BOM at the start is dropped.
    // Throws Error for a quote never closed or text after a closing quote.
    static std::vector<Line> Split(std::string_view bytes);

    // Appends `field`, quoted when it must be.
    static void AppendField(std::string& out, const std::string& field);
    // The fields joined by commas, then CR LF.
    static std::string FormatRecord(const Record& fields);
};
