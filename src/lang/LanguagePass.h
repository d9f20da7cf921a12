#pragma once

#include <string>

// One application of a language: the language file is read once from disk when the pass
// begins, then every key is looked up in section "Interface" with the control's current
// caption as its default. A missing or unreadable file gives every key its default.
class LanguagePass {
public:
    static constexpr const char* Section = "Interface";

    explicit LanguagePass(const std::string& path);

    bool FileRead() const { return read_; }
    std::string Caption(const std::string& key, const std::string& current) const;

private:
    std::string text_;
    bool read_ = false;
};
