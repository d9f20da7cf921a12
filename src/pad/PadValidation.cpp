#include "pad/PadValidation.h"

#include "pad/PadXml.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

constexpr const char* Root = "XML_DIZ_INFO";
constexpr const char* XmlUrlPath = "XML_DIZ_INFO/Web_Info/Application_URLs/Application_XML_File_URL";
constexpr const char* CategoryPath = "XML_DIZ_INFO/Program_Info/Program_Category_Class";

std::string FieldName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

enum class Match { Yes, No, BadPattern };

using Code = std::unique_ptr<pcre2_code, decltype(&pcre2_code_free)>;

// Patterns are Perl-style and run on UTF-8 text: lengths count characters, and text that is
// not UTF-8 simply does not match.
Code Compile(const std::string& pattern, int& error, PCRE2_SIZE& offset)
{
    return Code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                              PCRE2_UTF | PCRE2_MATCH_INVALID_UTF, &error, &offset, nullptr),
                pcre2_code_free);
}

// Runs one Perl-style pattern on UTF-8 text. The match and depth limits bound the time a
// pattern of another rule table can take on hostile text; hitting them counts as no match.
Match Matches(const std::string& pattern, const std::string& text)
{
    int error = 0;
    PCRE2_SIZE offset = 0;
    const Code code = Compile(pattern, error, offset);
    if (!code) return Match::BadPattern;
    std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> data(
        pcre2_match_data_create_from_pattern(code.get(), nullptr), pcre2_match_data_free);
    std::unique_ptr<pcre2_match_context, decltype(&pcre2_match_context_free)> context(pcre2_match_context_create(
                                                                                          nullptr),
                                                                                      pcre2_match_context_free);
    if (!data || !context) return Match::No;
    pcre2_set_match_limit(context.get(), 1000000);
    pcre2_set_depth_limit(context.get(), 10000);
    const int rc = pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0, data.get(),
                               context.get());
    return rc >= 0 ? Match::Yes : Match::No;
}

} // namespace

std::vector<PadProblem> PadValidation::Check(std::string_view bytes, std::string_view padLink,
                                             const std::vector<std::string>& categories,
                                             const std::vector<PadRule>& rules)
{
    const PadXml xml = PadXml::Parse(bytes);
    if (!xml.Ok) return {{"PAD file", "", xml.Error}};
    if (xml.Root != Root) return {{"PAD file", xml.Root, "the root element is " + xml.Root + ", not " + Root}};

    std::vector<PadProblem> problems;
    std::map<std::string, std::string> values; // the checked text of every field that matched
    for (const PadRule& rule : rules) {
        const auto found = xml.Fields.find(rule.Path);
        if (found == xml.Fields.end()) {
            const bool standIn = !rule.OrPath.empty() && xml.Fields.count(rule.OrPath) != 0;
            if (rule.Required && !standIn) {
                std::string what = "missing";
                if (!rule.OrPath.empty()) what += " (and so is " + FieldName(rule.OrPath) + ")";
                problems.push_back({FieldName(rule.Path), rule.Path, what});
            }
            continue;
        }
        const std::string text = PadXml::Trimmed(found->second);
        if (text.empty() && !rule.Required) continue;
        switch (rule.Pattern.empty() ? Match::Yes : Matches(rule.Pattern, text)) {
        case Match::Yes: values[rule.Path] = text; break;
        case Match::No:
            problems.push_back(
                {FieldName(rule.Path), rule.Path,
                 text.empty() ? std::string("empty; should be ") + rule.Message : "should be " + rule.Message});
            break;
        case Match::BadPattern:
            problems.push_back(
                {FieldName(rule.Path), rule.Path, "the rule's pattern is not a valid regular expression"});
            break;
        }
    }

    // A site reads the PAD file at the address it names; one that names another address is refused.
    if (const auto url = values.find(XmlUrlPath); url != values.end() && url->second != padLink)
        problems.push_back({FieldName(XmlUrlPath), XmlUrlPath,
                            "is " + url->second + ", not the product's PAD link " + std::string(padLink)});
    if (const auto category = values.find(CategoryPath);
        category != values.end() &&
        std::find(categories.begin(), categories.end(), category->second) == categories.end())
        problems.push_back({FieldName(CategoryPath), CategoryPath, category->second + " is not in the category list"});
    return problems;
}

std::string PadValidation::PatternError(const std::string& pattern)
{
    int error = 0;
    PCRE2_SIZE offset = 0;
    if (Compile(pattern, error, offset)) return {};
    PCRE2_UCHAR message[256];
    if (pcre2_get_error_message(error, message, sizeof message) < 0) return "error " + std::to_string(error);
    return reinterpret_cast<const char*>(message) + std::string(" at offset ") + std::to_string(offset);
}

bool PadValidation::PatternMatches(const std::string& pattern, const std::string& text)
{
    return Matches(pattern, text) == Match::Yes;
}

std::string PadValidation::Line(const PadProblem& problem)
{
    if (problem.Path.empty()) return problem.Field + ": " + problem.What;
    return problem.Field + " (" + problem.Path + "): " + problem.What;
}
