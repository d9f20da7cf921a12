// A field of the PAD field list set to any value in any file: a file that is opened reads its
// fields as the validation's reader does; a set either is refused with a reason and changes
// nothing, or leaves a file that both readers read back with that value (line ends as LF).
//
// Input: one byte picking the field, two bytes giving the value's length, the value, the file.
#include "FuzzCheck.h"

#include "pad/PadDocument.h"
#include "pad/PadFields.h"
#include "pad/PadXml.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

std::string ReadBack(const std::string& value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r') {
            out += '\n';
            if (i + 1 < value.size() && value[i + 1] == '\n') ++i;
        } else {
            out += value[i];
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3) return 0;
    const auto& fields = PadFields::PublicOrder();
    const std::string field = fields[data[0] % fields.size()];
    std::size_t length = static_cast<std::size_t>(data[1]) | static_cast<std::size_t>(data[2]) << 8;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 3, size - 3);
    length = std::min(length, rest.size());
    const std::string value(rest.substr(0, length));
    const std::string_view file = rest.substr(length);

    PadDocument doc;
    std::string error;
    if (!doc.Open(file, error)) {
        FUZZ_CHECK(!error.empty(), "a file not opened has a reason");
        return 0;
    }
    const PadXml xml = PadXml::Parse(file);
    FUZZ_CHECK(xml.Ok, "a file opened is one the validation reads");
    for (const auto& [path, text] : xml.Fields)
        if (path != PadFields::Root)
            FUZZ_CHECK(doc.Value(path.substr(std::string(PadFields::Root).size() + 1)) == text,
                       "both readers read the same text");

    const std::string before = doc.Bytes();
    if (!doc.Set(field, value, error)) {
        FUZZ_CHECK(!error.empty() && error.find(field) != std::string::npos, "a refusal names the field");
        FUZZ_CHECK(doc.Bytes() == before, "a refused set changes nothing");
        return 0;
    }
    FUZZ_CHECK(doc.Value(field) == ReadBack(value), "a set then a show returns the value");
    const PadXml after = PadXml::Parse(doc.Bytes());
    FUZZ_CHECK(after.Ok, "the changed file is read by the validation");
    const auto found = after.Fields.find(std::string(PadFields::Root) + "/" + field);
    FUZZ_CHECK(found != after.Fields.end() && found->second == ReadBack(value),
               "the validation reads the value that was set");
    return 0;
}
