// Our texts in the shipped language files, and the phrases the core composes shown in them.
#include "lang/OurTexts.h"
#include "catalogue/CatalogueFile.h"
#include "common/FileReplace.h"
#include "common/IniFile.h"
#include "common/Phrase.h"
#include "lang/LanguageFile.h"
#include "lang/LanguageTexts.h"
#include "pad/PadSpecFile.h"
#include "pad/PadValidation.h"
#include "submit/RunTally.h"
#include "submit/Work.h"
#include "submit/WorkReason.h"
#include "support/TempDir.h"

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

// The phrases the core composes, in the shipped Russian file: our words translated, every
// piece of the user's data (titles, links, categories, paths, a site's words) as it was, even
// where it reads like one of our templates.
TEST(LanguageTexts, RussianTranslatesOurWordsAndKeepsTheUsersDataAsItIs)
{
    const TextTemplates russian = LanguageTexts::FromText(FileText("Russian"));
    WorkResult timedOut;
    timedOut.Reason = "Connection timed out";
    timedOut.ErrorKind = NetError::TimedOut;
    const PadProblem missing{"Tidy Notes (Portable)", "XML_DIZ_INFO/Program_Info/Program_Name", "missing"};
    // The file's values look like our words; they stay as they are, the words around them do not.
    std::vector<PadRule> rules;
    for (const PadRule& r : PadRule::BuiltIn())
        for (const char* field : {"Program_Name", "Month", "Category", "File_Size_Bytes", "XML_File_URL"})
            if (r.Path.find(field) != std::string::npos) rules.push_back(r);
    rules.push_back({"XML_DIZ_INFO/Program_Info/Program_Version", true, "^\\d\\Z", "should be 3", ""});
    const std::vector<PadProblem> pad = PadValidation::Check(
        "<XML_DIZ_INFO><Program_Info><Program_Name>N</Program_Name><Program_Version>missing</Program_Version>"
        "<Program_Release_Month>should be 3</Program_Release_Month><File_Info><File_Size_K/></File_Info>"
        "<Program_Category_Class>A::should be %1</Program_Category_Class></Program_Info><Web_Info><Application_URLs>"
        "<Application_XML_File_URL>http://x.example/missing</Application_XML_File_URL></Application_URLs></Web_Info>"
        "</XML_DIZ_INFO>",
        "http://x.example/pad.xml", {"Business::Finance"}, rules);
    ASSERT_EQ(pad.size(), 6u);
    TempDir dir;
    dir.Write(PadSpecFile::FileName, "<should_be_3/>");
    const PadRuleSet ruleFile = PadSpecFile::RulesIn(dir.Path());
    const struct {
        Phrase Message;
        std::string Shown;
    } cases[] = {
        {WorkReason::Tip("Saved Games Backup", Outcome::None, 0, ""), "Saved Games Backup: отменено"},
        {WorkReason::Tip("Tidy Notes (Portable)", Outcome::Ok, 200, ""), "Tidy Notes (Portable): Ok\nHTTP 200"},
        // An "X" carries the site's own words, whatever they look like.
        {WorkReason::Tip("Report: My Tool", Outcome::NotAccepted, 200, "no answer in 5 s"),
         "Report: My Tool: X\nHTTP 200\nno answer in 5 s"},
        {WorkReason::Tip("Test PAD: %1", Outcome::NotAccepted, 200, "Saved"), "Test PAD: %1: X\nHTTP 200\nSaved"},
        {WorkReason::Tip("Tool", Outcome::NotAccepted, 200, "the reply did not say the link was taken"),
         "Tool: X\nHTTP 200\nв ответе не сказано, что ссылка принята"},
        {WorkReason::Tip("Tool", Outcome::Failed, 0, WorkReason::Words(timedOut, 10000)),
         "Tool: Failed\nнет ответа за 10 с"},
        {WorkReason::Tip("Tool", Outcome::Failed, 404, "server answered 404 Report: %1"),
         "Tool: Failed\nHTTP 404\nсервер ответил кодом 404 Report: %1"},
        {RunTally{3, 1, 2, 4}.SummaryPhrase(), "Отменено. Успешно: 3 Неудачно: 1 Отменено: 2 Пропущено: 4"},
        {PadValidation::LinePhrase(missing), "Поле Tidy Notes (Portable) (XML_DIZ_INFO/Program_Info/Program_Name): "
                                             "отсутствует"},
        {PadValidation::LinePhrase(pad[0]), "Поле Program_Name (XML_DIZ_INFO/Program_Info/Program_Name): нужно: от 2 "
                                            "до 40 символов"},
        {pad[1].Said, "нужно: месяц, от 1 до 12"},
        {pad[2].Said, "отсутствует (и File_Size_K пусто)"},
        // A rule of the user's own table: its words are theirs.
        {pad[3].Said, "нужно: should be 3"},
        {pad[4].Said, "равно http://x.example/missing, а не ссылке продукта на PAD http://x.example/pad.xml"},
        {pad[5].Said, "A::should be %1 нет в списке категорий"},
        {ruleFile.NoticeSaid,
         "pad_spec.xml не используется: корневой элемент — should_be_3, а не PAD_Spec. Проверено по "
         "встроенным правилам."},
        {Phrase("Report: %1", {Phrase::Text("/home/u/Saved Games Backup.txt")}),
         "Отчёт: /home/u/Saved Games Backup.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(russian.Shown(c.Message), c.Shown) << c.Message.English();
    // The English of each is what the command line and the reports show, unchanged.
    EXPECT_EQ(cases[0].Message.English(), "Saved Games Backup: Cancelled");
    EXPECT_EQ(cases[7].Message.English(), RunTally({3, 1, 2, 4}).SummaryLine());
    EXPECT_EQ(cases[8].Message.English(), PadValidation::Line(missing));
    EXPECT_EQ(cases[9].Message.English(), "Program_Name (XML_DIZ_INFO/Program_Info/Program_Name): should be 2 to 40 "
                                          "characters");
    const char* english[] = {"should be a month, 1 to 12", "missing (and File_Size_K is empty)",
                             "should be should be 3",
                             "is http://x.example/missing, not the product's PAD link http://x.example/pad.xml",
                             "A::should be %1 is not in the category list"};
    for (size_t i = 1; i < pad.size(); ++i) EXPECT_EQ(pad[i].What, english[i - 1]);
    EXPECT_EQ(ruleFile.Notice, ruleFile.NoticeSaid.English());
    EXPECT_EQ(ruleFile.Notice,
              "pad_spec.xml not used: the root element is should_be_3, not PAD_Spec. Validated with the "
              "built-in rules.");
}

// std::array fills entries past the listed ones with nulls: the counts must be exact.
TEST(OurTexts, CountsAreTheNumberOfEntriesListed)
{
    for (const OurText& t : OurTexts::Messages()) EXPECT_TRUE(t.Key && t.English);
    for (const OurText& t : OurTexts::Captions()) EXPECT_TRUE(t.Key && t.English);
}
