// The catalogue reader and writer (products.dat with three fields, sites.dat with two), on
// any bytes. Rows read from any file are written and read back unchanged, and writing them
// again gives the same bytes; rows made of any text a field can hold (no "|", CR, LF or
// NUL: the dialogs refuse them) come back from the file exactly as they went in.
#include "FuzzCheck.h"

#include "catalogue/CatalogueFile.h"
#include "catalogue/ListRows.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

// What the reader makes of file bytes.
Rows Read(const std::string& bytes, int fields)
{
    Rows rows;
    for (const std::string& line : CatalogueFile::SplitLines(bytes))
        rows.push_back(CatalogueFile::CutLine(line, fields));
    return rows;
}

ListRows ListOf(const Rows& rows, int fields)
{
    ListRows list(fields);
    for (const auto& texts : rows) {
        ListRow row;
        row.Caption = texts[0];
        row.SubItems.assign(texts.begin() + 1, texts.end());
        list.Add(std::move(row));
    }
    return list;
}

bool FieldText(const std::string& text)
{
    return text.find_first_of(std::string("|\r\n\0", 4)) == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const int fields = in.ConsumeBool() ? CatalogueFile::ProductFields : CatalogueFile::SiteFields;
    Rows rows;
    if (in.ConsumeBool()) {
        rows = Read(in.ConsumeRemainingBytesAsString(), fields);
    } else {
        while (in.remaining_bytes() > 0 && rows.size() < 64) {
            std::vector<std::string> texts;
            for (int f = 0; f < fields; ++f) {
                std::string text = in.ConsumeRandomLengthString(64);
                std::erase_if(text, [](char c) { return c == '|' || c == '\r' || c == '\n' || c == '\0'; });
                texts.push_back(std::move(text));
            }
            rows.push_back(std::move(texts));
        }
    }
    for (const auto& texts : rows) {
        FUZZ_CHECK(static_cast<int>(texts.size()) == fields, "a row read has every field");
        FUZZ_CHECK(std::all_of(texts.begin(), texts.end(), FieldText), "a field read holds no |, CR, LF or NUL");
    }

    const ListRows list = ListOf(rows, fields);
    const std::string written = CatalogueFile::Format(list, fields);
    const Rows back = Read(written, fields);
    FUZZ_CHECK(back == rows, "rows written and read back are the same rows");
    FUZZ_CHECK(CatalogueFile::Format(ListOf(back, fields), fields) == written,
               "writing them again gives the same bytes");
    return 0;
}
