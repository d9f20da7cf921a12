#include "common/CsvText.h"

std::vector<CsvText::Line> CsvText::Split(std::string_view bytes)
{
    std::vector<Line> records;
    size_t i = 0;
    const size_t n = bytes.size();
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
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
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
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
