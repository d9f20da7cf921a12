#include "lang/LanguagePass.h"

#include "common/FileReplace.h"
#include "lang/Windows1251.h"

LanguagePass::LanguagePass(const std::string& path) : LanguagePass(path, LanguagePass())
{}

LanguagePass::LanguagePass(const std::string& path, const LanguagePass& previous)
{
    std::string text;
    try {
        text = FileReplace::ReadAll(path);
    } catch (const FileError&) {
        return;
    }
    windows1251_ = Windows1251::Chosen(text);
    if (windows1251_) text = Windows1251::ToUtf8(text);
    if (previous.index_ && previous.index_->Text() == text)
        index_ = previous.index_;
    else
        index_ = std::make_shared<const IniIndex>(std::move(text));
}

const std::string& LanguagePass::Text() const
{
    static const std::string none;
    return index_ ? index_->Text() : none;
}

std::string LanguagePass::Caption(const std::string& key, const std::string& current) const
{
    return Read(Section, key, current);
}

std::string LanguagePass::Read(const std::string& section, const std::string& key, const std::string& def) const
{
    return index_ ? index_->Read(section, key, def) : def;
}
