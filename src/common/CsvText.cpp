#include "common/CsvText.h"

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";

// Whether a cell is written after a "'": "'"s (or none), then a character that starts a
// formula.
bool RunsAsFormula(std::string_view cell)
{
    const size_t first = cell.find_first_not_of('\'');
    return first != std::string_view::npos && std::string_view("=+-@\t\r").find(cell[first]) != std::string_view::npos;
}

} // namespace

std::vector<CsvText::Line> CsvText::Split(std::string_view bytes)
{
    std::vector<Line> records;
    size_t i = 0;
    const size_t n = bytes.size();
    if (bytes.substr(0, Bom.size()) == Bom) i = Bom.size();
    int line = 1;
    while (i < n) {
        Record record;
        const int firstLine = line;
        for (;;) {
            std::string field;
            if (i < n && bytes[i] == '"') {
                ++i;
                for (;;) {
                    if (i >= n) throw Error("a quote is never closed", firstLine);
                    const char c = bytes[i];
                    if (c == '"') {
                        if (i + 1 < n && bytes[i + 1] == '"') {
                            field += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (c == '\n' || (c == '\r' && (i + 1 >= n || bytes[i + 1] != '\n'))) ++line;
                    field += c;
                    ++i;
                }
                if (i < n && bytes[i] != ',' && bytes[i] != '\r' && bytes[i] != '\n')
                    throw Error("text after a closing quote", line);
            } else {
                const size_t end = bytes.find_first_of(",\r\n", i);
                const size_t stop = end == std::string_view::npos ? n : end;
                field.assign(bytes.substr(i, stop - i));
                i = stop;
            }
            record.push_back(std::move(field));
            if (i < n && bytes[i] == ',') {
                ++i;
                continue;
            }
            break;
        }
        // The record's end: CR LF, LF, CR, or the end of the bytes.
        if (i < n && bytes[i] == '\r') ++i;
        if (i < n && bytes[i] == '\n') ++i;
        ++line;
        if (record.size() == 1 && record[0].empty()) continue;
        records.push_back(Line{firstLine, std::move(record)});
    }
    return records;
}

void CsvText::AppendField(std::string& out, const std::string& field)
{
    if (field.find_first_of(",\"\r\n") == std::string::npos && field.compare(0, Bom.size(), Bom) != 0) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

std::string CsvText::FormatRecord(const Record& fields)
{
    std::string out;
    for (size_t f = 0; f < fields.size(); ++f) {
        if (f) out += ',';
        AppendField(out, fields[f]);
    }
    out += "\r\n";
    return out;
}

void CsvText::AppendCell(std::string& out, const std::string& field)
{
    AppendField(out, RunsAsFormula(field) ? "'" + field : field);
}

std::string CsvText::FormatCells(const Record& fields)
{
    std::string out;
    for (size_t f = 0; f < fields.size(); ++f) {
        if (f) out += ',';
        AppendCell(out, fields[f]);
    }
    out += "\r\n";
    return out;
}

void CsvText::RestoreCell(std::string& field)
{
    if (!field.empty() && field[0] == '\'' && RunsAsFormula(std::string_view(field).substr(1))) field.erase(0, 1);
}
