#include "pad/PadRule.h"

namespace {

// The text of one line: no tab and no '<' (which could only come from a mangled file).
constexpr const char* Line = "[^<\\t\\r\\n]";

std::string Text(int from, int to)
{
    return std::string("^") + Line + "{" + std::to_string(from) + "," + std::to_string(to) + "}\\Z";
}

Phrase Chars(int from, int to)
{
    return Phrase("%1 to %2 characters", {Phrase::Text(std::to_string(from)), Phrase::Text(std::to_string(to))});
}

const std::string Url = "^(https?|ftp)://[^\\s<>\"]{3,250}\\Z";
Phrase UrlMessage()
{
    return Phrase("an http://, https:// or ftp:// address");
}

PadRule Rule(std::string path, std::string pattern, Phrase message, std::string orPath = {}, bool required = true)
{
    std::string english = message.English();
    return {std::move(path), required, std::move(pattern), std::move(english), std::move(orPath), std::move(message)};
}

} // namespace

const std::vector<PadRule>& PadRule::BuiltIn()
{
    static const std::vector<PadRule> rules = {
        Rule("XML_DIZ_INFO/MASTER_PAD_VERSION_INFO/MASTER_PAD_VERSION", "^\\d+\\.\\d+\\Z",
             Phrase("a version number such as 3.11")),
        Rule("XML_DIZ_INFO/Company_Info/Company_Name", Text(2, 40), Chars(2, 40)),
        Rule("XML_DIZ_INFO/Program_Info/Program_Name", Text(2, 40), Chars(2, 40)),
        Rule("XML_DIZ_INFO/Program_Info/Program_Version", Text(1, 15), Chars(1, 15)),
        Rule("XML_DIZ_INFO/Program_Info/Program_Release_Month", "^(0?[1-9]|1[0-2])\\Z", Phrase("a month, 1 to 12")),
        Rule("XML_DIZ_INFO/Program_Info/Program_Release_Day", "^(0?[1-9]|[12][0-9]|3[01])\\Z",
             Phrase("a day, 1 to 31")),
        Rule("XML_DIZ_INFO/Program_Info/Program_Release_Year", "^(19|20)[0-9]{2}\\Z", Phrase("a year of four digits")),
        Rule("XML_DIZ_INFO/Program_Info/Program_Type", "^(Shareware|Freeware|Adware|Demo|Commercial|Data Only)\\Z",
             Phrase("Shareware, Freeware, Adware, Demo, Commercial or Data Only")),
        Rule("XML_DIZ_INFO/Program_Info/Program_OS_Support", Text(2, 1000),
             Phrase("a list of systems, %1", {Chars(2, 1000)})),
        Rule("XML_DIZ_INFO/Program_Info/Program_Category_Class", "^[^<\\t\\r\\n:]+::[^<\\t\\r\\n]+\\Z",
             Phrase("a category such as Business::Accounting & Finance")),
        Rule("XML_DIZ_INFO/Program_Info/File_Info/File_Size_Bytes", "^[0-9]{1,12}\\Z", Phrase("a number of bytes"),
             "XML_DIZ_INFO/Program_Info/File_Info/File_Size_K"),
        Rule("XML_DIZ_INFO/Program_Info/File_Info/File_Size_K", "^[0-9]{1,9}\\Z", Phrase("a number of kilobytes"), "",
             false),
        Rule("XML_DIZ_INFO/Program_Descriptions/English/Keywords", Text(1, 250), Chars(1, 250)),
        Rule("XML_DIZ_INFO/Program_Descriptions/English/Char_Desc_45", Text(1, 45), Chars(1, 45)),
        Rule("XML_DIZ_INFO/Program_Descriptions/English/Char_Desc_80", Text(1, 80), Chars(1, 80)),
        Rule("XML_DIZ_INFO/Program_Descriptions/English/Char_Desc_250", Text(1, 250), Chars(1, 250)),
        Rule("XML_DIZ_INFO/Program_Descriptions/English/Char_Desc_450", Text(1, 450), Chars(1, 450)),
        // The long description may hold tabs and line breaks.
        Rule("XML_DIZ_INFO/Program_Descriptions/English/Char_Desc_2000", "^[^<]{1,2000}\\Z", Chars(1, 2000)),
        Rule("XML_DIZ_INFO/Web_Info/Application_URLs/Application_Info_URL", Url, UrlMessage()),
        Rule("XML_DIZ_INFO/Web_Info/Application_URLs/Application_XML_File_URL", Url, UrlMessage()),
        Rule("XML_DIZ_INFO/Web_Info/Download_URLs/Primary_Download_URL", Url, UrlMessage()),
    };
    return rules;
}
