#include "pad/PadFields.h"

#include <algorithm>

const std::vector<std::string>& PadFields::PublicOrder()
{
    static const std::vector<std::string> fields = {
        "MASTER_PAD_VERSION_INFO/MASTER_PAD_VERSION",
        "MASTER_PAD_VERSION_INFO/MASTER_PAD_EDITOR",
        "MASTER_PAD_VERSION_INFO/MASTER_PAD_INFO",
        "Company_Info/Company_Name",
        "Company_Info/Address_1",
        "Company_Info/Address_2",
        "Company_Info/City_Town",
        "Company_Info/State_Province",
        "Company_Info/Zip_Postal_Code",
        "Company_Info/Country",
        "Company_Info/Company_WebSite_URL",
        "Company_Info/Contact_Info/Author_First_Name",
        "Company_Info/Contact_Info/Author_Last_Name",
        "Company_Info/Contact_Info/Author_Email",
        "Company_Info/Contact_Info/Contact_First_Name",
        "Company_Info/Contact_Info/Contact_Last_Name",
        "Company_Info/Contact_Info/Contact_Email",
        "Company_Info/Support_Info/Sales_Email",
        "Company_Info/Support_Info/Support_Email",
        "Company_Info/Support_Info/General_Email",
        "Company_Info/Support_Info/Sales_Phone",
        "Company_Info/Support_Info/Support_Phone",
        "Company_Info/Support_Info/General_Phone",
        "Company_Info/Support_Info/Fax_Phone",
        "Program_Info/Program_Name",
        "Program_Info/Program_Version",
        "Program_Info/Program_Release_Month",
        "Program_Info/Program_Release_Day",
        "Program_Info/Program_Release_Year",
        "Program_Info/Program_Cost_Dollars",
        "Program_Info/Program_Cost_Other_Code",
        "Program_Info/Program_Cost_Other",
        "Program_Info/Program_Type",
        "Program_Info/Program_Release_Status",
        "Program_Info/Program_Install_Support",
        "Program_Info/Program_OS_Support",
        "Program_Info/Program_Language",
        "Program_Info/File_Info/File_Size_Bytes",
        "Program_Info/File_Info/File_Size_K",
        "Program_Info/File_Info/File_Size_MB",
        "Program_Info/Expire_Info/Has_Expire_Info",
        "Program_Info/Expire_Info/Expire_Count",
        "Program_Info/Expire_Info/Expire_Based_On",
        "Program_Info/Expire_Info/Expire_Other_Info",
        "Program_Info/Expire_Info/Expire_Month",
        "Program_Info/Expire_Info/Expire_Day",
        "Program_Info/Expire_Info/Expire_Year",
        "Program_Info/Program_Change_Info",
        "Program_Info/Program_Category_Class",
        "Program_Info/Program_Specific_Category",
        "Program_Info/Program_System_Requirements",
        "Program_Descriptions/English/Keywords",
        "Program_Descriptions/English/Char_Desc_45",
        "Program_Descriptions/English/Char_Desc_80",
        "Program_Descriptions/English/Char_Desc_250",
        "Program_Descriptions/English/Char_Desc_450",
        "Program_Descriptions/English/Char_Desc_2000",
        "Web_Info/Application_URLs/Application_Info_URL",
        "Web_Info/Application_URLs/Application_Order_URL",
        "Web_Info/Application_URLs/Application_Screenshot_URL",
        "Web_Info/Application_URLs/Application_Icon_URL",
        "Web_Info/Application_URLs/Application_XML_File_URL",
        "Web_Info/Download_URLs/Primary_Download_URL",
        "Web_Info/Download_URLs/Secondary_Download_URL",
        "Web_Info/Download_URLs/Additional_Download_URL_1",
        "Web_Info/Download_URLs/Additional_Download_URL_2",
        "Permissions/Distribution_Permissions",
        "Permissions/EULA",
    };
    return fields;
}

std::vector<std::string> PadFields::ChildrenOf(const std::string& group)
{
    const std::string prefix = group.empty() ? std::string() : group + "/";
    std::vector<std::string> names;
    for (const std::string& field : PublicOrder()) {
        if (field.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string name = field.substr(prefix.size(), field.find('/', prefix.size()) - prefix.size());
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    return names;
}

bool PadFields::IsGroup(const std::string& path)
{
    const std::string prefix = path + "/";
    return std::any_of(PublicOrder().begin(), PublicOrder().end(),
                       [&](const std::string& field) { return field.compare(0, prefix.size(), prefix) == 0; });
}
