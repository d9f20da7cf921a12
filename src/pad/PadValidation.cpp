#include "pad/PadValidation.h"

#include "pad/PadFieldCheck.h"
#include "pad/PadXml.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <cstdint>
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

enum class Match { Yes, No, BadPattern, OutOfTime };

using Clock = std::chrono::steady_clock;
using Code = std::unique_ptr<pcre2_code, decltype(&pcre2_code_free)>;

// Patterns are Perl-style and run on UTF-8 text: lengths count characters, and text that is
// not UTF-8 simply does not match. `watched` puts a callout before every item of the pattern,
// where the clock can stop a match that runs too long.
Code Compile(const std::string& pattern, bool watched, int& error, PCRE2_SIZE& offset)
{
    const std::uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | (watched ? PCRE2_AUTO_CALLOUT : 0u);
    return Code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options, &error, &offset,
                              nullptr),
                pcre2_code_free);
}

// The clock of one check, read by the callouts of a running match.
struct Deadline {
    Clock::time_point At;
    unsigned Callouts = 0;
    bool Passed = false;

    bool Over()
    {
        if (!Passed && Clock::now() >= At) Passed = true;
        return Passed;
    }
};

int WatchClock(pcre2_callout_block*, void* data)
{
    auto& deadline = *static_cast<Deadline*>(data);
    // Reading the clock costs more than a step of the match: every 64th step is often enough.
    if (++deadline.Callouts % 64 != 0) return 0;
    return deadline.Over() ? PCRE2_ERROR_CALLOUT : 0;
}

// Per start position, PCRE2 counts its steps afresh: a pattern that fails just inside the
// match limit at every position of a long text takes the limit times the length.
constexpr std::uint32_t MatchLimit = 1000000;
// A pattern whose callouts make it too large to compile runs without them; for it the steps
// of all start positions together stay near this.
constexpr std::size_t UnwatchedSteps = 20000000;

// Runs one Perl-style pattern on UTF-8 text. The match and depth limits bound the time a
// pattern of another rule table can take on hostile text; hitting them counts as no match.
Match Matches(const std::string& pattern, const std::string& text, Deadline& deadline)
{
    if (deadline.Over()) return Match::OutOfTime;
    int error = 0;
    PCRE2_SIZE offset = 0;
    bool watched = true;
    Code code = Compile(pattern, true, error, offset);
    if (!code) {
        watched = false;
        code = Compile(pattern, false, error, offset);
    }
    if (!code) return Match::BadPattern;
    std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> data(
        pcre2_match_data_create_from_pattern(code.get(), nullptr), pcre2_match_data_free);
    std::unique_ptr<pcre2_match_context, decltype(&pcre2_match_context_free)> context(pcre2_match_context_create(
                                                                                          nullptr),
                                                                                      pcre2_match_context_free);
    if (!data || !context) return Match::No;
    std::uint32_t limit = MatchLimit;
    if (watched) {
        pcre2_set_callout(context.get(), WatchClock, &deadline);
    } else {
        limit = static_cast<std::uint32_t>(std::clamp<std::size_t>(UnwatchedSteps / (text.size() + 1), 1000, limit));
    }
    pcre2_set_match_limit(context.get(), limit);
    pcre2_set_depth_limit(context.get(), 10000);
    const int rc = pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0, data.get(),
                               context.get());
    if (rc >= 0) return Match::Yes;
    return rc == PCRE2_ERROR_CALLOUT ? Match::OutOfTime : Match::No;
}

// One rule on one field's text (null: the file does not have the element) and the text of
// its OrPath element: Yes when the field passes (or need not be there), else what is wrong.
Match Judge(const PadRule& rule, const std::string* found, const std::string* other, Deadline& deadline, Phrase& what)
{
    // Only an element with some text stands in for another; an empty one says nothing.
    const bool standIn = other && !PadXml::Trimmed(*other).empty();
    if (!found) {
        if (!rule.Required || standIn) return Match::Yes;
        if (other)
            what = Phrase("missing (and %1 is empty)", {Phrase::Text(FieldName(rule.OrPath))});
        else if (!rule.OrPath.empty())
            what = Phrase("missing (and so is %1)", {Phrase::Text(FieldName(rule.OrPath))});
        else
            what = Phrase("missing");
        return Match::No;
    }
    const std::string text = PadXml::Trimmed(*found);
    if (text.empty() && (!rule.Required || standIn)) return Match::Yes;
    const Match match = rule.Pattern.empty() ? Match::Yes : Matches(rule.Pattern, text, deadline);
    // The words of a rule of the user's own table are theirs, shown as written.
    const Phrase should = rule.Said.Empty() ? Phrase::Text(rule.Message) : rule.Said;
    if (match == Match::No)
        what = Phrase(text.empty() ? "empty; should be %1" : "should be %1", {should});
    else if (match == Match::BadPattern)
        what = Phrase("the rule's pattern is not a valid regular expression");
    else if (match == Match::OutOfTime)
        what = Phrase(PadValidation::TookTooLong);
    return match;
}

} // namespace

std::vector<PadProblem> PadValidation::Check(std::string_view bytes, std::string_view padLink,
                                             const std::vector<std::string>& categories,
                                             const std::vector<PadRule>& rules, std::chrono::milliseconds timeLimit)
{
    Deadline deadline{Clock::now() + timeLimit};
    const PadXml xml = PadXml::Parse(bytes);
    if (!xml.Ok) return {{"PAD file", "", xml.Error}};
    if (xml.Root != Root)
        return {{"PAD file", xml.Root,
                 Phrase("the root element is %1, not %2", {Phrase::Text(xml.Root), Phrase::Text(Root)})}};

    std::vector<PadProblem> problems;
    std::map<std::string, std::string> values; // the checked text of every field that matched
    for (const PadRule& rule : rules) {
        const auto found = xml.Fields.find(rule.Path);
        const auto other = rule.OrPath.empty() ? xml.Fields.end() : xml.Fields.find(rule.OrPath);
        Phrase what;
        switch (Judge(rule, found == xml.Fields.end() ? nullptr : &found->second,
                      other == xml.Fields.end() ? nullptr : &other->second, deadline, what)) {
        case Match::Yes:
            if (found != xml.Fields.end()) values[rule.Path] = PadXml::Trimmed(found->second);
            break;
        case Match::OutOfTime: problems.push_back({"PAD file", "", TookTooLong}); return problems;
        default: problems.push_back({FieldName(rule.Path), rule.Path, std::move(what)}); break;
        }
    }

    // A site reads the PAD file at the address it names; one that names another address is refused.
    if (const auto url = values.find(XmlUrlPath); url != values.end() && url->second != padLink)
        problems.push_back({FieldName(XmlUrlPath), XmlUrlPath,
                            Phrase("is %1, not the product's PAD link %2",
                                   {Phrase::Text(url->second), Phrase::Text(std::string(padLink))})});
    if (const auto category = values.find(CategoryPath);
        category != values.end() &&
        std::find(categories.begin(), categories.end(), category->second) == categories.end())
        problems.push_back({FieldName(CategoryPath), CategoryPath,
                            Phrase("%1 is not in the category list", {Phrase::Text(category->second)})});
    return problems;
}

std::string PadValidation::PatternError(const std::string& pattern)
{
    int error = 0;
    PCRE2_SIZE offset = 0;
    // As Matches compiles it: with callouts, or else without.
    if (Compile(pattern, true, error, offset) || Compile(pattern, false, error, offset)) return {};
    PCRE2_UCHAR message[256];
    if (pcre2_get_error_message(error, message, sizeof message) < 0) return "error " + std::to_string(error);
    return reinterpret_cast<const char*>(message) + std::string(" at offset ") + std::to_string(offset);
}

bool PadValidation::PatternMatches(const std::string& pattern, const std::string& text,
                                   std::chrono::milliseconds timeLimit)
{
    Deadline deadline{Clock::now() + timeLimit};
    return Matches(pattern, text, deadline) == Match::Yes;
}

Phrase PadValidation::LinePhrase(const PadProblem& problem)
{
    // A problem built without its phrase is looked up whole: one of our fixed texts is shown
    // in the language, any other stays as it is.
    const Phrase what = problem.Said.Empty() ? Phrase(problem.What) : problem.Said;
    if (problem.Path.empty() && problem.Field == "PAD file") return Phrase("PAD file: %1", {what});
    if (problem.Path.empty()) return Phrase::Join({Phrase::Text(problem.Field), what}, ": ");
    return Phrase("%1 (%2): %3", {Phrase::Text(problem.Field), Phrase::Text(problem.Path), what});
}

std::string PadValidation::Line(const PadProblem& problem)
{
    if (problem.Path.empty()) return problem.Field + ": " + problem.What;
    return problem.Field + " (" + problem.Path + "): " + problem.What;
}

Phrase PadFieldCheck::Problem(const PadRule& rule, const std::optional<std::string>& text,
                              const std::optional<std::string>& standIn, std::chrono::milliseconds timeLimit)
{
    Deadline deadline{Clock::now() + timeLimit};
    Phrase what;
    Judge(rule, text ? &*text : nullptr, standIn ? &*standIn : nullptr, deadline, what);
    return what;
}
