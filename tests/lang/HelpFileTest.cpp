#include "lang/HelpFile.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

TEST(HelpFileTest, OnlyTheTwoMenuLanguagesHaveHelpAndNamesMatchExactly)
{
    EXPECT_EQ(HelpFile::For("English"), "help/Help - En.txt");
    EXPECT_EQ(HelpFile::For("Russian"), "help/Help - Ru.txt");
    EXPECT_EQ(HelpFile::For("english"), "");
    EXPECT_EQ(HelpFile::For("RUSSIAN"), "");
    EXPECT_EQ(HelpFile::For("English "), "");
    EXPECT_EQ(HelpFile::For("German"), "");
    EXPECT_EQ(HelpFile::For(""), "");
}

// Headings are the lines underlined by dashes at the margin; the title (underlined by "="),
// indented table rules and short rules are none. Either line end is read.
TEST(HelpFileTest, SectionsAreTheDashUnderlinedLinesWithEitherLineEnd)
{
    for (const std::string eol : {"\r\n", "\n"}) {
        SCOPED_TRACE(eol.size());
        const std::string text = "Title" + eol + "=====" + eol + "Intro" + eol + eol +                //
                                 "1. First" + eol + "--------" + eol + "body" + eol +                 //
                                 "  column" + eol + "  ------" + eol + "x" + eol + "--" + eol + eol + //
                                 "2. Страница" + eol + "-----" + eol + "last line";
        const std::vector<HelpSection> s = HelpFile::Sections(text);
        ASSERT_EQ(s.size(), 2u);
        EXPECT_EQ(s[0].Heading, "1. First");
        EXPECT_EQ(s[0].Offset, text.find("1. First"));
        EXPECT_EQ(s[0].End, s[1].Offset);
        EXPECT_EQ(s[1].Heading, "2. Страница");
        EXPECT_EQ(s[1].End, text.size());

        EXPECT_EQ(HelpFile::SectionOffset(text, "Страница"), s[1].Offset);
        EXPECT_EQ(HelpFile::SectionOffset(text, "First"), s[0].Offset);
        EXPECT_EQ(HelpFile::SectionOffset(text, "column"), std::nullopt); // a table's row is no heading
        EXPECT_EQ(HelpFile::SectionOffset(text, "Intro"), std::nullopt);
        EXPECT_EQ(HelpFile::SectionOffset(text, ""), std::nullopt);
    }
    EXPECT_TRUE(HelpFile::Sections("").empty());
    EXPECT_TRUE(HelpFile::Sections("---\r\n---").empty()); // dashes under nothing
}

TEST(HelpFileTest, PlainCaptionDropsAcceleratorsAndTheTrailingEllipsis)
{
    const std::pair<const char*, const char*> cases[] = {
        {"&File", "File"},           {"Save &As...", "Save As"}, {"Tom && Jerry", "Tom & Jerry"},
        {"History...", "History"},   {"Прокси…", "Прокси"},      {"Wait... here", "Wait... here"},
        {"Trailing &", "Trailing "}, {"Test PADs", "Test PADs"}, {"", ""},
    };
    for (const auto& [caption, plain] : cases) EXPECT_EQ(HelpFile::PlainCaption(caption), plain) << caption;
}
