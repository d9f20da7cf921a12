#include "support/PadFiles.h"

std::string ValidPad(const std::string& link)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<XML_DIZ_INFO>"
           "<MASTER_PAD_VERSION_INFO><MASTER_PAD_VERSION>3.11</MASTER_PAD_VERSION></MASTER_PAD_VERSION_INFO>"
           "<Company_Info><Company_Name>Tidy Soft</Company_Name></Company_Info>"
           "<Program_Info><Program_Name>Tidy Notes</Program_Name><Program_Version>2.4</Program_Version>"
           "<Program_Release_Month>3</Program_Release_Month><Program_Release_Day>1</Program_Release_Day>"
           "<Program_Release_Year>2026</Program_Release_Year><Program_Type>Freeware</Program_Type>"
           "<Program_OS_Support>Linux</Program_OS_Support>"
           "<Program_Category_Class>System Utilities::Text/Document Editors</Program_Category_Class>"
           "<File_Info><File_Size_K>512</File_Size_K></File_Info></Program_Info>"
           "<Program_Descriptions><English><Keywords>notes</Keywords><Char_Desc_45>Notes</Char_Desc_45>"
           "<Char_Desc_80>Notes</Char_Desc_80><Char_Desc_250>Notes</Char_Desc_250>"
           "<Char_Desc_450>Notes</Char_Desc_450><Char_Desc_2000>Notes</Char_Desc_2000></English>"
           "</Program_Descriptions><Web_Info><Application_URLs>"
           "<Application_Info_URL>http://tidy.example/</Application_Info_URL>"
           "<Application_XML_File_URL>" +
           link +
           "</Application_XML_File_URL></Application_URLs><Download_URLs>"
           "<Primary_Download_URL>http://tidy.example/t.zip</Primary_Download_URL></Download_URLs></Web_Info>"
           "</XML_DIZ_INFO>\n";
}
