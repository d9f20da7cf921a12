#include "common/Settings.h"

#include "common/IniFile.h"

std::string Settings::Read(const char* key, const char* def) const
{
    return IniFile::ReadString(path_, Section, key, def);
}

void Settings::Write(const char* key, const std::string& value) const
{
    IniFile::WriteString(path_, Section, key, value);
}

std::string Settings::Language() const
{
    return Read(LanguageKey, DefaultLanguage);
}

void Settings::SetLanguage(const std::string& language) const
{
    Write(LanguageKey, language);
}

std::optional<ProxySetting> Settings::Proxy() const
{
    return ProxySetting::Parse(Read(ProxySetting::Key, ""));
}

void Settings::SetProxy(const ProxySetting& proxy) const
{
    Write(ProxySetting::Key, proxy.Text());
}

std::string Settings::AuthorEmail() const
{
    return Read(AuthorEmailKey, "");
}

void Settings::SetAuthorEmail(const std::string& address) const
{
    Write(AuthorEmailKey, address);
}

bool Settings::AllowHttps() const
{
    return Read(AllowHttpsKey, "0") == "1";
}

void Settings::SetAllowHttps(bool on) const
{
    Write(AllowHttpsKey, on ? "1" : "0");
}

bool Settings::SkipAccepted() const
{
    return Read(SkipAcceptedKey, "0") == "1";
}

void Settings::SetSkipAccepted(bool on) const
{
    Write(SkipAcceptedKey, on ? "1" : "0");
}

WindowLayout Settings::Layout(const WindowLayout::Shape& shape) const
{
    return WindowLayout::Read(path_, shape);
}

void Settings::SetLayout(const WindowLayout& layout) const
{
    layout.Write(path_);
}
