// The CSV reader and the run report's parser, on any bytes. Records read are written and read
// back unchanged, and so are they as spreadsheet cells (a leading "'" added where a formula
// would run, and taken off again); a report that parses, written again, parses to the same
// rows, so that a retry finds the very pairs the report named.
#include "FuzzCheck.h"

#include "common/CsvText.h"
#include "common/FileReplace.h"
#include "submit/RunReport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<CsvText::Record> Records(std::string_view bytes)
{
    std::vector<CsvText::Record> records;
    for (CsvText::Line& line : CsvText::Split(bytes)) records.push_back(std::move(line.Fields));
    return records;
}

bool SameRows(const std::vector<ReportRow>& a, const std::vector<ReportRow>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const ReportRow &x = a[i], &y = b[i];
        if (x.Time != y.Time || x.Product != y.Product || x.PadLink != y.PadLink || x.Site != y.Site ||
            x.ScriptUrl != y.ScriptUrl || x.Method != y.Method || x.Outcome != y.Outcome ||
            x.HttpStatus != y.HttpStatus || x.Ms != y.Ms || x.Error != y.Error)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<CsvText::Record> records;
    try {
        records = Records(bytes);
    } catch (const CsvText::Error& e) {
        FUZZ_CHECK(e.Line >= 1, "an error names a line");
    }
    std::string plain, cells;
    for (const CsvText::Record& record : records) {
        plain += CsvText::FormatRecord(record);
        cells += CsvText::FormatCells(record);
    }
    FUZZ_CHECK(Records(plain) == records, "records written and read back are the same records");
    std::vector<CsvText::Record> restored = Records(cells);
    for (CsvText::Record& record : restored)
        for (std::string& cell : record) {
            const std::string_view formula = "=+-@\t\r";
            FUZZ_CHECK(cell.empty() || formula.find(cell[0]) == std::string_view::npos,
                       "no cell written begins a formula");
            CsvText::RestoreCell(cell);
        }
    FUZZ_CHECK(restored == records, "cells written and restored are the same texts");

    std::vector<ReportRow> rows;
    try {
        rows = RunReport::Parse(bytes, "run.csv");
    } catch (const FileError&) {
        return 0;
    }
    const std::vector<ReportRow> again = RunReport::Parse(RunReport::Format(rows), "run.csv");
    FUZZ_CHECK(SameRows(again, rows), "a report written again reads as the same rows");
    FUZZ_CHECK(RunReport::NotOk(again) == RunReport::NotOk(rows), "a retry of it finds the same pairs");
    return 0;
}
