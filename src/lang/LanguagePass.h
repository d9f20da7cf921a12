#pragma once

#include "common/IniIndex.h"

#include <memory>
#include <string>

// One application of a language: the language file is read once from disk when the pass
// begins and indexed, then the captions (section "Interface", the control's current caption as
// the default) and our texts (section "Texts", LanguageTexts) are looked up in that one index.
// A missing or unreadable file gives every key its default.
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
    std::string Caption(const std::string& key, const std::string& current) const;
    // The value of `key` in `section`, or `def`.
    std::string Read(const std::string& section, const std::string& key, const std::string& def) const;

private:
    std::shared_ptr<const IniIndex> index_;
};
