// Our texts in the shipped language files, and the messages the core composes matched
// against their templates.
#include "lang/OurTexts.h"
#include "catalogue/CatalogueFile.h"
#include "common/FileReplace.h"
#include "common/IniFile.h"
#include "lang/LanguageFile.h"
#include "lang/LanguageTexts.h"
#include "pad/PadValidation.h"
#include "submit/RunTally.h"
#include "submit/Work.h"
#include "submit/WorkReason.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>
#include <utility>

namespace {

const std::string kDist = std::string(QP_SOURCE_DIR) + "/dist";
const std::string kMissing = "\x01missing\x01";

std::string FileText(const std::string& language)
{
    return FileReplace::ReadAll(LanguageFile::PathFor(kDist, language));
}

// Every (section, key) of a language file, with its value as the program reads it.
std::map<std::pair<std::string, std::string>, std::string> AllKeys(const std::string& text)
{
    std::map<std::pair<std::string, std::string>, std::string> keys;
    std::string section;
    for (const std::string& line : CatalogueFile::SplitLines(text)) {
        if (line.starts_with("[") && line.ends_with("]")) {
            section = line.substr(1, line.size() - 2);
        } else if (const size_t eq = line.find('='); eq != std::string::npos) {
            const std::string key = line.substr(0, eq);
            keys[{section, key}] = IniFile::ReadFromText(text, section, key, kMissing);
        }
    }
    return keys;
}

// What may read the same in every language: a web address, a number, or a name (one word
// that begins with a capital letter, like "English").
bool SameInEveryLanguage(const std::string& v)
{
    if (v.starts_with("http://") || v.starts_with("https://")) return true;
    if (!v.empty() && v.find_first_not_of("0123456789.,%") == std::string::npos) return true;
    return !v.empty() && std::isupper(static_cast<unsigned char>(v[0])) && v.find(' ') == std::string::npos &&
           v.find('%') == std::string::npos;
}

} // namespace

TEST(ShippedLanguageFiles, EveryKeyIsInBothFilesAndTranslatedUnlessANameANumberOrAnAddress)
{
    const auto english = AllKeys(FileText("English"));
    const auto russian = AllKeys(FileText("Russian"));
    EXPECT_GT(english.size(), 300u);
    for (const auto& [key, value] : english) {
        SCOPED_TRACE("[" + key.first + "] " + key.second);
        const auto other = russian.find(key);
        ASSERT_NE(other, russian.end()) << "missing in Russian";
        if (other->second == value) {
            EXPECT_TRUE(SameInEveryLanguage(value)) << "not translated: " << value;
        }
    }
    for (const auto& [key, value] : russian) EXPECT_TRUE(english.count(key)) << key.first << " " << key.second;
}

TEST(ShippedLanguageFiles, HoldEveryTextOfOursWithTheSamePlaceholders)
{
    for (const std::string language : {"English", "Russian"}) {
        SCOPED_TRACE(language);
        const std::string text = FileText(language);
        const auto check = [&](const OurText& t) {
            SCOPED_TRACE(t.Key);
            const std::string value = IniFile::ReadFromText(text, OurTexts::Section, t.Key, kMissing);
            ASSERT_NE(value, kMissing);
            if (language == "English") {
                EXPECT_EQ(value, t.English);
            }
            EXPECT_EQ(TextTemplates::Placeholders(value), TextTemplates::Placeholders(t.English)) << value;
        };
        for (const OurText& t : OurTexts::Messages()) check(t);
        for (const OurText& t : OurTexts::Captions()) check(t);
    }
}

// Messages as the core composes them: each must find its template, or it would stay English.
TEST(LanguageTexts, TheCoresComposedMessagesShowInRussian)
{
    const TextTemplates russian = LanguageTexts::FromText(FileText("Russian"));
    WorkResult timedOut;
    timedOut.Reason = "Connection timed out";
    timedOut.ErrorKind = NetError::TimedOut;
    WorkResult notFound;
    notFound.ReplyCode = 404;
    RunTally tally{3, 1, 2, 4};
    std::string fileError;
    try {
        FileReplace::ReadAll(kDist + "/no such file");
    } catch (const FileError& e) {
        fileError = e.what();
    }
    const auto problems = PadValidation::Check("<XML_DIZ_INFO></XML_DIZ_INFO>", "http://127.0.0.1/p.xml", {});
    ASSERT_FALSE(problems.empty());
    const std::string composed[] = {
        WorkReason::Words(timedOut, 10000),
        WorkReason::Words(notFound, 10000),
        WorkReason::Tip("Tool", Outcome::None, 0, ""),
        tally.SummaryLine(),
        fileError,
        PadValidation::Line(problems.front()),
    };
    for (const std::string& english : composed) {
        const std::string shown = russian.Translate(english);
        EXPECT_NE(shown, english);
        EXPECT_NE(shown.find("\xD0"), std::string::npos) << shown; // Cyrillic
    }
    // Parts of the message that are no texts of ours come through unchanged.
    EXPECT_EQ(russian.Translate(tally.SummaryLine()), "Отменено. Успешно: 3 Неудачно: 1 Отменено: 2 Пропущено: 4");
    EXPECT_EQ(russian.Translate(tally.Summary()), "Finished.\rSuccess: 3\nFailed: 1\nПропущено: 4");
}
