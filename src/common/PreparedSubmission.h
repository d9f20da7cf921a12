#pragma once

#include <string>

// The submission last prepared: the site's script address, the name of its PAD-link field
// and the product's PAD link, as the latest Submit or run request set them. The browser
// fills that field when the script address itself has loaded. All three start empty and are
// never cleared.
struct PreparedSubmission {
    std::string ScriptUrl;
    std::string LinkField;
    std::string PadLink;
};
