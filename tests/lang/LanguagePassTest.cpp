#include "lang/LanguagePass.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

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
    // The same bytes again share the index; an edit of the same size is indexed anew.
    const LanguagePass changed(path, pass), again(path, changed);
    EXPECT_TRUE(again.SharesIndexWith(changed) && !changed.SharesIndexWith(pass));
    dir.Write("L.ini", "[Interface]\r\nMFile->Caption=Edited!\r\n");
    EXPECT_EQ(LanguagePass(path, again).Caption("MFile->Caption", "File"), "Edited!");

    LanguagePass missing(dir.File("none.ini"));
    EXPECT_FALSE(missing.FileRead());
    EXPECT_EQ(missing.Caption("MFile->Caption", "Файл"), "Файл");
}
