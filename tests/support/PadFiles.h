#pragma once

#include <string>

// A PAD file that passes every check when it is served at `link` and the category list holds
// "System Utilities::Text/Document Editors".
std::string ValidPad(const std::string& link);
