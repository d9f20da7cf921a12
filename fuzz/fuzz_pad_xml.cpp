// The PAD file check, on any bytes as they come from a server: it never fails, a file that
// cannot be read gets exactly that one problem, and a file that is read gives only the paths
// below its root, no deeper than the nesting limit. Every problem says what it is about.
#include "FuzzCheck.h"

#include "pad/PadRule.h"
#include "pad/PadValidation.h"
#include "pad/PadXml.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string link = "http://pad.example/tidy.xml";
    const std::vector<std::string> categories = {"System Utilities::Text/Document Editors"};

    const PadXml xml = PadXml::Parse(bytes);
    FUZZ_CHECK(xml.Ok == xml.Error.empty(), "a file is read whole or has a reason");
    for (const auto& [path, text] : xml.Fields) {
        FUZZ_CHECK(path == xml.Root || path.compare(0, xml.Root.size() + 1, xml.Root + "/") == 0,
                   "every path starts at the root");
        FUZZ_CHECK(std::count(path.begin(), path.end(), '/') < PadXml::MaxDepth, "no path is deeper than the limit");
    }

    const std::vector<PadProblem> problems = PadValidation::Check(bytes, link, categories);
    if (!xml.Ok) {
        FUZZ_CHECK(problems.size() == 1 && problems[0].What == xml.Error, "a file not read has that one problem");
        return 0;
    }
    for (const PadProblem& p : problems) {
        FUZZ_CHECK(!p.Field.empty() && !p.What.empty(), "a problem names its field and what is wrong");
        FUZZ_CHECK(!PadValidation::Line(p).empty(), "a problem has a line");
    }
    // The rules of our own table only ever speak of their own fields.
    if (xml.Root == "XML_DIZ_INFO")
        for (const PadProblem& p : problems) {
            const auto& rules = PadRule::BuiltIn();
            FUZZ_CHECK(std::any_of(rules.begin(), rules.end(), [&](const PadRule& r) { return r.Path == p.Path; }),
                       "a problem is about a field of the table");
        }
    return 0;
}
