#include "pad/PadForm.h"

#include "pad/PadFieldCheck.h"
#include "pad/PadFields.h"
#include "pad/PadValidation.h"
#include "pad/PadXml.h"

#include <algorithm>

namespace {

const std::string RootPrefix = std::string(PadFields::Root) + "/";

std::string Relative(const std::string& path)
{
    return path.compare(0, RootPrefix.size(), RootPrefix) == 0 ? path.substr(RootPrefix.size()) : path;
}

bool Under(const std::string& path, const std::string& group)
{
    return path.compare(0, group.size() + 1, group + "/") == 0;
}

// The tab of a field: by its group; a group of another field list goes with the program.
std::size_t TabOf(const std::string& path)
{
    if (Under(path, "MASTER_PAD_VERSION_INFO") || Under(path, "Company_Info")) return 0;
    if (Under(path, "Program_Info/File_Info")) return 2;
    if (Under(path, "Program_Descriptions") || Under(path, "Permissions")) return 3;
    if (Under(path, "Web_Info")) return 4;
    return 1;
}

} // namespace

std::vector<std::string> PadForm::RulePaths(const std::vector<PadRule>& rules)
{
    std::vector<std::string> paths;
    for (const PadRule& rule : rules)
        if (rule.Path.compare(0, RootPrefix.size(), RootPrefix) == 0) paths.push_back(Relative(rule.Path));
    return paths;
}

std::vector<PadFormTab> PadForm::Tabs(const std::vector<PadRule>& rules)
{
    std::vector<PadFormTab> tabs = {{"Company", {}}, {"Program", {}}, {"File", {}}, {"Descriptions", {}}, {"Web", {}}};
    std::vector<std::string> paths = PadFields::PublicOrder();
    for (const std::string& path : RulePaths(rules))
        if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
    for (const std::string& path : paths) {
        PadFormField field;
        field.Path = path;
        field.Label = path.substr(path.rfind('/') + 1);
        const auto rule =
            std::find_if(rules.begin(), rules.end(), [&](const PadRule& r) { return Relative(r.Path) == path; });
        if (rule != rules.end()) {
            field.Rule = *rule;
            field.Limit = Limit(rule->Pattern);
        }
        field.Counted = Under(path, "Program_Descriptions") && field.Limit > 0;
        field.Multiline = field.Label == "Char_Desc_2000" || Under(path, "Permissions") ||
                          field.Label == "Program_Change_Info" || field.Label == "Program_System_Requirements";
        tabs[TabOf(path)].Fields.push_back(std::move(field));
    }
    return tabs;
}

Phrase PadForm::Problem(const PadDocument& document, const PadFormField& field)
{
    if (!field.Rule) return {};
    std::optional<std::string> standIn;
    if (!field.Rule->OrPath.empty()) standIn = document.Value(Relative(field.Rule->OrPath));
    return PadFieldCheck::Problem(*field.Rule, document.Value(field.Path), standIn);
}

std::size_t PadForm::Limit(const std::string& pattern)
{
    const std::size_t open = pattern.rfind('{');
    if (open == std::string::npos || (open > 0 && pattern[open - 1] == '\\')) return 0;
    const std::size_t comma = pattern.find(',', open);
    const std::size_t close = pattern.find('}', open);
    if (comma == std::string::npos || close == std::string::npos || comma > close || close - comma < 2 ||
        close - comma > 10)
        return 0;
    std::size_t limit = 0;
    for (std::size_t i = comma + 1; i < close; ++i) {
        if (pattern[i] < '0' || pattern[i] > '9') return 0;
        limit = limit * 10 + static_cast<std::size_t>(pattern[i] - '0');
    }
    for (std::size_t i = open + 1; i < comma; ++i)
        if (pattern[i] < '0' || pattern[i] > '9') return 0;
    return limit;
}

std::size_t PadForm::Characters(std::string_view text)
{
    const std::string trimmed = PadXml::Trimmed(std::string(text));
    return static_cast<std::size_t>(std::count_if(trimmed.begin(), trimmed.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string PadForm::Template(const std::vector<PadRule>& rules)
{
    PadDocument document;
    std::string error;
    document.Open("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<XML_DIZ_INFO>\r\n</XML_DIZ_INFO>\r\n", error);
    document.AddKnownFields(RulePaths(rules));
    for (const PadRule& rule : rules)
        if (rule.Required) document.Set(Relative(rule.Path), "", error);
    return document.Bytes();
}
