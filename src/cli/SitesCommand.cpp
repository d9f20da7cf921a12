#include "cli/SitesCommand.h"

#include "cli/CliEnvironment.h"
#include "cli/CliOptions.h"
#include "common/CsvText.h"
#include "common/FileReplace.h"
#include "submit/OwnSites.h"
#include "submit/SiteTable.h"

#include <filesystem>

namespace {

constexpr const char* Name = "quillpost-cli sites";
constexpr int ColumnCount = 7;

std::string Field(const SiteRecord& site, int column)
{
    const std::string* fields[ColumnCount] = {&site.Title,        &site.ScriptUrl,     &site.Method,
                                              &site.LinkField,    &site.CategoryField, &site.EmailField,
                                              &site.SuccessMarker};
    return *fields[column];
}

int Import(OwnSites& own, const std::string& file, const CliEnvironment& env, std::ostream& out, std::ostream& err)
{
    std::vector<CsvText::Line> lines;
    try {
        lines = CsvText::Split(FileReplace::ReadLimited(file, 16 * 1024 * 1024));
    } catch (const CsvText::Error& e) {
        err << Name << ": " << file << " line " << e.Line << ": " << e.what() << "; nothing imported\n";
        return SitesCommand::UsageError;
    } catch (const FileError& e) {
        err << Name << ": " << e.what() << '\n';
        return SitesCommand::UsageError;
    }
    if (lines.empty()) {
        err << Name << ": " << file << " is empty; nothing imported\n";
        return SitesCommand::UsageError;
    }
    int at[ColumnCount];
    const CsvText::Record& header = lines.front().Fields;
    for (int c = 0; c < ColumnCount; ++c) {
        at[c] = -1;
        for (size_t h = 0; h < header.size(); ++h)
            if (header[h] == SitesCommand::Columns[c]) at[c] = static_cast<int>(h);
        if (at[c] < 0) {
            err << Name << ": " << file << " has no column \"" << SitesCommand::Columns[c]
                << "\" in its header row; nothing imported\n";
            return SitesCommand::UsageError;
        }
    }
    // The rows that have every field are added in one go; refusals are told in line order.
    std::vector<std::string> refusals(lines.size());
    std::vector<SiteRecord> rows;
    std::vector<size_t> rowOf;
    for (size_t r = 1; r < lines.size(); ++r) {
        const CsvText::Line& line = lines[r];
        if (line.Fields.size() != header.size()) {
            refusals[r] =
                "it has " + std::to_string(line.Fields.size()) + " fields, the header " + std::to_string(header.size());
            continue;
        }
        auto field = [&](int c) {
            std::string cell = line.Fields[static_cast<size_t>(at[c])];
            CsvText::RestoreCell(cell);
            return cell;
        };
        rows.push_back(SiteRecord{field(0), field(1), field(2), field(3), field(4), field(5), field(6), true});
        rowOf.push_back(r);
    }
    std::vector<std::string> outcome = own.AddAll(std::move(rows));
    for (size_t i = 0; i < outcome.size(); ++i) refusals[rowOf[i]] = std::move(outcome[i]);
    int added = 0, refused = 0;
    for (size_t r = 1; r < lines.size(); ++r) {
        if (refusals[r].empty()) {
            ++added;
        } else {
            ++refused;
            err << Name << ": " << file << " line " << lines[r].Number << " refused: " << refusals[r] << '\n';
        }
    }
    if (added > 0) {
        try {
            // A program folder that has no catalogue yet gets its data/ folder.
            std::error_code ec;
            std::filesystem::create_directories(env.ProgramFolder + "data", ec);
            own.Save(env.OwnSitesPath());
        } catch (const FileError& e) {
            err << Name << ": " << e.what() << "; nothing imported\n";
            return SitesCommand::UsageError;
        }
    }
    out << "Imported: " << added << " Refused: " << refused << '\n' << std::flush;
    return refused ? SitesCommand::SomeRefused : SitesCommand::Listed;
}

int Export(const OwnSites& own, const std::string& file, std::ostream& out, std::ostream& err)
{
    std::string bytes =
        CsvText::FormatRecord(CsvText::Record(SitesCommand::Columns, SitesCommand::Columns + ColumnCount));
    for (const SiteRecord& site : own.Sites()) {
        CsvText::Record record;
        for (int c = 0; c < ColumnCount; ++c) record.push_back(Field(site, c));
        bytes += CsvText::FormatCells(record);
    }
    try {
        FileReplace::Write(file, bytes);
    } catch (const FileError& e) {
        err << Name << ": " << e.what() << '\n';
        return SitesCommand::UsageError;
    }
    out << "Exported: " << own.Sites().size() << '\n' << std::flush;
    return SitesCommand::Listed;
}

} // namespace

const char* SitesCommand::Usage()
{
    return "usage: quillpost-cli sites [--import FILE | --export FILE]\n";
}

int SitesCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return Run(args, out, err, CliEnvironment::Real());
}

int SitesCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      const CliEnvironment& env)
{
    CLI::App app{"Lists the download sites, built-in then your own: title, method, script address and \"built-in\" "
                 "or \"own\", tab-separated. --import and --export read and write your own sites as CSV.",
                 Name};
    app.footer("Exit codes: 0 done; 1 some imported row was refused; 2 usage error or unreadable file.");
    std::string importFile, exportFile;
    auto* importOption =
        app.add_option("--import", importFile, "Add the sites of this CSV file to your own")->type_name("FILE");
    app.add_option("--export", exportFile, "Write your own sites to this CSV file")
        ->type_name("FILE")
        ->excludes(importOption);
    if (const auto code = CliOptions::Parse(app, args, out, err)) return *code;

    OwnSites own;
    env.LoadOwnSites(own, err, Name);
    if (!importFile.empty()) return Import(own, importFile, env, out, err);
    if (!exportFile.empty()) return Export(own, exportFile, out, err);
    const SiteTable table = own.Combined();
    for (const SiteRecord& site : table.Rows())
        out << CliOptions::OneLine(site.Title) << '\t' << CliOptions::OneLine(site.Method) << '\t'
            << CliOptions::OneLine(site.ScriptUrl) << '\t' << (site.Own ? "own" : "built-in") << '\n';
    out << std::flush;
    return Listed;
}
