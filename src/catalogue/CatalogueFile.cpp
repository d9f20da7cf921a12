#include "catalogue/CatalogueFile.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"
#include "common/StatusWords.h"

namespace {

// The file's name without its folder, as the user knows it.
std::string NameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsUtf16(std::string_view bytes)
{
    return bytes.size() >= 2 &&
           ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
}

} // namespace

std::vector<std::string> CatalogueFile::SplitLines(std::string_view bytes)
{
    auto nul = bytes.find('\0');
    if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    std::vector<std::string> lines;
    size_t start = 0;
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(bytes.substr(start, i - start));
            if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < n) lines.emplace_back(bytes.substr(start));
    return lines;
}

std::vector<std::string> CatalogueFile::ReadLines(const std::string& path)
{
    return SplitLines(FileReplace::ReadAll(path));
}

std::vector<std::string> CatalogueFile::CutLine(const std::string& line, int columns)
{
    std::vector<std::string> out;
    out.reserve(static_cast<size_t>(columns));
    std::string_view rest = line;
    auto p = rest.find('|');
    if (p == std::string_view::npos) {
        out.emplace_back();
    } else {
        out.emplace_back(rest.substr(0, p));
        rest = rest.substr(p + 1);
    }
    for (int c = 1; c < columns; ++c) {
        auto bar = rest.find('|');
        if (bar == std::string_view::npos) {
            out.emplace_back(rest);
            rest = {};
        } else {
            out.emplace_back(rest.substr(0, bar));
            rest = rest.substr(bar + 1);
        }
    }
    return out;
}

void CatalogueFile::ReadList(ListRows& list, const std::string& path, bool checkRows)
{
    std::string bytes;
    try {
        bytes = FileReplace::ReadAll(path);
    } catch (const FileError&) {
        list.MarkLoadFailed(path);
        throw;
    }
    if (IsUtf16(bytes)) {
        list.MarkLoadFailed(path);
        throw IncompleteRead(NameOf(path) + " is UTF-16 text; it was not read");
    }
    const size_t nul = bytes.find('\0');
    const std::vector<std::string> lines = SplitLines(bytes);
    bytes = std::string();
    const int columns = list.ColumnCount();
    list.BeginUpdate();
    list.Clear();
    for (const std::string& line : lines) {
        std::vector<std::string> texts = CutLine(line, columns);
        ListRow row;
        row.Caption = std::move(texts[0]);
        row.SubItems.assign(std::make_move_iterator(texts.begin() + 1), std::make_move_iterator(texts.end()));
        row.Checked = checkRows;
        list.Add(std::move(row));
    }
    if (nul == std::string::npos)
        ForgetFailedLoad(list, path);
    else
        list.MarkLoadFailed(path);
    list.EndUpdate();
    list.SetModified(false);
    if (nul != std::string::npos)
        throw IncompleteRead(NameOf(path) + " has a NUL byte at offset " + std::to_string(nul) +
                             "; the rest of the file was not read");
}

void CatalogueFile::ForgetFailedLoad(ListRows& list, const std::string& path)
{
    const std::vector<std::string> failed = list.FailedPaths();
    for (const std::string& f : failed)
        if (FileReplace::SameFile(f, path)) list.ClearLoadFailed(f);
}

std::string CatalogueFile::Format(const ListRows& list, int fields)
{
    std::string out;
    for (int r = 0; r < list.Count(); ++r) {
        for (int c = 0; c < fields; ++c) {
            if (c < list.ColumnCount()) out += list.Text(r, c);
            out += '|';
        }
        // A product's PAD validation result is kept as a fourth field; other words are not.
        if (fields == ProductFields && list.ColumnCount() > ProductColumn::Status) {
            const std::string& word = list.Text(r, ProductColumn::Status);
            if (word == StatusWords::Valid || word == StatusWords::NotValid) out += word + '|';
        }
        out += "\r\n";
    }
    return out;
}

void CatalogueFile::WriteList(const ListRows& list, const std::string& path, int fields)
{
    FileReplace::Write(path, Format(list, fields));
}

void CatalogueFile::SaveList(ListRows& list, const std::string& path, int fields)
{
    WriteList(list, path, fields);
    ForgetFailedLoad(list, path);
    list.SetModified(false);
}

std::string CatalogueFile::SaveOnClose(const ListRows& list, const std::string& path, int fields)
{
    bool failedHere = false;
    for (const std::string& failed : list.FailedPaths())
        if (FileReplace::SameFile(failed, path)) failedHere = true;
    if (failedHere && FileReplace::Exists(path)) {
        if (list.Count() == 0) return {};
        std::string aside = path + ".unsaved";
        for (int n = 2; FileReplace::Exists(aside); ++n) aside = path + ".unsaved." + std::to_string(n);
        WriteList(list, aside, fields);
        return aside;
    }
    WriteList(list, path, fields);
    return path;
}

std::string CatalogueFile::PutAsideMessage(const std::string& path, const std::string& aside)
{
    return NameOf(path) + " was not read whole, so it was left as it is. The list was saved to " + aside + ".";
}

std::vector<std::string> CatalogueFile::ReadCategories(const std::string& path)
{
    return ReadLines(path);
}
