#include "catalogue/ListDocument.h"

#include "catalogue/CatalogueFile.h"
#include "catalogue/ListRows.h"
#include "common/FileReplace.h"
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
// read and says so; one that is no text, or cannot be read, leaves the list alone.
TEST(ListDocumentTest, LoadTellsOfAPartReadAndKeepsTheRowsOfARefusedOrFailedOne)
{
    TempDir dir;
    ListRows sites(3, true);
    ListDocument doc(sites, dir.File("data/sites.dat"), CatalogueFile::SiteFields, true);
    EXPECT_EQ(doc.FileName(), "sites.dat");

    const ListDocument::LoadResult whole = doc.Load(dir.Write("whole.dat", "b|http://b/|\r\na|http://a/|\r\n"));
    EXPECT_TRUE(whole.Replaced);
    EXPECT_EQ(whole.Problem, "");
    EXPECT_EQ(Captions(sites), "a+;b+;");

    const ListDocument::LoadResult binary =
        doc.Load(dir.Write("cut.dat", std::string("c|http://c/|\r\n\0d|x|\r\n", 21)));
    EXPECT_FALSE(binary.Replaced);
    EXPECT_NE(binary.Problem.find("cut.dat"), std::string::npos) << binary.Problem;
    EXPECT_EQ(Captions(sites), "a+;b+;");

    const std::string longField = "c|l|\r\n" + std::string(CatalogueFile::MaxFieldLength + 1, 'x') + "|l|\r\n";
    const ListDocument::LoadResult part = doc.Load(dir.Write("long.dat", longField));
    EXPECT_TRUE(part.Replaced);
    EXPECT_NE(part.Problem.find("long.dat"), std::string::npos) << part.Problem;
    EXPECT_EQ(Captions(sites), "c+;");

    EXPECT_THROW(doc.Load(dir.File("missing.dat")), FileError);
    EXPECT_EQ(Captions(sites), "c+;");
}

// Another program writes the list's file: an unchanged list reads it again; a changed one keeps
// its changes, and its save to the file keeps the rows the other program added, as one step.
TEST(ListDocumentTest, AFileWrittenMeanwhileIsReadAgainOrItsNewRowsKeptBesideTheChanges)
{
    TempDir dir;
    ListRows products(4, true);
    const std::string path = dir.Write("products.dat", "A|http://a/|C|\r\n");
    ListDocument doc(products, path, CatalogueFile::ProductFields, false, 1);
    doc.ReadAtStart();
    dir.Write("products.dat", "A|http://a/|C|\r\nB|http://b/|C|\r\n");
    EXPECT_NE(doc.FileChanged().English().find("read from it again"), std::string::npos);
    EXPECT_EQ(Captions(products), "A;B;");

    {
        const ListHistory::Step step(doc.History(), "Add");
        products.Add("W");
    }
    dir.Write("products.dat", "A|http://a/|C|\r\nB|http://b/|C|\r\nX|http://x/|C|\r\n");
    EXPECT_EQ(doc.FileChanged().English(), ""); // the changes stay
    EXPECT_EQ(Captions(products), "A;B;W;");
    EXPECT_NE(doc.Save(path).English().find("kept beside yours: 1."), std::string::npos);
    EXPECT_EQ(dir.Read("products.dat"), "A|http://a/|C|\r\nB|http://b/|C|\r\nW|||\r\nX|http://x/|C|\r\n");
    EXPECT_EQ(doc.History().UndoName(), "Merge");
    EXPECT_EQ(doc.FileChanged().English(), ""); // its own save is no change
}

// Unsaved changes are kept beside the file until the list is as the file holds it again; a copy
// newer than the file is offered at the next start and restored, as one step, only when asked.
TEST(ListDocumentTest, UnsavedChangesAreKeptAsidAndRestoredOnlyWhenAsked)
{
    TempDir dir;
    const std::string path = dir.Write("sites.dat", "a|l|\r\n");
    const std::string copy = path + ".recovery";
    {
        ListRows sites(3, true);
        ListDocument doc(sites, path, CatalogueFile::SiteFields, true);
        doc.ReadAtStart();
        {
            const ListHistory::Step step(doc.History(), "Add");
            sites.Add("b");
        }
        doc.Recovery().Flush();
        EXPECT_EQ(dir.Read("sites.dat.recovery"), "a|l|\r\nb||\r\n");
        doc.History().Undo();
        doc.Recovery().Flush();
        EXPECT_FALSE(FileReplace::Exists(copy));
        doc.History().Redo();
    } // Ctrl+Q: the list goes unsaved, its copy stays
    ListRows sites(3, true);
    ListDocument doc(sites, path, CatalogueFile::SiteFields, true);
    doc.ReadAtStart();
    ASSERT_TRUE(doc.RecoveryOffered());
    EXPECT_EQ(Captions(sites), "a+;"); // nothing restored unasked
    EXPECT_NE(doc.RestoreUnsaved().English().find("rows: 2."), std::string::npos);
    EXPECT_EQ(Captions(sites), "a+;b+;");
    EXPECT_TRUE(sites.Modified());
    doc.History().Undo();
    EXPECT_EQ(Captions(sites), "a+;");
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
