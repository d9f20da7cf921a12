#pragma once

#include "common/IniIndex.h"

#include <memory>
#include <string>

// One application of a language: the language file is read once from disk when the pass
// begins and indexed, then the captions (section "Interface", the control's current caption as
// the default) and our texts (section "Texts", LanguageTexts) are looked up in that one index.
// A missing or unreadable file gives every key its default. A file that is not UTF-8 is read
// as Windows-1251 (Windows1251), and the pass says so.
//
// A pass made after another reads the file again (an edit on disk shows at the next dialog),
// but when its bytes are those the other read, it shares that pass's index instead of making a
// new one: a language is indexed once per change of the file, however often it is applied.
//
// Copies share the index; any thread may read a pass.
class LanguagePass {
public:
    static constexpr const char* Section = "Interface";

    // Nothing read: every key gives its default.
    LanguagePass() = default;
    explicit LanguagePass(const std::string& path);
    LanguagePass(const std::string& path, const LanguagePass& previous);

    bool FileRead() const { return index_ != nullptr; }
    // Whether both passes look up in one index (the same bytes, indexed once).
    bool SharesIndexWith(const LanguagePass& other) const { return index_ && index_ == other.index_; }
    // Whether the file was not UTF-8 and was read as Windows-1251.
    bool ReadAsWindows1251() const { return windows1251_; }
    // The text looked up in (in UTF-8 when read as Windows-1251); empty when nothing was read.
    const std::string& Text() const;
    std::string Caption(const std::string& key, const std::string& current) const;
    // The value of `key` in `section`, or `def`.
    std::string Read(const std::string& section, const std::string& key, const std::string& def) const;

private:
    std::shared_ptr<const IniIndex> index_;
    bool windows1251_ = false;
};
