#include "pad/PadValidation.h"
#include "pad/PadXml.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

const std::string Link = "http://127.0.0.1:8080/pad/tidy.xml";
const std::vector<std::string> Categories = {"Business::Accounting & Finance", "Utilities::File & Disk Management"};

struct Field {
    std::string Group; // the elements between the root and the field, e.g. "Program_Info/File_Info"
    std::string Name;
    std::string Text;
};

std::vector<Field> ValidFields()
{
    return {
        {"MASTER_PAD_VERSION_INFO", "MASTER_PAD_VERSION", "3.11"},
        {"Company_Info", "Company_Name", "Tidy Soft"},
        {"Program_Info", "Program_Name", "Tidy Notes"},
        {"Program_Info", "Program_Version", "2.4"},
        {"Program_Info", "Program_Release_Month", "03"},
        {"Program_Info", "Program_Release_Day", "31"},
        {"Program_Info", "Program_Release_Year", "2026"},
        {"Program_Info", "Program_Type", "Shareware"},
        {"Program_Info", "Program_OS_Support", "Win10,Win11,Linux"},
        {"Program_Info", "Program_Category_Class", "Business::Accounting & Finance"},
        {"Program_Info/File_Info", "File_Size_Bytes", "1048576"},
        {"Program_Descriptions/English", "Keywords", "notes, outliner, tidy"},
        {"Program_Descriptions/English", "Char_Desc_45", "Notes that tidy themselves"},
        {"Program_Descriptions/English", "Char_Desc_80", "An outliner whose notes sort themselves by date"},
        {"Program_Descriptions/English", "Char_Desc_250", "An outliner whose notes sort themselves."},
        {"Program_Descriptions/English", "Char_Desc_450", "An outliner whose notes sort themselves, longer."},
        {"Program_Descriptions/English", "Char_Desc_2000", "Line one.\n\tLine two, indented."},
        {"Web_Info/Application_URLs", "Application_Info_URL", "https://tidy.example/notes/"},
        {"Web_Info/Application_URLs", "Application_XML_File_URL", Link},
        {"Web_Info/Download_URLs", "Primary_Download_URL", "https://tidy.example/notes-2.4.zip"},
    };
}

std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) out += c == '&' ? std::string("&amp;") : c == '<' ? std::string("&lt;") : std::string(1, c);
    return out;
}

// A PAD file of these fields, each in its own group element (the groups repeat, as XML allows).
std::string PadFile(const std::vector<Field>& fields, const std::string& prolog = "")
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + prolog + "<XML_DIZ_INFO>\n";
    for (const Field& f : fields) {
        std::string open, close;
        std::string rest = f.Group;
        std::vector<std::string> parts;
        for (std::size_t at; (at = rest.find('/')) != std::string::npos; rest.erase(0, at + 1))
            parts.push_back(rest.substr(0, at));
        parts.push_back(rest);
        for (const auto& p : parts) open += "<" + p + ">";
        for (auto p = parts.rbegin(); p != parts.rend(); ++p) close += "</" + *p + ">";
        xml += open + "<" + f.Name + ">" + Escaped(f.Text) + "</" + f.Name + ">" + close + "\n";
    }
    return xml + "</XML_DIZ_INFO>\n";
}

std::vector<Field> With(std::string name, std::string text)
{
    auto fields = ValidFields();
    for (auto& f : fields)
        if (f.Name == name) f.Text = std::move(text);
    return fields;
}

std::vector<Field> Without(const std::string& name)
{
    auto fields = ValidFields();
    std::erase_if(fields, [&](const Field& f) { return f.Name == name; });
    return fields;
}

std::vector<PadProblem> Check(const std::string& bytes)
{
    return PadValidation::Check(bytes, Link, Categories);
}

// The one problem of a file that was not read, with its reason.
std::string OnlyFileProblem(const std::vector<PadProblem>& problems)
{
    EXPECT_EQ(problems.size(), 1u);
    if (problems.empty()) return {};
    EXPECT_EQ(problems[0].Field, "PAD file");
    return problems[0].What;
}

} // namespace

TEST(PadValidation, ACompleteFileHasNoProblemAndKeepsEscapedText)
{
    EXPECT_EQ(Check(PadFile(ValidFields())), std::vector<PadProblem>{});
    // File_Size_K stands in for File_Size_Bytes; leading and trailing blanks do not count.
    auto fields = Without("File_Size_Bytes");
    fields.push_back({"Program_Info/File_Info", "File_Size_K", "1024"});
    fields.push_back({"Web_Info/Application_URLs", "Application_XML_File_URL", "ignored: the first one counts"});
    EXPECT_EQ(Check(PadFile(fields)), std::vector<PadProblem>{});
    EXPECT_EQ(Check(PadFile(With("Program_Name", "\n   Tidy Notes  \n"))), std::vector<PadProblem>{});
}

TEST(PadValidation, AMissingFieldIsNamedWithItsPath)
{
    EXPECT_EQ(Check(PadFile(Without("Char_Desc_80"))),
              (std::vector<PadProblem>{
                  {"Char_Desc_80", "XML_DIZ_INFO/Program_Descriptions/English/Char_Desc_80", "missing"}}));
    const auto size = Check(PadFile(Without("File_Size_Bytes")));
    ASSERT_EQ(size.size(), 1u);
    EXPECT_EQ(size[0].Path, "XML_DIZ_INFO/Program_Info/File_Info/File_Size_Bytes");
    EXPECT_EQ(size[0].What, "missing (and so is File_Size_K)");
    // An empty required element is reported, not taken as present.
    const auto empty = Check(PadFile(With("Company_Name", "")));
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty[0].What, "empty; should be 2 to 40 characters");
    // The version of the PAD format itself.
    const auto version = Check(PadFile(Without("MASTER_PAD_VERSION")));
    ASSERT_EQ(version.size(), 1u);
    EXPECT_EQ(version[0].Field, "MASTER_PAD_VERSION");
}

TEST(PadValidation, DescriptionLengthsCountCharactersUpToTheirLimit)
{
    EXPECT_TRUE(Check(PadFile(With("Char_Desc_45", std::string(45, 'a')))).empty());
    const auto long46 = Check(PadFile(With("Char_Desc_45", std::string(46, 'a'))));
    ASSERT_EQ(long46.size(), 1u);
    EXPECT_EQ(long46[0].Field, "Char_Desc_45");
    EXPECT_EQ(long46[0].What, "should be 1 to 45 characters");
    // 45 Cyrillic letters are 90 bytes and still fit.
    std::string cyrillic;
    for (int i = 0; i < 45; ++i) cyrillic += "\xd0\x96";
    EXPECT_TRUE(Check(PadFile(With("Char_Desc_45", cyrillic))).empty()) << "counted bytes, not characters";
    EXPECT_TRUE(Check(PadFile(With("Char_Desc_2000", std::string(2000, 'x')))).empty());
    EXPECT_EQ(Check(PadFile(With("Char_Desc_2000", std::string(2001, 'x')))).size(), 1u);
    // Only the long description may break lines.
    EXPECT_EQ(Check(PadFile(With("Char_Desc_80", "two\nlines"))).size(), 1u);
}

TEST(PadValidation, FieldsOutsideTheirRuleAreReported)
{
    EXPECT_EQ(Check(PadFile(With("Program_Release_Month", "13"))).size(), 1u);
    EXPECT_EQ(Check(PadFile(With("Program_Release_Day", "0"))).size(), 1u);
    EXPECT_EQ(Check(PadFile(With("Program_Type", "Free"))).size(), 1u);
    EXPECT_EQ(Check(PadFile(With("File_Size_Bytes", "1 MB"))).size(), 1u);
    EXPECT_EQ(Check(PadFile(With("Primary_Download_URL", "tidy.example/notes.zip"))).size(), 1u);
}

TEST(PadValidation, TheXmlFileUrlMustBeTheProductsPadLink)
{
    const auto problems = Check(PadFile(With("Application_XML_File_URL", "http://127.0.0.1:8080/pad/other.xml")));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].Field, "Application_XML_File_URL");
    EXPECT_EQ(problems[0].Path, "XML_DIZ_INFO/Web_Info/Application_URLs/Application_XML_File_URL");
    EXPECT_EQ(problems[0].What,
              "is http://127.0.0.1:8080/pad/other.xml, not the product's PAD link http://127.0.0.1:8080/pad/tidy.xml");
    EXPECT_EQ(PadValidation::Line(problems[0]),
              "Application_XML_File_URL (XML_DIZ_INFO/Web_Info/Application_URLs/Application_XML_File_URL): " +
                  problems[0].What);
}

TEST(PadValidation, TheCategoryMustBeOneOfTheList)
{
    const auto problems = Check(PadFile(With("Program_Category_Class", "Business::Fortune Telling")));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].Field, "Program_Category_Class");
    EXPECT_EQ(problems[0].What, "Business::Fortune Telling is not in the category list");
    // The comparison is exact: another case is another category.
    EXPECT_EQ(Check(PadFile(With("Program_Category_Class", "business::Accounting & Finance"))).size(), 1u);
}

TEST(PadValidation, EveryProblemOfOneFileIsListed)
{
    auto fields = With("Program_Type", "Free");
    std::erase_if(fields, [](const Field& f) { return f.Name == "Keywords" || f.Name == "Char_Desc_450"; });
    std::vector<std::string> named;
    for (const auto& p : Check(PadFile(fields))) named.push_back(p.Field);
    EXPECT_EQ(named, (std::vector<std::string>{"Program_Type", "Keywords", "Char_Desc_450"}));
}

TEST(PadValidation, BrokenXmlAndAnotherRootAreOneProblemEach)
{
    std::string broken = PadFile(ValidFields());
    broken.erase(broken.find("</Company_Name>"), 3);
    EXPECT_NE(OnlyFileProblem(Check(broken)).find("not well-formed XML"), std::string::npos);
    EXPECT_NE(OnlyFileProblem(Check("")).find("not well-formed XML"), std::string::npos);
    EXPECT_NE(OnlyFileProblem(Check("<html><body>Not found</body></html>")).find("the root element is html"),
              std::string::npos);
    // An undeclared entity is an error, not an empty text.
    std::string undeclared = PadFile(ValidFields());
    undeclared.replace(undeclared.find("Tidy Soft"), 9, "&tidy;");
    EXPECT_NE(OnlyFileProblem(Check(undeclared)).find("not well-formed XML"), std::string::npos);
}

TEST(PadValidation, EntityExpansionIsRefusedQuickly)
{
    // "Billion laughs": ten levels of ten references each.
    std::string laughs = "<!DOCTYPE XML_DIZ_INFO [\n<!ENTITY l0 \"ha\">\n";
    for (int i = 1; i <= 10; ++i) {
        laughs += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) laughs += "&l" + std::to_string(i - 1) + ";";
        laughs += "\">\n";
    }
    laughs += "]>\n";
    std::vector<Field> fields = With("Company_Name", "x");
    std::string file = PadFile(fields, laughs);
    file.replace(file.find(">x<") + 1, 1, "&l10;");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_NE(OnlyFileProblem(Check(file)).find("entity declarations are refused"), std::string::npos);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)) << "the entities were expanded";

    // An external entity naming a local file: refused, the file never read into a field.
    std::string external = PadFile(With("Company_Name", "x"),
                                   "<!DOCTYPE XML_DIZ_INFO [<!ENTITY secret SYSTEM \"file:///etc/passwd\">]>\n");
    external.replace(external.find(">x<") + 1, 1, "&secret;");
    const std::string why = OnlyFileProblem(Check(external));
    EXPECT_NE(why.find("refused"), std::string::npos);
    EXPECT_EQ(why.find("root:"), std::string::npos);
    // An external document type is not loaded either.
    EXPECT_NE(OnlyFileProblem(Check(PadFile(ValidFields(), "<!DOCTYPE XML_DIZ_INFO SYSTEM \"/etc/passwd\">\n")))
                  .find("not loaded"),
              std::string::npos);
}

TEST(PadValidation, FilesOverOneMebibyteAreRefusedUnread)
{
    std::string big = PadFile(ValidFields());
    big.insert(big.find("</XML_DIZ_INFO>"), "<!-- " + std::string(5 * 1024 * 1024, 'x') + " -->");
    EXPECT_EQ(OnlyFileProblem(Check(big)), "the file is larger than 1 MiB (" + std::to_string(big.size()) + " bytes)");
    // Exactly 1 MiB is still read (and here found broken, not refused for its size).
    std::string limit(PadXml::MaxBytes, ' ');
    limit.replace(0, 14, "<XML_DIZ_INFO>");
    EXPECT_NE(OnlyFileProblem(Check(limit)).find("not well-formed"), std::string::npos);
}

TEST(PadXml, DeepNestingIsRefusedAndRepeatedElementsKeepTheFirst)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<a>";
    EXPECT_NE(PadXml::Parse(deep).Error.find("nested deeper"), std::string::npos);

    const PadXml xml = PadXml::Parse("<r><a>one</a><a>two</a><b>x<c>y</c>z</b></r>");
    ASSERT_TRUE(xml.Ok) << xml.Error;
    EXPECT_EQ(xml.Root, "r");
    EXPECT_EQ(xml.Fields.at("r/a"), "one");
    EXPECT_EQ(xml.Fields.at("r/b"), "xz");
    EXPECT_EQ(xml.Fields.at("r/b/c"), "y");
}

TEST(PadValidation, RulesOfAnotherTableAreUsedAndABadPatternIsNamed)
{
    const std::vector<PadRule> rules = {{"XML_DIZ_INFO/Program_Info/Program_Name", true, "^Tidy\\b", "Tidy ...", ""},
                                        {"XML_DIZ_INFO/Program_Info/Program_Version", true, "^(\\d+", "?", ""}};
    const auto problems = PadValidation::Check(PadFile(ValidFields()), Link, Categories, rules);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].Field, "Program_Version");
    EXPECT_EQ(problems[0].What, "the rule's pattern is not a valid regular expression");
}

TEST(PadXml, TheDeepestNestingAcceptedIsMaxDepth)
{
    for (const int depth : {PadXml::MaxDepth, PadXml::MaxDepth + 1}) {
        std::string xml;
        for (int i = 0; i < depth; ++i) xml += "<a>";
        for (int i = 0; i < depth; ++i) xml += "</a>";
        EXPECT_EQ(PadXml::Parse(xml).Ok, depth <= PadXml::MaxDepth) << depth;
    }
}

TEST(PadValidation, EveryLimitedFieldTakesItsShortestAndLongestTextAndNotOneMore)
{
    struct Limit {
        std::string Name;
        std::size_t Least, Most;
        std::string Head; // what the text begins with, counted in its length
        char Fill;
    };
    const std::string http = "http://";
    const std::vector<Limit> limits = {
        {"Company_Name", 2, 40, "", 'c'},
        {"Program_Name", 2, 40, "", 'n'},
        {"Program_Version", 1, 15, "", '1'},
        {"Program_OS_Support", 2, 1000, "", 'w'},
        {"File_Size_Bytes", 1, 12, "", '9'},
        {"Keywords", 1, 250, "", 'k'},
        {"Char_Desc_45", 1, 45, "", 'd'},
        {"Char_Desc_80", 1, 80, "", 'd'},
        {"Char_Desc_250", 1, 250, "", 'd'},
        {"Char_Desc_450", 1, 450, "", 'd'},
        {"Char_Desc_2000", 1, 2000, "", 'd'},
        {"Application_Info_URL", 10, 257, http, 'u'},
        {"Primary_Download_URL", 10, 257, http, 'u'},
        {"Application_XML_File_URL", 10, 257, http, 'u'},
    };
    for (const Limit& l : limits)
        for (const std::size_t length : {l.Least - 1, l.Least, l.Most, l.Most + 1}) {
            const std::string text = l.Head + std::string(length - l.Head.size(), l.Fill);
            // The file's own address must be the PAD link.
            const std::string link = l.Name == "Application_XML_File_URL" ? text : Link;
            const auto problems = PadValidation::Check(PadFile(With(l.Name, text)), link, Categories);
            const bool fits = length >= l.Least && length <= l.Most;
            EXPECT_EQ(problems.size(), fits ? 0u : 1u) << l.Name << " of " << length;
        }
    // File_Size_K only stands in for File_Size_Bytes.
    auto kilobytes = Without("File_Size_Bytes");
    kilobytes.push_back({"Program_Info/File_Info", "File_Size_K", std::string(9, '9')});
    EXPECT_EQ(Check(PadFile(kilobytes)).size(), 0u);
    kilobytes.back().Text += '9';
    EXPECT_EQ(Check(PadFile(kilobytes)).size(), 1u);
}

TEST(PadValidation, AnEmptyFieldNeitherStandsInForItsAlternativeNorFailsBesideIt)
{
    const std::string bytes = "XML_DIZ_INFO/Program_Info/File_Info/File_Size_Bytes";
    struct Case {
        const char* Bytes; // nullptr: no element
        const char* Kilobytes;
        std::vector<PadProblem> Problems;
    };
    const std::vector<Case> cases = {
        {"1048576", "", {}},
        {"", "1024", {}},
        {nullptr, "", {{"File_Size_Bytes", bytes, "missing (and File_Size_K is empty)"}}},
        {"", "", {{"File_Size_Bytes", bytes, "empty; should be a number of bytes"}}},
        {"", nullptr, {{"File_Size_Bytes", bytes, "empty; should be a number of bytes"}}},
    };
    for (const Case& c : cases) {
        auto fields = Without("File_Size_Bytes");
        if (c.Bytes) fields.push_back({"Program_Info/File_Info", "File_Size_Bytes", c.Bytes});
        if (c.Kilobytes) fields.push_back({"Program_Info/File_Info", "File_Size_K", c.Kilobytes});
        EXPECT_EQ(Check(PadFile(fields)), c.Problems) << (c.Bytes ? c.Bytes : "none") << " / " << c.Kilobytes;
    }
}

TEST(PadValidation, HostilePatternsEndAtTheTimeLimitWithThatProblemLast)
{
    // (a|a){18}$ fails just inside the match limit at every start position, so one match on a
    // long run of 'a' takes that limit times its length; (a|a)+$ hits the limit in each field.
    const std::string run = std::string(1000, 'a') + "!";
    std::vector<Field> many;
    std::vector<PadRule> slow;
    for (int i = 0; i < 300; ++i) {
        many.push_back({"Program_Info", "F" + std::to_string(i), std::string(34, 'a') + "!"});
        slow.push_back({"XML_DIZ_INFO/Program_Info/F" + std::to_string(i), true, "(a|a)+$", "?", ""});
    }
    const std::vector<std::pair<std::string, std::vector<PadRule>>> hostile = {
        {PadFile({{"Program_Info", "Program_Name", run}}),
         {{"XML_DIZ_INFO/Program_Info/Program_Name", true, "(a|a){18}$", "?", ""}}},
        {PadFile(many), slow},
    };
    for (const auto& [file, rules] : hostile) {
        const auto problems = PadValidation::Check(file, Link, Categories, rules, std::chrono::milliseconds(50));
        ASSERT_FALSE(problems.empty());
        EXPECT_EQ(PadValidation::Line(problems.back()), "PAD file: the checks took too long") << rules.size();
    }
    // A pattern too long to be watched while it runs (a category list of a real rule file is
    // about this size) still checks, and its steps are bounded by the length of the text.
    std::string categories = "^(?:Games::Arcade";
    for (int i = 0; i < 400; ++i) categories += "|Utilities::Tool number " + std::to_string(i);
    categories += ")\\Z";
    EXPECT_EQ(PadValidation::PatternError(categories), "");
    EXPECT_TRUE(PadValidation::PatternMatches(categories, "Utilities::Tool number 399"));
    EXPECT_FALSE(PadValidation::PatternMatches(categories, "Utilities::Tool number 400"));
    const std::string padded = "(a|a){18}$|" + std::string(categories.size(), 'x');
    EXPECT_FALSE(PadValidation::PatternMatches(padded, std::string(100000, 'a') + "!", std::chrono::hours(1)));
}
