#include "common/TextTemplates.h"

#include <algorithm>

std::string TextTemplates::Placeholders(const std::string& text)
{
    std::string digits;
    for (size_t i = 0; i < text.size(); ++i)
        if (Phrase::IsPlaceholder(text, i)) digits += text[++i];
    std::sort(digits.begin(), digits.end());
    digits.erase(std::unique(digits.begin(), digits.end()), digits.end());
    return digits;
}

void TextTemplates::Add(const std::string& english, const std::string& shown)
{
    messages_[english] = Placeholders(shown) == Placeholders(english) ? shown : english;
}

std::string TextTemplates::Shown(const Phrase& phrase) const
{
    const std::vector<Phrase>& parts = phrase.Parts();
    switch (phrase.Type()) {
    case Phrase::Kind::Text: return phrase.Words();
    case Phrase::Kind::Ours: {
        const auto found = messages_.find(phrase.Words());
        const std::string& shown = found == messages_.end() ? phrase.Words() : found->second;
        return Phrase::Fill(shown, parts.size(), [&](size_t i) { return Shown(parts[i]); });
    }
    case Phrase::Kind::Joined: break;
    }
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += phrase.Words();
        out += Shown(parts[i]);
    }
    return out;
}

void TextTemplates::AddCaption(const std::string& english, const std::string& shown)
{
    captions_[english] = Placeholders(shown) == Placeholders(english) ? shown : english;
}

std::string TextTemplates::Caption(const std::string& english) const
{
    const auto found = captions_.find(english);
    return found == captions_.end() ? english : found->second;
}
