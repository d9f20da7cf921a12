#include "app/ProgramFiles.h"

#include "lang/HelpFile.h"
#include "lang/LanguageFile.h"

ProgramFiles::ProgramFiles(std::string folder, const std::string& programName) : folder_(std::move(folder))
{
    if (folder_.empty() || folder_.back() != '/') folder_ += '/';
    settings_ = folder_ + programName + ".ini";
}

std::string ProgramFiles::Data(const std::string& name) const
{
    return folder_ + DataFolder + name;
}

std::string ProgramFiles::Language(const std::string& language) const
{
    return LanguageFile::PathFor(folder_, language);
}

std::string ProgramFiles::Help(const std::string& language) const
{
    std::string rel = HelpFile::For(language);
    return rel.empty() ? std::string() : folder_ + rel;
}
