#include "catalogue/ListDocument.h"

#include "catalogue/CatalogueFile.h"
#include "catalogue/ListRows.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Captions(const ListRows& list)
{
    std::string out;
    for (int i = 0; i < list.Count(); ++i) out += std::string(list.Caption(i)) + (list.Row(i).Checked ? "+" : "") + ";";
    return out;
}

} // namespace

// The user's Load: a file read whole replaces the rows; one read in part shows what could be
// read and says so instead of failing; one that cannot be read leaves the list alone.
TEST(ListDocumentTest, LoadTellsOfAPartReadAndKeepsTheRowsOfAFailedOne)
{
    TempDir dir;
    ListRows sites(3, true);
    ListDocument doc(sites, dir.File("data/sites.dat"), CatalogueFile::SiteFields, true);
    EXPECT_EQ(doc.FileName(), "sites.dat");

    EXPECT_EQ(doc.Load(dir.Write("whole.dat", "b|http://b/|\r\na|http://a/|\r\n")), "");
    EXPECT_EQ(Captions(sites), "a+;b+;");

    const std::string partRead = doc.Load(dir.Write("cut.dat", std::string("c|http://c/|\r\n\0d|x|\r\n", 21)));
    EXPECT_NE(partRead.find("cut.dat"), std::string::npos) << partRead;
    EXPECT_EQ(Captions(sites), "c+;");

    EXPECT_THROW(doc.Load(dir.File("missing.dat")), FileError);
    EXPECT_EQ(Captions(sites), "c+;");
}

// The close-time save writes the list's own file, except over a catalogue that could not be
// read at start: then the rows go aside and the user is told where. Either way the list
// counts as saved, so that the next close asks nothing.
TEST(ListDocumentTest, SaveAtCloseWritesItsFileOrPutsTheRowsAsideAndSaysWhere)
{
    TempDir dir;
    ListRows products(4, true);
    ListDocument doc(products, dir.File("products.dat"), CatalogueFile::ProductFields, false);
    products.Add("Tool");
    products.SetModified(true);
    EXPECT_EQ(doc.SaveAtClose(), "");
    EXPECT_EQ(dir.Read("products.dat"), "Tool|||\r\n");
    EXPECT_FALSE(products.Modified());

    const std::string broken = std::string("Old|http://old/|Cat|\r\n\0rest", 27);
    dir.Write("products.dat", broken);
    EXPECT_THROW(doc.ReadAtStart(), IncompleteRead);
    products.Add("New");
    const std::string told = doc.SaveAtClose();
    EXPECT_NE(told.find("products.dat.unsaved"), std::string::npos) << told;
    EXPECT_EQ(dir.Read("products.dat"), broken);
    EXPECT_EQ(dir.Read("products.dat.unsaved"), "New|||\r\nOld|http://old/|Cat|\r\n");
    EXPECT_FALSE(products.Modified());
}
