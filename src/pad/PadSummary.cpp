#include "pad/PadSummary.h"

#include "pad/PadXml.h"

#include <array>

namespace {

constexpr const char* NamePath = "XML_DIZ_INFO/Program_Info/Program_Name";
constexpr const char* VersionPath = "XML_DIZ_INFO/Program_Info/Program_Version";
constexpr const char* CategoryPath = "XML_DIZ_INFO/Program_Info/Program_Category_Class";

// The rules of the three fields, each required whatever the table says: a title needs both
// halves, and an optional category left empty would give the product none. A field the
// table has no rule for must at least hold some text.
std::vector<PadRule> RulesOfTheFields(const std::vector<PadRule>& table)
{
    std::vector<PadRule> rules;
    for (const char* path : std::array{NamePath, VersionPath, CategoryPath}) {
        PadRule rule{path, true, "\\S", "some text", "", Phrase("some text")};
        for (const PadRule& r : table)
            if (r.Path == path) {
                rule.Pattern = r.Pattern;
                rule.Message = r.Message;
                rule.Said = r.Said;
                break;
            }
        rules.push_back(std::move(rule));
    }
    return rules;
}

} // namespace

PadSummary PadSummary::Of(std::string_view bytes, const std::vector<std::string>& categories,
                          const std::vector<PadRule>& rules, std::chrono::milliseconds timeLimit)
{
    PadSummary summary;
    // No PAD link: the table of three holds no rule for the file's own address, so that
    // comparison never runs; the category list does.
    summary.Problems = PadValidation::Check(bytes, "", categories, RulesOfTheFields(rules), timeLimit);
    if (!summary.Problems.empty()) return summary;
    const PadXml xml = PadXml::Parse(bytes);
    summary.Title = PadXml::Trimmed(xml.Fields.at(NamePath)) + " " + PadXml::Trimmed(xml.Fields.at(VersionPath));
    summary.Category = PadXml::Trimmed(xml.Fields.at(CategoryPath));
    return summary;
}
