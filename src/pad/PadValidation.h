#pragma once

#include "common/Phrase.h"
#include "pad/PadRule.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

// What is wrong with one PAD file, one entry per problem: the field's name, its path under the
// root (empty for a problem of the whole file) and what is wrong, in words for the author.
// Said is What for the window: our words with the file's values apart (What is its English);
// a problem built without it is shown as What.
struct PadProblem {
    std::string Field;
    std::string Path;
    std::string What;
    Phrase Said;

    PadProblem() = default;
    PadProblem(std::string field, std::string path, Phrase said)
        : Field(std::move(field)), Path(std::move(path)), What(said.English()), Said(std::move(said))
    {}
    PadProblem(std::string field, std::string path, std::string what)
        : Field(std::move(field)), Path(std::move(path)), What(std::move(what))
    {}
    PadProblem(std::string field, std::string path, const char* what)
        : PadProblem(std::move(field), std::move(path), std::string(what))
    {}

    bool operator==(const PadProblem& other) const
    {
        return Field == other.Field && Path == other.Path && What == other.What;
    }
};

// The check of one PAD file's bytes against the product it belongs to. A pure function: the
// bytes, the product's PAD link and the category list in, the problems out (none: the file is
// valid). Any thread may call it; it holds no state.
//
// In order: the size (at most 1 MiB) and well-formed XML (see PadXml: entities and external
// references are refused), the root XML_DIZ_INFO, then every rule of the table (a missing
// required field, a text that does not match), then Application_XML_File_URL equal to the PAD
// link and Program_Category_Class one of the categories. A file that cannot be read gets that
// one problem and no more.
//
// The rules may come from the user's pad_spec.xml, whose patterns can take exponential time
// on a text made for them. Each match is bounded by PCRE2's match and depth limits (hitting
// them counts as no match), and the whole check by `timeLimit`: the clock is read between the
// rules and, through a callout, while a pattern runs. When the time is up the check ends with
// the problems found so far and TookTooLong last.
class PadValidation {
public:
    static constexpr std::chrono::milliseconds TimeLimit{2000};
    static constexpr const char* TookTooLong = "the checks took too long";

    static std::vector<PadProblem> Check(std::string_view bytes, std::string_view padLink,
                                         const std::vector<std::string>& categories,
                                         const std::vector<PadRule>& rules = PadRule::BuiltIn(),
                                         std::chrono::milliseconds timeLimit = TimeLimit);

    // Why PCRE2 does not take `pattern` (its message and the offset), as Check compiles it;
    // empty when it compiles.
    static std::string PatternError(const std::string& pattern);
    // The pattern matches the text (false too when it does not compile, or when it has not
    // decided within `timeLimit`).
    static bool PatternMatches(const std::string& pattern, const std::string& text,
                               std::chrono::milliseconds timeLimit = TimeLimit);

    // "Field (Path): what" — the one-line form of the report and the info tip.
    static std::string Line(const PadProblem& problem);
    // The same line for the window: the field and its path as they are, our words of the
    // problem in the language shown and the file's values in them as they are.
    static Phrase LinePhrase(const PadProblem& problem);
};
