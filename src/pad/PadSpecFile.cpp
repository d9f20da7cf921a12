#include "pad/PadSpecFile.h"

#include "pad/PadValidation.h"
#include "pad/PadXml.h"

#include <filesystem>
#include <fstream>
#include <set>

namespace {

constexpr const char* Root = "PAD_Spec";
constexpr const char* FieldPath = "PAD_Spec/Fields/Field";
constexpr const char* PadRoot = "XML_DIZ_INFO/";

struct SpecField {
    std::string Path;
    std::string RegEx;
    bool HasRegEx = false;
    std::string Documentation;
    std::string Title;
};

} // namespace

bool PadSpecFile::Parse(std::string_view bytes, std::vector<PadRule>& rules, Phrase& error)
{
    rules.clear();
    std::vector<SpecField> fields;
    std::size_t count = 0;
    SpecField current;
    std::string root;
    const std::string fieldPrefix = std::string(FieldPath) + "/";
    const std::string unread = PadXml::Read(bytes, MaxBytes, [&](const std::string& path, std::string& text) {
        if (path.find('/') == std::string::npos) root = path;
        if (path == FieldPath) {
            ++count;
            // Past the limit the file is refused: its fields need not be kept.
            if (count <= MaxFields) fields.push_back(std::move(current));
            current = SpecField();
            return;
        }
        if (path.compare(0, fieldPrefix.size(), fieldPrefix) != 0) return;
        const std::string child = path.substr(fieldPrefix.size());
        if (child == "Path") current.Path = PadXml::Trimmed(text);
        if (child == "RegEx") {
            current.RegEx = std::move(text);
            current.HasRegEx = true;
        }
        if (child == "RegExDocumentation") current.Documentation = PadXml::Trimmed(text);
        if (child == "Title") current.Title = PadXml::Trimmed(text);
    });
    if (!unread.empty()) {
        error = Phrase(unread);
        return false;
    }
    if (root != Root) {
        error = Phrase("the root element is %1, not %2", {Phrase::Text(root), Phrase::Text(Root)});
        return false;
    }
    if (fields.empty()) {
        error = Phrase("it lists no Field under PAD_Spec/Fields");
        return false;
    }
    if (count > MaxFields) {
        error = Phrase("it lists %1 fields, more than the %2 that are checked",
                       {Phrase::Text(std::to_string(count)), Phrase::Text(std::to_string(MaxFields))});
        return false;
    }

    std::set<std::string> seen;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        SpecField& f = fields[i];
        const std::string which = "Field " + std::to_string(i + 1);
        if (f.Path.size() <= std::string(PadRoot).size() ||
            f.Path.compare(0, std::string(PadRoot).size(), PadRoot) != 0) {
            error = f.Path.empty()
                        ? Phrase("%1 has no Path under XML_DIZ_INFO", {Phrase::Text(which)})
                        : Phrase("%1 has no Path under XML_DIZ_INFO: %2", {Phrase::Text(which), Phrase::Text(f.Path)});
            rules.clear();
            return false;
        }
        if (!f.HasRegEx) {
            error = Phrase("%1 (%2) has no RegEx", {Phrase::Text(which), Phrase::Text(f.Path)});
            rules.clear();
            return false;
        }
        if (const std::string why = PadValidation::PatternError(f.RegEx); !why.empty()) {
            error = Phrase("the RegEx of %1 is not a valid regular expression: %2",
                           {Phrase::Text(f.Path), Phrase::Text(why)});
            rules.clear();
            return false;
        }
        if (!seen.insert(f.Path).second) continue;
        std::string message = !f.Documentation.empty() ? f.Documentation
                              : !f.Title.empty()       ? f.Title
                                                       : "text matching " + f.RegEx;
        const bool required = !PadValidation::PatternMatches(f.RegEx, "");
        rules.push_back({f.Path, required, f.RegEx, std::move(message), ""});
    }
    return true;
}

PadRuleSet PadSpecFile::RulesIn(const std::string& programFolder)
{
    std::string path = programFolder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += FileName;

    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return {PadRule::BuiltIn(), ""};
    const auto fallBack = [](Phrase why) {
        Phrase notice = Phrase::Join({Phrase("%1 not used: %2", {Phrase::Text(FileName), std::move(why)}),
                                      Phrase("Validated with the built-in rules.")},
                                     ". ");
        std::string english = notice.English();
        return PadRuleSet{PadRule::BuiltIn(), std::move(english), std::move(notice)};
    };
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return fallBack(Phrase("it cannot be read (%1)", {Phrase::Text(ec.message())}));
    if (size > MaxBytes) return fallBack(Phrase("it is larger than 4 MiB"));
    std::ifstream in(path, std::ios::binary);
    if (!in) return fallBack(Phrase("it cannot be opened"));
    // No more than one byte past the limit, should the file grow meanwhile.
    std::string bytes(static_cast<std::size_t>(size) + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return fallBack(Phrase("it cannot be read"));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > MaxBytes) return fallBack(Phrase("it is larger than 4 MiB"));

    PadRuleSet set;
    Phrase error;
    if (!Parse(bytes, set.Rules, error)) return fallBack(error);
    return set;
}
