#include "app/ProgramFiles.h"

#include "lang/HelpFile.h"
#include "lang/LanguageFile.h"

ProgramFiles::ProgramFiles(std::string folder, const std::string& programName, const FileLocations::Environment& env)
    : places_(std::move(folder), programName + ".ini", env), fillFailures_(places_.FillUserFolders())
{
    places_.RemoveLeftovers();
}

std::string ProgramFiles::Data(const std::string& name) const
{
    return FilesFolder() + DataFolder + name;
}

std::string ProgramFiles::Language(const std::string& language) const
{
    return LanguageFile::PathFor(Folder(), language);
}

std::string ProgramFiles::Help(const std::string& language) const
{
    std::string rel = HelpFile::For(language);
    return rel.empty() ? std::string() : Folder() + rel;
}
