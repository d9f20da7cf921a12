#include "common/IniIndex.h"
#include "common/IniFile.h"

#include <gtest/gtest.h>

#include <string>

// The index must answer every look-up as a single read of the text does, on the texts where
// the rules show: names in another case, repeated sections and keys, keys before any section,
// a header without "]", quotes, blanks, lone CRs, a BOM, long values, and UTF-16 text.
TEST(IniIndex, AnswersEveryLookUpAsReadingTheTextOnceDoes)
{
    const std::string utf16("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0v\0", 18);
    const std::string texts[] = {
        "; comment\r\n[Configuration]\r\nlanguage =  Russian  \r\n\r\n[interface]\r\n"
        "  MFile->Caption = \" File \" \r\nA='x'\r\nB=\"unbalanced\r\nC=\r\nD=\"\"\r\nE= a = b \r\n",
        "\xEF\xBB\xBF[S]\nk=first\nK=second\n[other]\nx=1\n[s]\nk=third\nlong=" + std::string(3000, 'v') + "\n",
        "k=before any section\r[ S \rk = cr only\r\r[]\r=empty key\r[S]\rk=again\r",
        "[Interface]\n;k=commented\n k \t=\t'q' \nk=second\n[INTERFACE]\nz=late\n[Texts]\nk=\"" +
            std::string(2100, 'w') + "\"",
        utf16,
        "",
    };
    const std::string sections[] = {"Configuration", "interface", "S", "s", "other", "", "Texts", " S", "Missing"};
    const std::string keys[] = {"language", "mfile->caption", "A", "B", "C",  "D", "E",      "k",
                                "K",        "long",           "x", "",  ";k", "z", "Missing"};
    for (const std::string& text : texts) {
        const IniIndex index(text);
        for (const std::string& section : sections)
            for (const std::string& key : keys)
                EXPECT_EQ(index.Read(section, key, "\x01missing"),
                          IniFile::ReadFromText(text, section, key, "\x01missing"))
                    << "[" << section << "] " << key << " in text " << (&text - texts);
    }
}
