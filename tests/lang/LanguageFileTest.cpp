#include "lang/LanguageFile.h"

#include <gtest/gtest.h>

TEST(LanguageFileTest, PathIsProgramFolderLanguageFolderAndNameAsGiven)
{
    EXPECT_EQ(LanguageFile::PathFor("/opt/quillpost", "English"), "/opt/quillpost/language/English.ini");
    EXPECT_EQ(LanguageFile::PathFor("/opt/quillpost/", "Russian"), "/opt/quillpost/language/Russian.ini");
    // The name keeps its letter case and its blanks.
    EXPECT_EQ(LanguageFile::PathFor("/p", "english"), "/p/language/english.ini");
    EXPECT_EQ(LanguageFile::PathFor("/p", "Old English"), "/p/language/Old English.ini");
    EXPECT_EQ(LanguageFile::PathFor("/", "English"), "/language/English.ini");
    EXPECT_EQ(LanguageFile::PathFor("", "English"), "language/English.ini");
}
