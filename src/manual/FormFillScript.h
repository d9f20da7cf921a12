#pragma once

#include "common/PreparedSubmission.h"

#include <string>

// Filling the PAD-link field of a site's submission page that has just loaded in the
// browser panel.
class FormFillScript {
public:
    // True when the address box holds exactly the script address of the submission last
    // prepared (byte for byte, letter case included) and that address is not empty.
    static bool Applies(const std::string& addressText, const std::string& scriptUrl);

    // JavaScript for the loaded page: find the first element in document order whose name
    // or id equals `fieldName`; if it is an <input>, set its value to `padLink`. Every
    // value is embedded as a JSON string, so nothing in them can run as script. It is meant
    // to run apart from the page's own scripts, which could redefine what it calls.
    static std::string Build(const std::string& fieldName, const std::string& padLink);

    // A manual site's page prepared for the product whose PAD link is `padLink`: once the
    // site's link has loaded, its field named as the built-in sites name theirs ("padurl")
    // is filled, since a manual site names no field of its own.
    static PreparedSubmission ForManualSite(const std::string& siteLink, const std::string& padLink);
    static constexpr const char* ManualLinkField = "padurl";
};
