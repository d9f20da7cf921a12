#include "submit/RunReport.h"

#include "common/CsvText.h"
#include "common/FileReplace.h"
#include "common/StatusWords.h"
#include "submit/RunPair.h"
#include "submit/SiteTable.h"
#include "submit/SubmissionRun.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <set>
#include <stdexcept>

namespace {

using Clock = std::chrono::system_clock;
using Record = std::vector<std::string>;

constexpr const char* Columns[] = {"time",    "product",     "pad_link", "site",  "script_url", "method",
                                   "outcome", "http_status", "ms",       "error", "detail"};
constexpr int ColumnCount = 11;

void AppendRecord(std::string& out, const ReportRow& row)
{
    CsvText::AppendCell(out, RunReport::IsoTime(row.Time));
    for (const std::string* field : {&row.Product, &row.PadLink, &row.Site, &row.ScriptUrl, &row.Method}) {
        out += ',';
        CsvText::AppendCell(out, *field);
    }
    out += ',';
    CsvText::AppendCell(out, StatusWords::Word(row.Outcome));
    out += ',';
    if (row.HttpStatus) out += std::to_string(row.HttpStatus);
    out += ',';
    if (row.Ms >= 0) out += std::to_string(row.Ms);
    out += ',';
    CsvText::AppendCell(out, row.Error);
    out += ',';
    CsvText::AppendCell(out, row.Detail);
    out += "\r\n";
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void MakeFolder(const std::string& path)
{
    const std::string folder = FolderOf(path);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) throw FileError("Cannot create folder \"" + folder + "\": " + ec.message());
}

// The records of CSV bytes. Blank lines are skipped; a BOM at the start is dropped.
std::vector<Record> SplitRecords(std::string_view bytes, const std::string& name)
{
    std::vector<Record> records;
    try {
        for (CsvText::Line& line : CsvText::Split(bytes)) records.push_back(std::move(line.Fields));
    } catch (const CsvText::Error& e) {
        throw FileError("Not a run report \"" + name + "\": " + e.what() + " (line " + std::to_string(e.Line) + ")");
    }
    return records;
}

bool Digits(const std::string& text)
{
    if (text.empty() || text.size() > 18) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

} // namespace

std::string RunReport::Records(const std::vector<RunProduct>& products, const std::vector<RunPair>& pairs,
                               const SiteTable& sites, Clock::time_point stoppedAt, Outcome unended)
{
    std::string out;
    ReportRow row;
    for (const RunPair& pair : pairs) {
        const RunProduct& product = products.at(static_cast<size_t>(pair.Product));
        const SiteRecord& site = sites.At(pair.SiteRow);
        row.Product = product.Title;
        row.PadLink = product.PadLink;
        row.Site = site.Title;
        row.ScriptUrl = site.ScriptUrl;
        row.Method = site.Method;
        const bool ended = pair.Ended();
        row.Time = ended ? pair.EndedAt : stoppedAt;
        row.Outcome = ended ? pair.Outcome : unended;
        row.HttpStatus = ended ? pair.HttpStatus : 0;
        row.Ms = ended ? pair.Ms : -1;
        row.Error = ended ? pair.Why : std::string();
        row.Detail = ended ? pair.Error : std::string();
        AppendRecord(out, row);
    }
    return out;
}

std::string RunReport::Format(const std::vector<ReportRow>& rows)
{
    std::string out = std::string(Header) + "\r\n";
    for (const ReportRow& row : rows) AppendRecord(out, row);
    return out;
}

void RunReport::Write(const std::string& path, std::string records)
{
    MakeFolder(path);
    records.insert(0, std::string(Header) + "\r\n"); // in place: a report can be megabytes
    FileReplace::Write(path, records);
}

void RunReport::Write(const std::string& path, const SubmissionRun& run, const SiteTable& sites,
                      Clock::time_point stoppedAt)
{
    Write(path, Records(run.Products(), run.Pairs(), sites, stoppedAt));
}

void RunReport::Prepare(const std::string& path)
{
    MakeFolder(path);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw FileError("Cannot write file \"" + path + "\": " + std::strerror(EISDIR));
    FileReplace::CheckWritable(path);
}

std::string RunReport::DefaultPath(const std::string& programFolder, Clock::time_point when)
{
    return StampedPath(programFolder, "run", ".csv", when);
}

std::string RunReport::StampedPath(const std::string& programFolder, const std::string& name,
                                   const std::string& extension, Clock::time_point when)
{
    const std::time_t t = Clock::to_time_t(when);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::string folder = programFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    const std::string stem = folder + Folder + name + "-" + stamp;
    std::string path = stem + extension;
    for (int n = 2; FileReplace::Exists(path); ++n) path = stem + "-" + std::to_string(n) + extension;
    return path;
}

std::vector<ReportRow> RunReport::Read(const std::string& path)
{
    return Parse(FileReplace::ReadAll(path), path);
}

std::vector<ReportRow> RunReport::Parse(std::string_view bytes, const std::string& name)
{
    const std::vector<Record> records = SplitRecords(bytes, name);
    if (records.empty()) throw FileError("Not a run report \"" + name + "\": the file is empty");
    const Record& header = records.front();
    int at[ColumnCount];
    for (int c = 0; c < ColumnCount; ++c) {
        at[c] = -1;
        for (size_t h = 0; h < header.size(); ++h)
            if (header[h] == Columns[c]) at[c] = static_cast<int>(h);
    }
    for (const char* needed : {"product", "site", "outcome"}) {
        for (int c = 0; c < ColumnCount; ++c)
            if (std::strcmp(Columns[c], needed) == 0 && at[c] < 0)
                throw FileError("Not a run report \"" + name + "\": no column \"" + needed + "\"");
    }

    std::vector<ReportRow> rows;
    for (size_t r = 1; r < records.size(); ++r) {
        const Record& record = records[r];
        if (record.size() != header.size())
            throw FileError("Not a run report \"" + name + "\": record " + std::to_string(r + 1) + " has " +
                            std::to_string(record.size()) + " fields, the header " + std::to_string(header.size()));
        auto field = [&](int c) {
            std::string cell = at[c] < 0 ? std::string() : record[static_cast<size_t>(at[c])];
            CsvText::RestoreCell(cell);
            return cell;
        };
        ReportRow row;
        row.Time = ParseIsoTime(field(0));
        row.Product = field(1);
        row.PadLink = field(2);
        row.Site = field(3);
        row.ScriptUrl = field(4);
        row.Method = field(5);
        row.Outcome = StatusWords::ToOutcome(field(6));
        const std::string status = field(7);
        row.HttpStatus = Digits(status) && status.size() <= 9 ? std::stoi(status) : 0;
        const std::string ms = field(8);
        row.Ms = Digits(ms) ? std::stoll(ms) : -1;
        row.Error = field(9);
        row.Detail = field(10);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<ReportPair> RunReport::NotOk(const std::vector<ReportRow>& rows)
{
    std::vector<ReportPair> pairs;
    std::set<std::pair<std::string, std::string>> seen;
    for (const ReportRow& row : rows) {
        if (row.Outcome == Outcome::Ok || !seen.emplace(row.Product, row.Site).second) continue;
        pairs.push_back(ReportPair{row.Product, row.Site});
    }
    return pairs;
}

std::string RunReport::IsoTime(Clock::time_point when)
{
    const std::time_t t = Clock::to_time_t(when);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

Clock::time_point RunReport::ParseIsoTime(const std::string& text)
{
    std::tm tm{};
    char zone = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%n", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
                    &tm.tm_min, &tm.tm_sec, &zone, &used) != 7 ||
        zone != 'Z' || static_cast<size_t>(used) != text.size())
        return {};
    // A date that is none, or one the clock cannot count to (its nanoseconds end in 1677 and
    // 2262), is no time: it would wrap round.
    if (tm.tm_mon < 1 || tm.tm_mon > 12 || tm.tm_mday < 1 || tm.tm_mday > 31 || tm.tm_hour < 0 || tm.tm_hour > 23 ||
        tm.tm_min < 0 || tm.tm_min > 59 || tm.tm_sec < 0 || tm.tm_sec > 60)
        return {};
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    const std::time_t t = ::timegm(&tm); // also brings "23:59:60" or "02-31" into range
    if (tm.tm_year < 1678 - 1900 || tm.tm_year > 2261 - 1900) return {};
    return Clock::from_time_t(t);
}
