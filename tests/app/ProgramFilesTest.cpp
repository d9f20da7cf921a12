#include "app/ProgramFiles.h"

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
