#pragma once

#include "common/ProxySetting.h"
#include "common/WindowLayout.h"

#include <optional>
#include <string>

// The settings file, the one place that reads and writes it: the program's choices in
// section [Configuration] (the language, the proxy, the author's e-mail address, whether runs
// may send to https sites, whether they skip the sites that took a PAD link) and how the user left the main window in
// [Window]. A value that is missing, or that a damaged file holds in a form it cannot have, reads as its default; a
// missing or unreadable file gives every default. Each write changes its one line in place and keeps every other line,
// comment and line end; it throws FileError.
//
// The file is opened for each access and closed at once; any thread.
class Settings {
public:
    static constexpr const char* Section = "Configuration";
    static constexpr const char* LanguageKey = "Language";
    static constexpr const char* DefaultLanguage = "English";
    static constexpr const char* AuthorEmailKey = "AuthorEmail";
    static constexpr const char* AllowHttpsKey = "AllowHttps";
    static constexpr const char* SkipAcceptedKey = "SkipAccepted";

    explicit Settings(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    std::string Language() const;
    void SetLanguage(const std::string& language) const;

    // The proxy runs go through; nothing when none is kept or the value is no good proxy
    // (a damaged file never sends requests somewhere unintended).
    std::optional<ProxySetting> Proxy() const;
    void SetProxy(const ProxySetting& proxy) const;

    // The address as it was kept; whether it may be used is OwnSites::CheckEmail's to say.
    std::string AuthorEmail() const;
    void SetAuthorEmail(const std::string& address) const;

    // Only "1" lets Submit All send to https sites.
    bool AllowHttps() const;
    void SetAllowHttps(bool on) const;

    // Only "1" makes runs leave out the sites that took a PAD link already.
    bool SkipAccepted() const;
    void SetSkipAccepted(bool on) const;

    // The window's layout for a window of `shape`; values that do not fit are left unset.
    WindowLayout Layout(const WindowLayout::Shape& shape) const;
    void SetLayout(const WindowLayout& layout) const;

private:
    std::string Read(const char* key, const char* def) const;
    void Write(const char* key, const std::string& value) const;

    std::string path_;
};
