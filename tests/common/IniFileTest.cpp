#include "common/IniFile.h"
#include "common/FileReplace.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

TEST(IniRead, NamesMatchWithoutCaseAndValuesAreCleanedUp)
{
    const std::string text =
        "; comment\r\n[Configuration]\r\nlanguage =  Russian  \r\n\r\n[interface]\r\n"
        "  MFile->Caption = \" File \" \r\nA='x'\r\nB=\"unbalanced\r\nC=\r\nD=\"\"\r\nE= a = b \r\n";
    EXPECT_EQ(IniFile::ReadFromText(text, "CONFIGURATION", "Language", "English"), "Russian");
    EXPECT_EQ(IniFile::ReadFromText(text, "Interface", "mfile->caption", "d"), " File ");
    EXPECT_EQ(IniFile::ReadFromText(text, "Interface", "A", "d"), "x");
    EXPECT_EQ(IniFile::ReadFromText(text, "Interface", "B", "d"), "\"unbalanced");
    EXPECT_EQ(IniFile::ReadFromText(text, "Interface", "C", "d"), "");
    EXPECT_EQ(IniFile::ReadFromText(text, "Interface", "D", "d"), "");
    EXPECT_EQ(IniFile::ReadFromText(text, "Interface", "E", "d"), "a = b");
}

TEST(IniRead, DefaultsForMissingFileSectionAndKey)
{
    TempDir dir;
    EXPECT_EQ(IniFile::ReadString(dir.File("none.ini"), "Configuration", "Language", "English"), "English");
    std::string path = dir.Write("q.ini", "[Other]\nLanguage=Russian\n[Configuration]\nX=1\n");
    EXPECT_EQ(IniFile::ReadString(path, "Configuration", "Language", "English"), "English");
    EXPECT_EQ(IniFile::ReadString(path, "Missing", "X", "dflt"), "dflt");
    // A key of another section is not found even when it comes after the wanted section.
    EXPECT_EQ(IniFile::ReadString(path, "Other", "X", "none"), "none");
    // A folder instead of a file is just a missing file.
    EXPECT_EQ(IniFile::ReadString(dir.Path(), "Other", "Language", "dflt"), "dflt");
}

TEST(IniRead, FirstSectionAndKeyWinValuesAreCutAt2047AndABomIsSkipped)
{
    std::string text = "\xEF\xBB\xBF[S]\nk=first\nK=second\n[s]\nk=third\nlong=" + std::string(3000, 'v') + "\n";
    EXPECT_EQ(IniFile::ReadFromText(text, "S", "k", ""), "first");
    EXPECT_EQ(IniFile::ReadFromText(text, "s", "long", ""), "");
    std::string text2 = "[S]\nlong=" + std::string(3000, 'v') + "\n";
    EXPECT_EQ(IniFile::ReadFromText(text2, "S", "long", "").size(), 2047u);
}

TEST(IniWrite, ChangesTheOneLineInPlaceAndKeepsEverythingElse)
{
    const std::string text = "; keep me\n[Configuration]\r\n  Language = English ; old\r\nOther=1\n\n[Tail]\rx=y";
    EXPECT_EQ(IniFile::WriteToText(text, "configuration", "Language", "Russian"),
              "; keep me\n[Configuration]\r\nLanguage=Russian\r\nOther=1\n\n[Tail]\rx=y");
}

TEST(IniWrite, AddsTheKeyAtTheEndOfItsSectionOrANewSection)
{
    EXPECT_EQ(IniFile::WriteToText("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "a", "Language", "English"),
              "[A]\r\nx=1\r\nLanguage=English\r\n\r\n[B]\r\ny=2\r\n");
    // A section whose last line has no line end.
    EXPECT_EQ(IniFile::WriteToText("[A]\nx=1", "A", "k", "v"), "[A]\nx=1\nk=v\n");
    // A missing section goes to the end, after a blank line, in the file's line-end style.
    EXPECT_EQ(IniFile::WriteToText("[A]\nx=1", "Configuration", "Language", "English"),
              "[A]\nx=1\n\n[Configuration]\nLanguage=English\n");
    EXPECT_EQ(IniFile::WriteToText("", "Configuration", "Language", "English"),
              "[Configuration]\r\nLanguage=English\r\n");
}

TEST(IniWrite, AKeyAddedAmongMixedLineEndsTakesNoBlankLineWithIt)
{
    // The file's first line ends with a lone CR; the added line ends like the line before
    // it, so its end cannot join the blank line that follows into one CR LF.
    EXPECT_EQ(IniFile::WriteToText("[A]\rx=1\n\n[B]\ry=2\r", "A", "k", "v"), "[A]\rx=1\nk=v\n\n[B]\ry=2\r");
}

TEST(IniWrite, CreatesTheFileAndReadsBackWhatItWrote)
{
    TempDir dir;
    std::string path = dir.File("quillpost.ini");
    IniFile::WriteString(path, "Configuration", "Language", "English");
    EXPECT_EQ(dir.Read("quillpost.ini"), "[Configuration]\r\nLanguage=English\r\n");
    IniFile::WriteString(path, "Configuration", "Language", "Russian");
    EXPECT_EQ(IniFile::ReadString(path, "Configuration", "Language", "?"), "Russian");
    EXPECT_EQ(dir.Read("quillpost.ini"), "[Configuration]\r\nLanguage=Russian\r\n");
    // A file that cannot be written is an error with the file's name.
    EXPECT_THROW(IniFile::WriteString(dir.File("no/such/folder.ini"), "S", "k", "v"), FileError);
}

// A settings file in UTF-16 (an editor's "Unicode"), or one holding NUL bytes, is no text this
// reader can edit: the user is told, and writes leave every byte of it as it was.
TEST(IniWrite, AUtf16FileIsToldAndNeverWrittenOver)
{
    TempDir dir;
    for (const std::string& bytes :
         {"\xFF\xFE" + std::string("[\0C\0]\0\r\0\n\0", 10), "\xFE\xFF" + std::string("\0[\0C\0]\0\r\0\n", 10),
          std::string("[\0C\0]\0\r\0\n\0", 10), std::string("[Configuration]\r\nLanguage=Eng\0lish\r\n", 35)}) {
        const std::string path = dir.Write("quillpost.ini", bytes);
        EXPECT_NE(IniFile::Unreadable(path).find("quillpost.ini"), std::string::npos);
        IniFile::WriteString(path, "Configuration", "Language", "Russian");
        EXPECT_EQ(dir.Read("quillpost.ini"), bytes);
        EXPECT_EQ(IniFile::WriteToText(bytes, "Window", "Left", "10"), bytes);
    }
    EXPECT_EQ(IniFile::Unreadable(dir.Write("plain.ini", "[Configuration]\r\nLanguage=English\r\n")), "");
    EXPECT_EQ(IniFile::Unreadable(dir.File("missing.ini")), "");
}
