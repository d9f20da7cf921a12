// The pad_spec.xml reader, on any bytes, and the check with the rules it gives: a file is
// taken whole or not at all, every rule it gives has a path under XML_DIZ_INFO and a pattern
// that compiles, each path once, and "required" is exactly "does not match the empty text".
// The rules then check a PAD file built from the same bytes: the patterns of a hostile
// pad_spec.xml end within the match limits, or the time limit ends the check as its last problem.
#include "FuzzCheck.h"

#include "pad/PadRule.h"
#include "pad/PadSpecFile.h"
#include "pad/PadValidation.h"
#include "pad/PadXml.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string text = in.ConsumeRandomLengthString(4000); // the text of every field of the PAD file
    const std::string spec = in.ConsumeRemainingBytesAsString();

    std::vector<PadRule> rules;
    Phrase error;
    const bool ok = PadSpecFile::Parse(spec, rules, error);
    FUZZ_CHECK(ok == error.Empty(), "a pad_spec.xml is taken or has a reason");
    FUZZ_CHECK(ok != rules.empty(), "a pad_spec.xml gives all its rules or none");
    FUZZ_CHECK(rules.size() <= PadSpecFile::MaxFields, "a pad_spec.xml gives at most MaxFields rules");
    if (!ok) return 0;

    std::set<std::string> paths;
    std::string pad = "<XML_DIZ_INFO>";
    for (const PadRule& r : rules) {
        FUZZ_CHECK(r.Path.compare(0, 13, "XML_DIZ_INFO/") == 0 && r.Path.size() > 13,
                   "a rule's path is below the root");
        FUZZ_CHECK(paths.insert(r.Path).second, "a path has one rule");
        FUZZ_CHECK(PadValidation::PatternError(r.Pattern).empty(), "a rule's pattern compiles");
        FUZZ_CHECK(r.Required == !PadValidation::PatternMatches(r.Pattern, ""), "required: the empty text fails");
        FUZZ_CHECK(!r.Message.empty(), "a rule says what the text should be");
    }
    // A PAD file holding the fuzzer's text in the first rule's field (escaped), when its path
    // is made of plain names.
    const std::string& path = rules.front().Path;
    if (path.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_/") !=
            std::string::npos ||
        path.find("//") != std::string::npos || path.back() == '/')
        return 0;
    std::vector<std::string> names;
    for (std::size_t from = 13, to; from < path.size(); from = to + 1) {
        to = path.find('/', from);
        if (to == std::string::npos) to = path.size();
        names.push_back(path.substr(from, to - from));
        if (names.back().empty() || (names.back()[0] >= '0' && names.back()[0] <= '9')) return 0; // not an XML name
    }
    std::string escaped;
    for (const char c : text) {
        if (c == '<')
            escaped += "&lt;";
        else if (c == '&')
            escaped += "&amp;";
        else
            escaped += c;
    }
    for (const auto& n : names) pad += "<" + n + ">";
    pad += escaped;
    for (auto n = names.rbegin(); n != names.rend(); ++n) pad += "</" + *n + ">";
    pad += "</XML_DIZ_INFO>";
    const std::vector<PadProblem> problems =
        PadValidation::Check(pad, "http://pad.example/", {}, rules, std::chrono::milliseconds(200));
    // The fuzzer's text need not be well-formed (a byte that is not UTF-8, a control character).
    if (!PadXml::Parse(pad).Ok) {
        FUZZ_CHECK(problems.size() == 1 && problems[0].Path.empty(), "a file not read has that one problem");
        return 0;
    }
    for (std::size_t i = 0; i < problems.size(); ++i) {
        const PadProblem& p = problems[i];
        if (p.What == PadValidation::TookTooLong) {
            FUZZ_CHECK(i + 1 == problems.size() && p.Path.empty(), "the time limit ends the check");
            continue;
        }
        FUZZ_CHECK(paths.count(p.Path) != 0, "a problem is about a field of the pad_spec.xml");
    }
    return 0;
}
