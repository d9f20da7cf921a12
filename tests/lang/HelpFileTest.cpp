#include "lang/HelpFile.h"

#include <gtest/gtest.h>

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
