#include "lang/LanguageTexts.h"

#include "common/FileReplace.h"
#include "common/IniFile.h"
#include "lang/OurTexts.h"

TextTemplates LanguageTexts::Read(const std::string& path)
{
    std::string text;
    try {
        text = FileReplace::ReadAll(path);
    } catch (const FileError&) {
        text.clear();
    }
    return FromText(text);
}

TextTemplates LanguageTexts::FromText(const std::string& text)
{
    TextTemplates texts;
    for (const OurText& t : OurTexts::Messages())
        texts.Add(t.English, IniFile::ReadFromText(text, OurTexts::Section, t.Key, t.English), t.Nested);
    for (const OurText& t : OurTexts::Captions())
        texts.AddCaption(t.English, IniFile::ReadFromText(text, OurTexts::Section, t.Key, t.English));
    return texts;
}
