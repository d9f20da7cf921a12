#include "lang/LanguagePass.h"

#include "common/FileReplace.h"
#include "common/IniFile.h"

LanguagePass::LanguagePass(const std::string& path)
{
    try {
        text_ = FileReplace::ReadAll(path);
        read_ = true;
    } catch (const FileError&) {
        text_.clear();
    }
}

std::string LanguagePass::Caption(const std::string& key, const std::string& current) const
{
    if (!read_) return current;
    return IniFile::ReadFromText(text_, Section, key, current);
}
