#include "lang/Windows1251.h"
#include "lang/LanguagePass.h"
#include "lang/Windows1251Notice.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

TEST(Windows1251, OnlyTextThatIsNeitherUtf8NorUtf16IsRead)
{
    struct Case {
        std::string bytes;
        bool chosen;
    } cases[] = {
        {"\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB", false},              // "Файл" in UTF-8
        {"\xEF\xBB\xBF\xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF", false}, // a mark, four-byte forms up to U+10FFFF
        {std::string("\xFF\xFE[\0I\0", 6), false},                // UTF-16: left to the INI rules
        {std::string("[\0I\0", 4), false},                        // UTF-16 without a mark
        {"\xD4\xE0\xE9\xEB", true},                               // "Файл" in Windows-1251
        {"\xD0", true},                                           // a UTF-8 lead byte cut at the end
        {"\xD0\xD0", true},                                       // a lead byte where a follower belongs
        {"\xC0\xAF", true},                                       // overlong "/", two bytes
        {"\xE0\x80\xAF", true},                                   // and three
        {"\xED\xA0\x80", true},                                   // a surrogate
        {"\xF4\x90\x80\x80", true},                               // past U+10FFFF
    };
    for (const Case& c : cases) EXPECT_EQ(Windows1251::Chosen(c.bytes), c.chosen) << c.bytes;
}

TEST(Windows1251, TurnsEveryByteIntoUtf8)
{
    // The ends of the Cyrillic block, Ё and ё outside it, the euro sign, ASCII untouched;
    // 0x98 is no character of the code page.
    EXPECT_EQ(Windows1251::ToUtf8("A\xC0\xFF\xA8\xB8\x88\x98"), "A\xD0\x90\xD1\x8F\xD0\x81\xD1\x91\xE2\x82\xAC"
                                                                "\xEF\xBF\xBD");
}

TEST(Windows1251, ALanguageFileIsReadSoAndToldOncePerChange)
{
    TempDir dir;
    const std::string path = dir.Write("language/Russian.ini", "[Interface]\r\nMFile->Caption=\xD4\xE0\xE9\xEB\r\n");
    Windows1251Notice notice;
    const LanguagePass pass(path);
    EXPECT_TRUE(pass.ReadAsWindows1251());
    EXPECT_EQ(pass.Caption("MFile->Caption", "File"), "Файл");
    EXPECT_EQ(notice.Tell(path, pass), "Russian.ini is not UTF-8 text; it was read as Windows-1251");
    EXPECT_EQ(notice.Tell(path, LanguagePass(path, pass)), ""); // applied again, unchanged
    dir.Write("language/Russian.ini", "[Interface]\r\nMFile->Caption=\xD4\xE0\xE9\xEB!\r\n");
    const LanguagePass edited(path, pass);
    EXPECT_NE(notice.Tell(path, edited), "");
    // Mended to UTF-8, then put back: told again.
    dir.Write("language/Russian.ini", "[Interface]\r\nMFile->Caption=Файл\r\n");
    EXPECT_EQ(notice.Tell(path, LanguagePass(path)), "");
    EXPECT_NE(notice.Tell(path, edited), "");
    // UTF-16 keeps its rule: nothing is found in it.
    const LanguagePass wide(dir.Write("U.ini", std::string("\xFF\xFE[\0I\0]\0", 8)));
    EXPECT_FALSE(wide.ReadAsWindows1251());
    EXPECT_EQ(wide.Caption("MFile->Caption", "File"), "File");
}
