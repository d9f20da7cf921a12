#include "pad/PadRule.h"

namespace {

// The text of one line: no tab and no '<' (which could only come from a mangled file).
constexpr const char* Line = "[^<\\t\\r\\n]";

std::string Text(int from, int to)
{
    return std::string("^") + Line + "{" + std::to_string(from) + "," + std::to_string(to) + "}\\Z";
}

std::string Chars(int from, int to)
{
    return std::to_string(from) + " to " + std::to_string(to) + " characters";
}

const std::string Url = "^(https?|ftp)://[^\\s<>\"]{3,250}\\Z";
const char* UrlMessage = "an http://, https:// or ftp:// address";

} // namespace

const std::vector<PadRule>& PadRule::BuiltIn()
{
    static const std::vector<PadRule> rules = {
        {"XML_DIZ_INFO/MASTER_PAD_VERSION_INFO/MASTER_PAD_VERSION", true, "^\\d+\\.\\d+\\Z",
         "a version number such as 3.11", ""},
        {"XML_DIZ_INFO/Company_Info/Company_Name", true, Text(2, 40), Chars(2, 40), ""},
        {"XML_DIZ_INFO/Program_Info/Program_Name", true, Text(2, 40), Chars(2, 40), ""},
        {"XML_DIZ_INFO/Program_Info/Program_Version", true, Text(1, 15), Chars(1, 15), ""},
        {"XML_DIZ_INFO/Program_Info/Program_Release_Month", true, "^(0?[1-9]|1[0-2])\\Z", "a month, 1 to 12", ""},
        {"XML_DIZ_INFO/Program_Info/Program_Release_Day", true, "^(0?[1-9]|[12][0-9]|3[01])\\Z", "a day, 1 to 31", ""},
        {"XML_DIZ_INFO/Program_Info/Program_Release_Year", true, "^(19|20)[0-9]{2}\\Z", "a year of four digits", ""},
        {"XML_DIZ_INFO/Program_Info/Program_Type", true, "^(Shareware|Freeware|Adware|Demo|Commercial|Data Only)\\Z",
         "Shareware, Freeware, Adware, Demo, Commercial or Data Only", ""},
        {"XML_DIZ_INFO/Program_Info/Program_OS_Support", true, Text(2, 1000), "a list of systems, " + Chars(2, 1000),
         ""},
        {"XML_DIZ_INFO/Program_Info/Program_Category_Class", true, "^[^<\\t\\r\\n:]+::[^<\\t\\r\\n]+\\Z",
         "a category such as Business::Accounting & Finance", ""},
        {"XML_DIZ_INFO/Program_Info/File_Info/File_Size_Bytes", true, "^[0-9]{1,12}\\Z", "a number of bytes",
         "XML_DIZ_INFO/Program_Info/File_Info/File_Size_K"},
        {"XML_DIZ_INFO/Program_Info/File_Info/File_Size_K", false, "^[0-9]{1,9}\\Z", "a number of kilobytes", ""},
        {"XML_DIZ_INFO/Program_Descriptions/English/Keywords", true, Text(1, 250), Chars(1, 250), ""},
        {"XML_DIZ_INFO/Program_Descriptions/English/Char_Desc_45", true, Text(1, 45), Chars(1, 45), ""},
        {"XML_DIZ_INFO/Program_Descriptions/English/Char_Desc_80", true, Text(1, 80), Chars(1, 80), ""},
        {"XML_DIZ_INFO/Program_Descriptions/English/Char_Desc_250", true, Text(1, 250), Chars(1, 250), ""},
        {"XML_DIZ_INFO/Program_Descriptions/English/Char_Desc_450", true, Text(1, 450), Chars(1, 450), ""},
        // The long description may hold tabs and line breaks.
        {"XML_DIZ_INFO/Program_Descriptions/English/Char_Desc_2000", true, "^[^<]{1,2000}\\Z", Chars(1, 2000), ""},
        {"XML_DIZ_INFO/Web_Info/Application_URLs/Application_Info_URL", true, Url, UrlMessage, ""},
        {"XML_DIZ_INFO/Web_Info/Application_URLs/Application_XML_File_URL", true, Url, UrlMessage, ""},
        {"XML_DIZ_INFO/Web_Info/Download_URLs/Primary_Download_URL", true, Url, UrlMessage, ""},
    };
    return rules;
}
