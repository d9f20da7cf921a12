#include "lang/LanguageFile.h"

std::string LanguageFile::PathFor(const std::string& programFolder, const std::string& language)
{
    std::string path = programFolder;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + "language/" + language + ".ini";
}
