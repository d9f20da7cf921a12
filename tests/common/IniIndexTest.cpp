#include "common/IniIndex.h"
#include "common/IniFile.h"

#include <gtest/gtest.h>

#include <string>

// The index answers every look-up as one read of the text does, on the texts where the rules
// show: case, repeated sections and keys, keys before any section, a header without "]",
// quotes and blanks, lone CRs, a BOM, values past 2047 characters, UTF-16.
TEST(IniIndex, AnswersEveryLookUpAsReadingTheTextOnceDoes)
{
    const std::string texts[] = {
        "\xEF\xBB\xBFk=none\r[S]\nk=first\r\nK=second\n[other]\nx=1\n[s]\nk=third\n;k= ' q ' \n",
        "[ S \rk = \" cr \"\r[]\r=empty\r[INTERFACE]\n E =a = b\n[interface]\nz=late\n[Texts]\nk=" +
            std::string(2100, 'w'),
        std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0v\0", 18)};
    for (const std::string& text : texts) {
        const IniIndex index(text);
        for (const char* section : {"S", "s", " S", "other", "", "Interface", "Texts", "Missing"})
            for (const char* key : {"k", "K", "x", "", ";k", "E", "z", "Missing"})
                EXPECT_EQ(index.Read(section, key, "-"), IniFile::ReadFromText(text, section, key, "-"))
                    << "[" << section << "] " << key << " in " << text.substr(0, 20);
    }
}
