#include "lang/LanguageTexts.h"

#include "common/IniIndex.h"
#include "lang/LanguagePass.h"
#include "lang/OurTexts.h"

namespace {

template <typename Lookup>
TextTemplates Make(const Lookup& read)
{
    TextTemplates texts;
    for (const OurText& t : OurTexts::Messages()) texts.Add(t.English, read(t.Key, t.English));
    for (const OurText& t : OurTexts::Captions()) texts.AddCaption(t.English, read(t.Key, t.English));
    return texts;
}

} // namespace

TextTemplates LanguageTexts::From(const LanguagePass& pass)
{
    return Make([&pass](const char* key, const char* english) { return pass.Read(OurTexts::Section, key, english); });
}

TextTemplates LanguageTexts::Read(const std::string& path)
{
    return From(LanguagePass(path));
}

TextTemplates LanguageTexts::FromText(const std::string& text)
{
    const IniIndex index(text);
    return Make([&index](const char* key, const char* english) { return index.Read(OurTexts::Section, key, english); });
}
