#include "catalogue/CatalogueFile.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"
#include "common/StatusWords.h"

#include <algorithm>
#include <span>

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

namespace {

// Calls line(text) for every line of `bytes` (see SplitLines).
template <typename F>
void ForEachLine(std::string_view bytes, F line)
{
    const size_t n = bytes.size();
    size_t start = 0;
    for (size_t i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        line(bytes.substr(start, i - start));
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) line(bytes.substr(start));
}

// CutLine into views of `line`; `out` holds one text per column.
void CutFields(std::string_view line, std::span<std::string_view> out)
{
    std::string_view rest = line;
    const auto p = rest.find('|');
    if (p == std::string_view::npos) {
        out[0] = {};
    } else {
        out[0] = rest.substr(0, p);
        rest = rest.substr(p + 1);
    }
    for (size_t c = 1; c < out.size(); ++c) {
        const auto bar = rest.find('|');
        if (bar == std::string_view::npos) {
            out[c] = rest;
            rest = {};
        } else {
            out[c] = rest.substr(0, bar);
            rest = rest.substr(bar + 1);
        }
    }
}

} // namespace

std::vector<std::string> CatalogueFile::SplitLines(std::string_view bytes)
{
    auto nul = bytes.find('\0');
    if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    std::vector<std::string> lines;
    ForEachLine(bytes, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::vector<std::string> CatalogueFile::ReadLines(const std::string& path)
{
    return SplitLines(FileReplace::ReadAll(path));
}

std::vector<std::string> CatalogueFile::CutLine(const std::string& line, int columns)
{
    std::vector<std::string_view> fields(static_cast<size_t>(columns));
    CutFields(line, fields);
    return {fields.begin(), fields.end()};
}

void CatalogueFile::ReadList(ListRows& list, const std::string& path, bool checkRows, bool refuseNonText)
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
        throw RefusedFile(NameOf(path) + " is UTF-16 text; it was not read");
    }
    const size_t nul = bytes.find('\0');
    if (refuseNonText) {
        if (const std::string why = NotText(bytes); !why.empty()) {
            list.MarkLoadFailed(path);
            throw RefusedFile(NameOf(path) + " does not look like a " +
                              (list.ColumnCount() > ProductFields ? "products" : "sites") + " file: " + why);
        }
    }
    std::string stopped; // why reading ended before the end of the file
    if (nul != std::string::npos)
        stopped =
            NameOf(path) + " has a NUL byte at offset " + std::to_string(nul) + "; the rest of the file was not read";
    list.BeginUpdate();
    try {
        list.Clear();
        // The rows' texts stay where they are in the file's bytes; the list keeps them.
        std::string_view text = list.KeepBytes(std::move(bytes));
        if (nul != std::string::npos) text = text.substr(0, nul);
        // A field longer than any catalogue text ends the file's readable part at its line: no
        // row holds it, and the sorting never sees it.
        int lines = 0;
        size_t end = text.size();
        std::vector<std::string_view> fields(static_cast<size_t>(list.ColumnCount()));
        ForEachLine(text, [&](std::string_view line) {
            if (end != text.size()) return;
            ++lines;
            if (line.size() <= MaxFieldLength) return;
            CutFields(line, fields);
            if (std::all_of(fields.begin(), fields.end(),
                            [](std::string_view f) { return f.size() <= MaxFieldLength; }))
                return;
            end = static_cast<size_t>(line.data() - text.data());
            stopped = NameOf(path) + " has a field longer than " + std::to_string(MaxFieldLength) + " bytes on line " +
                      std::to_string(lines) + "; the rest of the file was not read";
            --lines;
        });
        text = text.substr(0, end);
        list.Reserve(lines);
        ForEachLine(text, [&](std::string_view line) {
            CutFields(line, fields);
            list.AddKept(fields, checkRows);
        });
    } catch (...) {
        list.EndUpdate();
        throw;
    }
    if (stopped.empty())
        ForgetFailedLoad(list, path);
    else
        list.MarkLoadFailed(path);
    list.EndUpdate();
    list.SetModified(false);
    if (!stopped.empty()) throw IncompleteRead(stopped);
}

std::string CatalogueFile::NotText(std::string_view bytes)
{
    const bool binary = std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 32 && c != '\t' && c != '\r' && c != '\n' && c != '\f';
    });
    return binary ? "it holds binary data" : std::string();
}

void CatalogueFile::ForgetFailedLoad(ListRows& list, const std::string& path)
{
    const std::vector<std::string> failed = list.FailedPaths();
    for (const std::string& f : failed)
        if (FileReplace::SameFile(f, path)) list.ClearLoadFailed(f);
}

void CatalogueFile::FormatTo(const ListRows& list, int fields, FileReplace::Sink& out)
{
    const int columns = std::min(fields, list.ColumnCount());
    // A product's PAD validation result is kept as a fourth field; other words are not.
    const bool status = fields == ProductFields && list.ColumnCount() > ProductColumn::Status;
    for (int r = 0; r < list.Count(); ++r) {
        for (int c = 0; c < fields; ++c) {
            if (c < columns) out.Put(list.Text(r, c));
            out.Put('|');
        }
        if (status) {
            const std::string_view word = list.Text(r, ProductColumn::Status);
            if (word == StatusWords::Valid || word == StatusWords::NotValid) {
                out.Put(word);
                out.Put('|');
            }
        }
        out.Put("\r\n");
    }
}

std::string CatalogueFile::Format(const ListRows& list, int fields)
{
    FileReplace::Sink out;
    FormatTo(list, fields, out);
    return out.Take();
}

void CatalogueFile::WriteList(const ListRows& list, const std::string& path, int fields)
{
    FileReplace::Write(path, [&](FileReplace::Sink& out) { FormatTo(list, fields, out); });
}

void CatalogueFile::SaveList(ListRows& list, const std::string& path, int fields)
{
    FileReplace::Write(
        path, [&](FileReplace::Sink& out) { FormatTo(list, fields, out); }, true);
    ForgetFailedLoad(list, path);
    list.MarkWritten();
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
    FileReplace::Write(
        path, [&](FileReplace::Sink& out) { FormatTo(list, fields, out); }, true);
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
