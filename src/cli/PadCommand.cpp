#include "cli/PadCommand.h"

#include "catalogue/CatalogueFile.h"
#include "cli/CliEnvironment.h"
#include "cli/CliOptions.h"
#include "cli/ValidatePadsCommand.h"
#include "common/FileReplace.h"
#include "common/TerminalText.h"
#include "pad/PadDocument.h"
#include "pad/PadFields.h"
#include "pad/PadSpecFile.h"
#include "pad/PadValidation.h"
#include "pad/PadXml.h"

#include <cctype>
#include <exception>
#include <filesystem>
#include <optional>

namespace {

constexpr const char* Name = "quillpost-cli pad";

// What the checks need besides the file: the rules in use and the category list.
struct Checks {
    PadRuleSet Rules;
    std::vector<std::string> Categories;
    std::vector<std::string> Paths; // the rules' fields, relative to the root, in their order
};

std::optional<Checks> LoadChecks(const CliEnvironment& env, std::ostream& err)
{
    Checks checks;
    try {
        checks.Categories = CatalogueFile::ReadCategories(env.ProgramFolder + ValidatePadsCommand::CategoriesFile);
    } catch (const std::exception& e) {
        err << Name << ": " << e.what() << '\n';
        return std::nullopt;
    }
    checks.Rules = PadSpecFile::RulesIn(env.ProgramFolder);
    if (!checks.Rules.Notice.empty()) err << Name << ": " << checks.Rules.Notice << '\n';
    const std::string prefix = std::string(PadFields::Root) + "/";
    for (const PadRule& rule : checks.Rules.Rules)
        if (rule.Path.compare(0, prefix.size(), prefix) == 0) checks.Paths.push_back(rule.Path.substr(prefix.size()));
    return checks;
}

std::optional<std::string> ReadFile(const std::string& path, std::ostream& err)
{
    try {
        return FileReplace::ReadLimited(path, PadXml::MaxBytes);
    } catch (const FileError& e) {
        err << Name << ": " << e.what() << '\n';
        return std::nullopt;
    }
}

std::optional<PadDocument> OpenDocument(const std::string& path, const Checks& checks, std::ostream& err)
{
    const std::optional<std::string> bytes = ReadFile(path, err);
    if (!bytes) return std::nullopt;
    PadDocument doc;
    std::string error;
    if (!doc.Open(*bytes, error)) {
        err << Name << ": " << path << ": " << error << '\n';
        return std::nullopt;
    }
    doc.AddKnownFields(checks.Paths);
    return doc;
}

// The problems of the bytes. Without a link the Application_XML_File_URL check is left out:
// the file's own address is what it is compared with.
std::vector<PadProblem> Problems(const std::string& bytes, const std::optional<std::string>& link, const Checks& checks)
{
    std::string padLink;
    if (link) {
        padLink = *link;
    } else {
        const PadXml xml = PadXml::Parse(bytes);
        const auto own = xml.Fields.find(std::string(PadFields::Root) + "/Web_Info/Application_URLs/"
                                                                        "Application_XML_File_URL");
        if (own != xml.Fields.end()) padLink = PadXml::Trimmed(own->second);
    }
    return PadValidation::Check(bytes, padLink, checks.Categories, checks.Rules.Rules);
}

// "YYYY-MM-DD" in digits; the calendar is PadDocument's to check.
bool ParseDate(const std::string& text, int& year, int& month, int& day)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i != 4 && i != 7 && !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    year = std::stoi(text.substr(0, 4));
    month = std::stoi(text.substr(5, 2));
    day = std::stoi(text.substr(8, 2));
    return true;
}

int Show(const std::string& file, const std::vector<std::string>& named, const CliEnvironment& env, std::ostream& out,
         std::ostream& err)
{
    const std::optional<Checks> checks = LoadChecks(env, err);
    if (!checks) return PadCommand::UsageError;
    const std::optional<PadDocument> doc = OpenDocument(file, *checks, err);
    if (!doc) return PadCommand::UsageError;
    std::vector<std::string> paths;
    for (const std::string& given : named.empty() ? checks->Paths : named) {
        std::string error;
        const std::optional<std::string> path = doc->FieldPath(given, error);
        if (!path) {
            err << Name << ": " << error << '\n';
            return PadCommand::UsageError;
        }
        paths.push_back(*path);
    }
    for (const std::string& path : paths)
        out << path << '\t' << PadCommand::Escaped(doc->Value(path).value_or("")) << '\n';
    out << std::flush;
    return PadCommand::Valid;
}

struct SetRequest {
    std::string File;
    std::vector<std::string> Assignments;
    std::string SizesFrom;
    std::string Date;
    std::string Output;
};

int Set(const SetRequest& request, const CliEnvironment& env, std::ostream& err)
{
    if (request.Assignments.empty() && request.SizesFrom.empty() && request.Date.empty()) {
        err << Name << ": nothing to set: give PATH=VALUE, --sizes-from or --date\n";
        return PadCommand::UsageError;
    }
    const std::optional<Checks> checks = LoadChecks(env, err);
    if (!checks) return PadCommand::UsageError;
    std::optional<PadDocument> doc = OpenDocument(request.File, *checks, err);
    if (!doc) return PadCommand::UsageError;

    std::string error;
    for (const std::string& assignment : request.Assignments) {
        const auto equals = assignment.find('=');
        if (equals == std::string::npos) {
            err << Name << ": \"" << assignment << "\": PATH=VALUE expected\n";
            return PadCommand::UsageError;
        }
        if (!doc->Set(assignment.substr(0, equals), assignment.substr(equals + 1), error)) {
            err << Name << ": " << error << '\n';
            return PadCommand::UsageError;
        }
    }
    if (!request.SizesFrom.empty()) {
        std::error_code failed;
        const bool regular = std::filesystem::is_regular_file(request.SizesFrom, failed);
        const std::uintmax_t size = regular ? std::filesystem::file_size(request.SizesFrom, failed) : 0;
        if (!regular || failed) {
            err << Name << ": " << request.SizesFrom << ": not a file whose size can be read"
                << (failed ? " (" + failed.message() + ")" : std::string()) << '\n';
            return PadCommand::UsageError;
        }
        if (!doc->SetSizes(size, error)) {
            err << Name << ": " << error << '\n';
            return PadCommand::UsageError;
        }
    }
    if (!request.Date.empty()) {
        int year = 0, month = 0, day = 0;
        if (!ParseDate(request.Date, year, month, day)) {
            err << Name << ": --date: \"" << request.Date << "\" is not a date of the form YYYY-MM-DD\n";
            return PadCommand::UsageError;
        }
        if (!doc->SetReleaseDate(year, month, day, error)) {
            err << Name << ": --date: " << error << '\n';
            return PadCommand::UsageError;
        }
    }

    const std::string& target = request.Output.empty() ? request.File : request.Output;
    try {
        FileReplace::Write(target, doc->Bytes());
    } catch (const FileError& e) {
        err << Name << ": " << e.what() << '\n';
        return PadCommand::UsageError;
    }
    const std::vector<PadProblem> problems = Problems(doc->Bytes(), std::nullopt, *checks);
    for (const PadProblem& p : problems) err << CliOptions::OneLine(PadValidation::Line(p)) << '\n';
    return problems.empty() ? PadCommand::Valid : PadCommand::Problems;
}

int Check(const std::string& file, const std::optional<std::string>& link, const CliEnvironment& env, std::ostream& out,
          std::ostream& err)
{
    const std::optional<Checks> checks = LoadChecks(env, err);
    if (!checks) return PadCommand::UsageError;
    const std::optional<std::string> bytes = ReadFile(file, err);
    if (!bytes) return PadCommand::UsageError;
    if (const PadXml xml = PadXml::Parse(*bytes); !xml.Ok) {
        err << Name << ": " << file << ": " << xml.Error << '\n';
        return PadCommand::UsageError;
    }
    const std::vector<PadProblem> problems = Problems(*bytes, link, *checks);
    for (const PadProblem& p : problems) out << CliOptions::OneLine(PadValidation::Line(p)) << '\n';
    out << std::flush;
    return problems.empty() ? PadCommand::Valid : PadCommand::Problems;
}

} // namespace

const char* PadCommand::Usage()
{
    return "usage: quillpost-cli pad show FILE [PATH]...\n"
           "       quillpost-cli pad set FILE PATH=VALUE... [--sizes-from RELEASE_FILE] [--date YYYY-MM-DD]\n"
           "                                               [--output OUT]\n"
           "       quillpost-cli pad check FILE [--link URL]\n";
}

std::string PadCommand::Escaped(const std::string& value)
{
    std::string out;
    for (const char c : value) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    // A field may hold anything a PAD file's author put there.
    return TerminalText::Escaped(out);
}

int PadCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return Run(args, out, err, CliEnvironment::Real());
}

int PadCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const CliEnvironment& env)
{
    CLI::App app{"Shows, sets and checks the fields of a PAD file.", Name};
    app.require_subcommand(1, 1);
    app.footer("Paths are relative to XML_DIZ_INFO, e.g. Program_Info/Program_Version.\n"
               "Exit codes: 0 done and valid; 1 written (set) or read (check) but some check fails, the problems "
               "one line each; 2 nothing written: usage error, unknown path, unreadable or hostile file, a value "
               "the file's encoding cannot hold.");

    std::string file;
    std::vector<std::string> paths;
    CLI::App* show = app.add_subcommand("show", "Print \"path<TAB>value\" for each field (\\\\, \\t, \\r, \\n "
                                                "escaped)");
    show->add_option("FILE", file, "The PAD file")->required();
    show->add_option("PATH", paths, "Only these fields (default: every field of the rules, in their order)");

    SetRequest request;
    CLI::App* set = app.add_subcommand("set", "Set fields, write the file, then check it");
    set->add_option("FILE", request.File, "The PAD file")->required();
    set->add_option("SETTINGS", request.Assignments, "PATH=VALUE: a field and its new value (UTF-8, as it is)");
    set->add_option("--sizes-from", request.SizesFrom,
                    "Set File_Size_Bytes, File_Size_K and File_Size_MB from this release file's size")
        ->type_name("RELEASE_FILE");
    set->add_option("--date", request.Date, "Set Program_Release_Year, _Month and _Day")->type_name("YYYY-MM-DD");
    set->add_option("--output", request.Output, "Write the changed file here instead of FILE")->type_name("OUT");

    std::string checkFile, link;
    CLI::App* check = app.add_subcommand("check", "Check the file as Validate PADs does");
    check->add_option("FILE", checkFile, "The PAD file")->required();
    CLI::Option* linkOption =
        check->add_option("--link", link, "The PAD link it is served at (for Application_XML_File_URL)")
            ->type_name("URL");

    if (const auto code = CliOptions::Parse(app, args, out, err)) return *code;
    if (*show) return Show(file, paths, env, out, err);
    if (*set) return Set(request, env, err);
    return Check(checkFile, *linkOption ? std::optional<std::string>(link) : std::nullopt, env, out, err);
}
