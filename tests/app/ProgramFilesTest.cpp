#include "app/ProgramFiles.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(ProgramFiles, EveryPathHangsOffTheProgramFolder)
{
    FileLocations::Environment writable{"", "", "/home/u", [](const std::string&) { return true; }};
    ProgramFiles f("/opt/qp", "quillpost", writable);
    EXPECT_EQ(f.Folder(), "/opt/qp/");
    EXPECT_EQ(f.Data(ProgramFiles::Products), "/opt/qp/data/products.dat");
    EXPECT_EQ(f.Settings(), "/opt/qp/quillpost.ini");
    EXPECT_EQ(f.Language("Russian"), "/opt/qp/language/Russian.ini");
    EXPECT_EQ(f.Help("Russian"), "/opt/qp/help/Help - Ru.txt");
    EXPECT_EQ(f.Help("russian"), "");
    EXPECT_EQ(ProgramFiles("/opt/qp/", "qp2", writable).Settings(), "/opt/qp/qp2.ini");
}

TEST(ProgramFiles, ASystemInstallReadsLanguageAndHelpFromTheInstallAndTheRestFromTheFilledUserFolders)
{
    TempDir program, home;
    program.Write("data/products.dat", "Shipped|http://pad.example/s.xml|Utilities|\r\n");
    const std::string folder = program.Path() + "/";
    FileLocations::Environment readOnly{home.File("share"), home.File("config"), home.Path(),
                                        [&folder](const std::string& path) { return path != folder; }};
    ProgramFiles f(program.Path(), "quillpost", readOnly);
    EXPECT_EQ(f.FillFailures(), "");
    EXPECT_EQ(f.Data(ProgramFiles::Products), home.File("share/quillpost/data/products.dat"));
    EXPECT_EQ(home.Read("share/quillpost/data/products.dat"), program.Read("data/products.dat"));
    EXPECT_EQ(f.Settings(), home.File("config/quillpost/quillpost.ini"));
    EXPECT_EQ(f.Language("Russian"), folder + "language/Russian.ini");
    EXPECT_EQ(f.Help("English"), folder + "help/Help - En.txt");
}
