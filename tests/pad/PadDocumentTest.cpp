#include "pad/PadDocument.h"
#include "pad/PadFields.h"
#include "pad/PadXml.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// An author's file as older editors wrote it: Windows-1252, CR LF, a comment, a processing
// instruction, an element of the author's own and two-space indents.
const std::string Authored = "<?xml version=\"1.0\" encoding=\"Windows-1252\" ?>\r\n"
                             "<!-- made by hand -->\r\n"
                             "<XML_DIZ_INFO>\r\n"
                             "  <Company_Info>\r\n"
                             "    <Company_Name>Caf\xE9 Soft</Company_Name>\r\n"
                             "  </Company_Info>\r\n"
                             "  <Program_Info>\r\n"
                             "    <Program_Name>Tidy &amp; Neat</Program_Name>\r\n"
                             "    <Program_Version>2.4</Program_Version>\r\n"
                             "    <?editor keep?>\r\n"
                             "    <Program_Release_Month>03</Program_Release_Month>\r\n"
                             "    <My_Own_Field lang=\"en\">kept</My_Own_Field>\r\n"
                             "    <Program_OS_Support/>\r\n"
                             "  </Program_Info>\r\n"
                             "</XML_DIZ_INFO>\r\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

PadDocument Opened(const std::string& bytes)
{
    PadDocument doc;
    std::string error;
    EXPECT_TRUE(doc.Open(bytes, error)) << error;
    return doc;
}

TEST(PadDocumentTest, ChangesOnlyTheTextOfTheFieldsSetAndKeepsEveryOtherByte)
{
    PadDocument doc = Opened(Authored);
    EXPECT_EQ(doc.FileEncoding(), PadDocument::Encoding::Windows1252);
    EXPECT_EQ(doc.Value("Company_Info/Company_Name"), "Caf\u00E9 Soft"); // read as UTF-8
    std::string error;
    ASSERT_TRUE(doc.Set("Program_Info/Program_Version", "2.5 \u20AC", error)) << error; // € is 0x80 in 1252
    ASSERT_TRUE(doc.Set("XML_DIZ_INFO/Program_Info/Program_OS_Support", "Linux", error)) << error;
    // A value that is already there keeps the author's spelling of it (&amp; here).
    ASSERT_TRUE(doc.Set("Program_Info/Program_Name", "Tidy & Neat", error)) << error;
    ASSERT_TRUE(doc.Set("Program_Info/My_Own_Field", "a < b & c > d\r\nline", error)) << error;
    std::string expected = Replaced(Authored, ">2.4<", ">2.5 \x80<");
    expected = Replaced(expected, "<Program_OS_Support/>", "<Program_OS_Support>Linux</Program_OS_Support>");
    expected = Replaced(expected, ">kept<", ">a &lt; b &amp; c &gt; d\r\nline<");
    EXPECT_EQ(doc.Bytes(), expected);
    EXPECT_EQ(doc.Value("Program_Info/My_Own_Field"), "a < b & c > d\nline"); // XML reads line ends as LF
    EXPECT_TRUE(PadXml::Parse(doc.Bytes()).Ok);
}

TEST(PadDocumentTest, AMissingFieldGoesWhereTheFieldListPutsItIndentedLikeItsNeighbours)
{
    PadDocument doc = Opened(Authored);
    std::string error;
    // After Program_Version (Program_Release_Day's nearest predecessor in the list is Month).
    ASSERT_TRUE(doc.Set("Program_Info/Program_Release_Day", "01", error)) << error;
    // A field whose group is missing gets the group, one indent deeper.
    ASSERT_TRUE(doc.Set("Program_Info/File_Info/File_Size_K", "512", error)) << error;
    // The first field of its group goes before the group's first element.
    ASSERT_TRUE(doc.Set("MASTER_PAD_VERSION_INFO/MASTER_PAD_VERSION", "3.11", error)) << error;
    std::string expected =
        Replaced(Authored, "03</Program_Release_Month>\r\n",
                 "03</Program_Release_Month>\r\n    <Program_Release_Day>01</Program_Release_Day>\r\n");
    expected = Replaced(expected, "<Program_OS_Support/>\r\n",
                        "<Program_OS_Support/>\r\n    <File_Info>\r\n      <File_Size_K>512</File_Size_K>\r\n"
                        "    </File_Info>\r\n");
    expected = Replaced(expected, "  <Company_Info>",
                        "  <MASTER_PAD_VERSION_INFO>\r\n    <MASTER_PAD_VERSION>3.11</MASTER_PAD_VERSION>\r\n"
                        "  </MASTER_PAD_VERSION_INFO>\r\n  <Company_Info>");
    EXPECT_EQ(doc.Bytes(), expected);

    // A file on one line stays on one line; an empty root opens up.
    struct Case {
        std::string before, path, after;
    };
    for (const Case& c : std::vector<Case>{
             {"<XML_DIZ_INFO><Program_Info><Program_Name>N</Program_Name></Program_Info></XML_DIZ_INFO>",
              "Program_Info/Program_Version",
              "<XML_DIZ_INFO><Program_Info><Program_Name>N</Program_Name><Program_Version>v</Program_Version>"
              "</Program_Info></XML_DIZ_INFO>"},
             {"<XML_DIZ_INFO/>", "Web_Info/Download_URLs/Primary_Download_URL",
              "<XML_DIZ_INFO><Web_Info><Download_URLs><Primary_Download_URL>v</Primary_Download_URL></Download_URLs>"
              "</Web_Info></XML_DIZ_INFO>"},
             {"<XML_DIZ_INFO>\n</XML_DIZ_INFO>\n", "Company_Info/Company_Name",
              "<XML_DIZ_INFO>\n\t<Company_Info>\n\t\t<Company_Name>v</Company_Name>\n\t</Company_Info>\n"
              "</XML_DIZ_INFO>\n"},
         }) {
        PadDocument one = Opened(c.before);
        ASSERT_TRUE(one.Set(c.path, "v", error)) << error;
        EXPECT_EQ(one.Bytes(), c.after);
    }
}

// Only "<?xml" and a blank declare the encoding: after a leading <?xml-stylesheet?> naming
// one, the file is still UTF-8, as a parser reads it.
TEST(PadDocumentTest, AStylesheetInstructionIsNoXmlDeclaration)
{
    PadDocument doc =
        Opened("<?xml-stylesheet href=\"pad.xsl\" encoding=\"ISO-8859-1\"?>\n"
               "<XML_DIZ_INFO><Program_Info><Program_Name>x</Program_Name></Program_Info></XML_DIZ_INFO>");
    std::string error;
    ASSERT_TRUE(doc.Set("Program_Info/Program_Name", "Caf\u00E9", error)) << error;
    EXPECT_NE(doc.Bytes().find(">Caf\xC3\xA9<"), std::string::npos);
}

TEST(PadDocumentTest, RefusesWhatCannotBeWrittenAndKeepsTheDocument)
{
    const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<XML_DIZ_INFO>\n"
                               "  <Program_Info>\n    <Program_Name>x</Program_Name>\n    <Own><Inner>1</Inner></Own>\n"
                               "  </Program_Info>\n"
                               "</XML_DIZ_INFO>\n";
    struct Case {
        std::string path, value, error;
    };
    for (const Case& c : std::vector<Case>{
             {"Program_Info/Program_Name", "5 \u20AC",
              "Program_Info/Program_Name: \"\u20AC\" (U+20AC) cannot be "
              "written in the file's encoding, ISO-8859-1"},
             {"Program_Info/Program_Name", "a\x01", "control character U+0001"},
             {"Program_Info/Program_Name", "\xC3(", "is not UTF-8 text"},
             {"Program_Info/Program_Name", "\xED\xA0\x80", "is not UTF-8 text"}, // a surrogate
             // Overlong forms, whose lead bytes a lax reader takes, and beyond U+10FFFF.
             {"Program_Info/Program_Name", "\xC0\xAF", "is not UTF-8 text"},
             {"Program_Info/Program_Name", "\xC1\xBF", "is not UTF-8 text"},
             {"Program_Info/Program_Name", "\xE0\x9F\xBF", "is not UTF-8 text"},
             {"Program_Info/Program_Name", "\xF0\x8F\xBF\xBF", "is not UTF-8 text"},
             {"Program_Info/Program_Name", "\xF4\x90\x80\x80", "is not UTF-8 text"},
             {"Program_Info//Program_Name", "x", "an empty name"},
             {"Program_Info/", "x", "an empty name"},
             {"Program_Info", "x", "a group of fields"},
             {"Program_Info/Own", "x", "a group of fields"}, // the author's own, with children
             {"Program_Info/Program_Verison", "x", "not a field of the PAD field list"},
             {"Program_Info/a><b", "x", "is not an element name"},
         }) {
        PadDocument doc = Opened(latin1);
        std::string error;
        EXPECT_FALSE(doc.Set(c.path, c.value, error)) << c.path;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(doc.Bytes(), latin1);
    }
    // A field of the rules in use (another language's description) may be put in.
    PadDocument doc = Opened(latin1);
    doc.AddKnownFields({"Program_Descriptions/German/Char_Desc_45"});
    std::string error;
    EXPECT_TRUE(doc.Set("Program_Descriptions/German/Char_Desc_45", "K\u00FChl", error)) << error;
    EXPECT_NE(doc.Bytes().find("<Char_Desc_45>K\xFChl</Char_Desc_45>"), std::string::npos);
}

TEST(PadDocumentTest, HostileOrForeignFilesAreNotOpened)
{
    std::string deep = "<XML_DIZ_INFO>";
    for (int i = 0; i < PadXml::MaxDepth; ++i) deep += "<a>";
    struct Case {
        std::string bytes, error;
    };
    for (const Case& c : std::vector<Case>{
             {"<!DOCTYPE x [<!ENTITY a \"aaaa\">]><XML_DIZ_INFO>&a;</XML_DIZ_INFO>", "internal subset"},
             {"<!DOCTYPE XML_DIZ_INFO SYSTEM \"file:///etc/passwd\"><XML_DIZ_INFO/>", "external document type"},
             {deep, "nested deeper"},
             {"<XML_DIZ_INFO>" + std::string(PadXml::MaxBytes, ' ') + "</XML_DIZ_INFO>", "larger than 1 MiB"},
             {std::string("\xFF\xFE<\0X\0/\0>\0", 10), "UTF-16"},
             {std::string("<\0X\0/\0>\0", 8), "UTF-16"}, // without a byte order mark
             {std::string("\0<\0X\0/\0>", 8), "UTF-16"},
             {"<?xml version=\"1.0\" encoding=\"KOI8-R\"?><XML_DIZ_INFO/>", "koi8-r"},
             {"<PAD_Spec/>", "the root element is PAD_Spec"},
             {"<XML_DIZ_INFO><a></XML_DIZ_INFO>", "not well-formed"},
         }) {
        PadDocument doc;
        std::string error;
        EXPECT_FALSE(doc.Open(c.bytes, error));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(PadDocumentTest, SizesAreRoundedAndDatesMustBeInTheCalendar)
{
    struct Case {
        std::uint64_t size;
        const char* k;
        const char* mb;
    };
    // A file that is not empty never reads as nothing.
    for (const Case& c : std::vector<Case>{{0, "0", "0.00"},
                                           {1, "1", "0.01"},
                                           {1535, "1", "0.01"},
                                           {1536, "2", "0.01"},
                                           {1048576 + 5242, "1029", "1.00"},
                                           {1048576 + 5243, "1029", "1.01"},
                                           {2 * 1048576 - 1, "2048", "2.00"},
                                           {5000000000ull, "4882813", "4768.37"}}) {
        EXPECT_EQ(PadDocument::SizeInK(c.size), c.k) << c.size;
        EXPECT_EQ(PadDocument::SizeInMB(c.size), c.mb) << c.size;
    }
    PadDocument doc = Opened("<XML_DIZ_INFO>\n</XML_DIZ_INFO>\n");
    std::string error;
    EXPECT_FALSE(doc.SetReleaseDate(2026, 13, 1, error));
    for (const auto& [year, leap] : {std::pair{2024, true}, {2000, true}, {1900, false}, {2025, false}}) {
        PadDocument dated = doc;
        EXPECT_EQ(dated.SetReleaseDate(year, 2, 29, error), leap) << year;
    }
    EXPECT_EQ(doc.Bytes(), "<XML_DIZ_INFO>\n</XML_DIZ_INFO>\n");
    ASSERT_TRUE(doc.SetReleaseDate(2024, 2, 9, error)) << error;
    EXPECT_EQ(doc.Value("Program_Info/Program_Release_Month"), "02");
    EXPECT_EQ(doc.Value("Program_Info/Program_Release_Day"), "09");
    ASSERT_TRUE(doc.SetSizes(1536, error)) << error;
    EXPECT_NE(doc.Bytes().find("\t\t<File_Info>\n\t\t\t<File_Size_Bytes>1536</File_Size_Bytes>\n\t\t\t<File_Size_K>2"
                               "</File_Size_K>\n\t\t\t<File_Size_MB>0.01</File_Size_MB>\n\t\t</File_Info>\n"),
              std::string::npos)
        << doc.Bytes();
}

// 0x9F, the last byte of the range where Windows-1252 differs from ISO-8859-1, is read and
// written as the code page has it; a value set to what it already is keeps the author's own
// way of writing it.
TEST(PadDocumentTest, Windows1252sLastSpecialByteAndAnAuthorsCharacterReferencesStay)
{
    const std::string bytes = Replaced(Replaced(Authored, "Caf\xE9", "Caf&#233;"), ">2.4<", ">2.4\x9F<");
    PadDocument doc = Opened(bytes);
    EXPECT_EQ(doc.Value("Program_Info/Program_Version"), "2.4\u0178");
    std::string error;
    ASSERT_TRUE(doc.Set("Company_Info/Company_Name", "Caf\u00E9 Soft", error)) << error;
    EXPECT_EQ(doc.Bytes(), bytes);
    ASSERT_TRUE(doc.Set("Program_Info/Program_Version", "\u01782.5", error)) << error;
    EXPECT_EQ(doc.Bytes(), Replaced(bytes, ">2.4\x9F<",
                                    ">\x9F"
                                    "2.5<"));
}

TEST(PadFieldsTest, AGroupsChildrenAreTheNextNamesOfItsFieldsEachOnce)
{
    EXPECT_EQ(PadFields::ChildrenOf("Web_Info"), (std::vector<std::string>{"Application_URLs", "Download_URLs"}));
    const std::vector<std::string> company = PadFields::ChildrenOf("Company_Info");
    EXPECT_EQ(std::count(company.begin(), company.end(), "Contact_Info"), 1);
    EXPECT_TRUE(PadFields::IsGroup("Company_Info/Contact_Info"));
    EXPECT_FALSE(PadFields::IsGroup("Company_Info/Company_Name"));
}

} // namespace
