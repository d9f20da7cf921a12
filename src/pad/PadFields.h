#pragma once

#include <string>
#include <vector>

// The fields of the public PAD field list (3.x), in its order: the order in which PAD editors
// write them and in which a field missing from a file is put back. Paths are relative to the
// root XML_DIZ_INFO, with "/" between names ("Program_Info/File_Info/File_Size_K").
class PadFields {
public:
    static constexpr const char* Root = "XML_DIZ_INFO";

    static const std::vector<std::string>& PublicOrder();

    // The names of the elements that the list puts directly inside `group` (a path relative
    // to the root, "" for the root itself), in its order: fields and groups alike. Empty for a
    // path that is not a group of the list.
    static std::vector<std::string> ChildrenOf(const std::string& group);
    // A group of the list ("Program_Info", "Program_Info/File_Info"), not a field.
    static bool IsGroup(const std::string& path);
};
