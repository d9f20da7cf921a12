#include "pad/PadSpecFile.h"
#include "pad/PadValidation.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SpecField {
    std::string Path;
    std::string RegEx; // as written in the file, entities and all
    std::string Documentation;
};

std::string PadSpecXml(const std::vector<SpecField>& fields)
{
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PAD_Spec>\n<PAD_Spec_Version>4.0</PAD_Spec_Version>\n"
        "<Fields>\n";
    for (const SpecField& f : fields)
        xml += "<Field><Name>x</Name><Path>" + f.Path + "</Path><Title>A title</Title>" +
               (f.Documentation.empty() ? "" : "<RegExDocumentation>" + f.Documentation + "</RegExDocumentation>") +
               "<RegEx>" + f.RegEx + "</RegEx></Field>\n";
    return xml + "</Fields>\n</PAD_Spec>\n";
}

// A version of digits and dots holding at least one digit (a lookahead and \d: Perl only); a
// name of 2-40 characters written with a character entity; an editor that may be left empty.
const std::vector<SpecField> Small = {
    {"XML_DIZ_INFO/Program_Info/Program_Version", "^(?=.*\\d)[\\d.]{1,10}\\Z", "Digits and dots"},
    {"XML_DIZ_INFO/Program_Info/Program_Name", "^[^&lt;\\x09]{2,40}\\Z", ""},
    {"XML_DIZ_INFO/MASTER_PAD_VERSION_INFO/MASTER_PAD_EDITOR", "^[^&lt;]{0,100}\\Z", "Text 0-100"},
    {"XML_DIZ_INFO/Program_Info/Program_Name", "^never$", "a repeated path: the first one counts"},
};

// `count` fields, each of its own path.
std::vector<SpecField> Numbered(std::size_t count)
{
    std::vector<SpecField> fields;
    for (std::size_t i = 0; i < count; ++i) fields.push_back({"XML_DIZ_INFO/F" + std::to_string(i), "^a", ""});
    return fields;
}

std::string Pad(const std::string& version, const std::string& name)
{
    return "<XML_DIZ_INFO><MASTER_PAD_VERSION_INFO><MASTER_PAD_EDITOR/></MASTER_PAD_VERSION_INFO><Program_Info>"
           "<Program_Version>" +
           version + "</Program_Version>" + name + "</Program_Info></XML_DIZ_INFO>";
}

} // namespace

TEST(PadSpecFile, ItsFieldsDriveTheCheckWithPerlPatternsAndRequiredMeansNotMatchingEmpty)
{
    std::vector<PadRule> rules;
    Phrase error;
    ASSERT_TRUE(PadSpecFile::Parse(PadSpecXml(Small), rules, error)) << error.English();
    ASSERT_EQ(rules.size(), 3u);
    EXPECT_TRUE(rules[0].Required);
    EXPECT_EQ(rules[1].Pattern, "^[^<\\x09]{2,40}\\Z");
    EXPECT_EQ(rules[1].Message, "A title"); // no RegExDocumentation: the Title
    EXPECT_FALSE(rules[2].Required);

    // Only the file's fields count: none of the built-in table's is asked for.
    EXPECT_EQ(PadValidation::Check(Pad("2.4.1", "<Program_Name>Tidy</Program_Name>"), "", {}, rules),
              std::vector<PadProblem>{});
    EXPECT_EQ(PadValidation::Check(Pad("...", ""), "", {}, rules),
              (std::vector<PadProblem>{{"Program_Version", "XML_DIZ_INFO/Program_Info/Program_Version",
                                        "should be Digits and dots"},
                                       {"Program_Name", "XML_DIZ_INFO/Program_Info/Program_Name", "missing"}}));
}

TEST(PadSpecFile, TheProgramFolderGivesItsRulesOrTheBuiltInOnesWithANoticeWhenTheFileCannotBeUsed)
{
    TempDir dir;
    PadRuleSet none = PadSpecFile::RulesIn(dir.Path());
    EXPECT_EQ(none.Rules.size(), PadRule::BuiltIn().size());
    EXPECT_EQ(none.Notice, "");

    dir.Write("pad_spec.xml", PadSpecXml(Small));
    PadRuleSet used = PadSpecFile::RulesIn(dir.Path() + "/");
    EXPECT_EQ(used.Rules.size(), 3u);
    EXPECT_EQ(used.Notice, "");

    const std::string prolog = "<?xml version=\"1.0\"?>\n";
    const std::vector<std::pair<std::string, std::string>> broken = {
        {PadSpecXml({{"XML_DIZ_INFO/Program_Info/Program_Name", "^([a-z]\\Z", ""}}),
         "the RegEx of XML_DIZ_INFO/Program_Info/Program_Name is not a valid regular expression: missing closing "
         "parenthesis at offset 9"},
        {PadSpecXml({{"Program_Name", "^.*$", ""}}), "Field 1 has no Path under XML_DIZ_INFO: Program_Name"},
        {PadSpecXml({}), "it lists no Field under PAD_Spec/Fields"},
        {PadSpecXml(Numbered(PadSpecFile::MaxFields + 1)), "it lists 1001 fields, more than the 1000 that are checked"},
        {prolog + "<XML_DIZ_INFO/>", "the root element is XML_DIZ_INFO, not PAD_Spec"},
        {prolog + "<PAD_Spec><Fields>", "not well-formed XML: no element found at line 2"},
        {prolog + "<!DOCTYPE PAD_Spec [<!ENTITY lol \"lol\"><!ENTITY lol2 \"&lol;&lol;\">]><PAD_Spec/>",
         "the DOCTYPE declares an internal subset (entity declarations are refused)"},
        {prolog + "<!DOCTYPE PAD_Spec SYSTEM \"file:///etc/passwd\"><PAD_Spec/>",
         "the DOCTYPE names an external document type (it is not loaded)"},
    };
    for (const auto& [bytes, why] : broken) {
        dir.Write("pad_spec.xml", bytes);
        const PadRuleSet fallen = PadSpecFile::RulesIn(dir.Path());
        EXPECT_EQ(fallen.Rules.size(), PadRule::BuiltIn().size()) << why;
        EXPECT_EQ(fallen.Notice, "pad_spec.xml not used: " + why + ". Validated with the built-in rules.");
    }
    dir.Write("pad_spec.xml", PadSpecXml(Numbered(PadSpecFile::MaxFields)));
    EXPECT_EQ(PadSpecFile::RulesIn(dir.Path()).Rules.size(), PadSpecFile::MaxFields);
    dir.Write("pad_spec.xml", std::string(PadSpecFile::MaxBytes + 1, ' '));
    EXPECT_EQ(PadSpecFile::RulesIn(dir.Path()).Notice,
              "pad_spec.xml not used: it is larger than 4 MiB. Validated with the built-in rules.");
}
