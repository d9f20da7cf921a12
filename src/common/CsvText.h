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

    // Appends `field`, quoted when it must be (a field that begins with a UTF-8 BOM is quoted
    // too, so that a reader never takes it for the file's mark).
    static void AppendField(std::string& out, const std::string& field);
    // The fields joined by commas, then CR LF.
    static std::string FormatRecord(const Record& fields);

    // Cells of files that people open in a spreadsheet: a cell that begins with "=", "+", "-",
    // "@", TAB or CR would run there as a formula, so it is written after a "'" that the
    // spreadsheet shows as text. A cell of nothing but "'"s before one of those characters gets
    // one more "'" too, so that RestoreCell gives back every text exactly.
    static void AppendCell(std::string& out, const std::string& field);
    // FormatRecord with AppendCell.
    static std::string FormatCells(const Record& fields);
    // Takes off the "'" that AppendCell put before a cell.
    static void RestoreCell(std::string& field);
};
