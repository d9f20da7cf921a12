#include "lang/LanguagePass.h"
#include "lang/LanguageTexts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

TEST(LanguagePass, ReadsTheFileOnceAndFallsBackToTheCurrentCaption)
{
    TempDir dir;
    const std::string path = dir.Write("L.ini", "[interface]\r\nMFile->Caption = \" Datei \"\r\nMExit->Caption=\r\n");
    LanguagePass pass(path);
    EXPECT_TRUE(pass.FileRead());
    dir.Write("L.ini", "[Interface]\r\nMFile->Caption=Changed\r\n"); // the pass keeps what it read
    EXPECT_EQ(pass.Caption("mfile->caption", "File"), " Datei ");
    EXPECT_EQ(pass.Caption("MExit->Caption", "Exit"), "");
    EXPECT_EQ(pass.Caption("MHelp->Caption", "Help"), "Help");
    EXPECT_EQ(LanguagePass(path).Caption("MFile->Caption", "File"), "Changed");

    LanguagePass missing(dir.File("none.ini"));
    EXPECT_FALSE(missing.FileRead());
    EXPECT_EQ(missing.Caption("MFile->Caption", "Файл"), "Файл");
}

TEST(LanguagePass, TheSameBytesAreIndexedOnceAndAnEditOnDiskIsReadAgain)
{
    TempDir dir;
    const std::string path =
        dir.Write("L.ini", "[Interface]\r\nMFile->Caption=Datei\r\n[Texts]\r\nRetryAllOk=Alles gut.\r\n");
    const LanguagePass first(path);
    const LanguagePass again(path, first);
    EXPECT_TRUE(again.SharesIndexWith(first));
    EXPECT_EQ(LanguageTexts::From(again).Translate("Every pair of the last run was Ok."), "Alles gut.");

    // An edit of the same size is seen too: the bytes are compared, not the file's size or time.
    dir.Write("L.ini", "[Interface]\r\nMFile->Caption=Fichr\r\n[Texts]\r\nRetryAllOk=Alles gut.\r\n");
    const LanguagePass edited(path, again);
    EXPECT_FALSE(edited.SharesIndexWith(again));
    EXPECT_EQ(edited.Caption("MFile->Caption", "File"), "Fichr");

    // A file gone since gives every key its default, whatever was read before.
    std::filesystem::remove(path);
    const LanguagePass gone(path, edited);
    EXPECT_FALSE(gone.FileRead());
    EXPECT_FALSE(gone.SharesIndexWith(LanguagePass()));
    EXPECT_EQ(gone.Caption("MFile->Caption", "File"), "File");
}
