// Program paths, the language pass and the status bar texts.
#include "app/LanguagePass.h"
#include "app/ProgramFiles.h"
#include "app/StatusText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(ProgramFiles, EveryPathHangsOffTheProgramFolder)
{
    ProgramFiles f("/opt/qp", "quillpost");
    EXPECT_EQ(f.Folder(), "/opt/qp/");
    EXPECT_EQ(f.Data(ProgramFiles::Products), "/opt/qp/data/products.dat");
    EXPECT_EQ(f.Settings(), "/opt/qp/quillpost.ini");
    EXPECT_EQ(f.Language("Russian"), "/opt/qp/language/Russian.ini");
    EXPECT_EQ(f.Help("Russian"), "/opt/qp/help/Help - Ru.txt");
    EXPECT_EQ(f.Help("russian"), "");
    EXPECT_EQ(ProgramFiles("/opt/qp/", "qp2").Settings(), "/opt/qp/qp2.ini");
}

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

TEST(StatusText, Panels)
{
    EXPECT_EQ(StatusText::Total(0), " Total: 0");
    EXPECT_EQ(StatusText::Total(12), " Total: 12");
    EXPECT_EQ(StatusText::Row("Tool", "http://x/pad.xml"), "Tool - http://x/pad.xml");
}
