#include "catalogue/CatalogueFile.h"
#include "catalogue/CaptionCollator.h"
#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"
#include "common/FileReplace.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const CaptionCollator& Root()
{
    static const CaptionCollator c("C");
    return c;
}

using Lines = std::vector<std::string>;

Lines Captions(const ListRows& list)
{
    Lines out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Caption(i));
    return out;
}

} // namespace

TEST(CatalogueLines, EveryLineEndAndTheLastLineWithoutOne)
{
    EXPECT_EQ(CatalogueFile::SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(CatalogueFile::SplitLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(CatalogueFile::SplitLines(""), Lines{});
    // Blank lines are records, in every line-end style; LF CR is two line ends.
    EXPECT_EQ(CatalogueFile::SplitLines("\r\n\r\nx\n\n\r\r"), (Lines{"", "", "x", "", "", ""}));
    EXPECT_EQ(CatalogueFile::SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
    // Reading stops at the first NUL byte.
    EXPECT_EQ(CatalogueFile::SplitLines(std::string("a\r\nb\0c\r\nd", 9)), (Lines{"a", "b"}));
}

TEST(CatalogueLines, FieldCutting)
{
    EXPECT_EQ(CatalogueFile::CutLine("Tool|L|Utilities|", 4), (Lines{"Tool", "L", "Utilities", ""}));
    EXPECT_EQ(CatalogueFile::CutLine("Tool|L|Utilities", 4), (Lines{"Tool", "L", "Utilities", ""}));
    EXPECT_EQ(CatalogueFile::CutLine("Tool|L|Utilities|S|extra|", 4), (Lines{"Tool", "L", "Utilities", "S"}));
    // No "|": empty title, the whole line is the link.
    EXPECT_EQ(CatalogueFile::CutLine("Tool", 4), (Lines{"", "Tool", "", ""}));
    EXPECT_EQ(CatalogueFile::CutLine("", 4), (Lines{"", "", "", ""}));
    EXPECT_EQ(CatalogueFile::CutLine("|x|", 3), (Lines{"", "x", ""}));
    // A "|" inside a title splits it.
    EXPECT_EQ(CatalogueFile::CutLine("A|B|link|cat|", 4), (Lines{"A", "B", "link", "cat"}));
}

TEST(CatalogueFile, ProductsRoundTripByteForByte)
{
    TempDir dir;
    // Windows-1251 bytes, a blank line, a line without its last bar, mixed line ends.
    std::string in =
        "Tool|L|Utilities|\n\r\n\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE0|http://x.example/p.xml|Business::Finance\r"
        "Zeta|z|c|Yes|";
    std::string path = dir.Write("products.dat", in);
    ListRows list(4, false, &Root());
    CatalogueFile::ReadList(list, path);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Caption(0), "Tool");
    EXPECT_EQ(list.Text(0, 1), "L");
    EXPECT_EQ(list.Text(0, 2), "Utilities");
    EXPECT_EQ(list.Text(0, 3), "");
    EXPECT_FALSE(list.Row(0).Checked);
    EXPECT_EQ(list.Caption(1), "");
    EXPECT_EQ(list.Text(3, 3), "Yes");

    CatalogueFile::WriteList(list, dir.File("out.dat"), CatalogueFile::ProductFields);
    EXPECT_EQ(dir.Read("out.dat"), "Tool|L|Utilities|\r\n|||\r\n\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE0|http://x.example/"
                                   "p.xml|Business::Finance|\r\nZeta|z|c|Yes|\r\n");
}

TEST(CatalogueFile, EditedRowsOfAReadFileAndRowsReadAfterThemWriteWhatTheListHolds)
{
    TempDir dir;
    const std::string first = dir.Write("first.dat", "Beta|b|c|\r\nAlpha|a|c|Yes|\r\n");
    const std::string second = dir.Write("second.dat", "Gamma|g|x|\r\n");
    ListRows list(4, true, &Root());
    CatalogueFile::ReadList(list, first);
    list.SetText(0, ProductColumn::PadLink, "http://new.example/a.xml");
    EXPECT_EQ(list.SetCaption(1, "Aardvark"), 0);
    list.Add("Delta");
    EXPECT_EQ(CatalogueFile::Format(list, CatalogueFile::ProductFields),
              "Aardvark|b|c|\r\nAlpha|http://new.example/a.xml|c|Yes|\r\nDelta|||\r\n");

    CatalogueFile::ReadList(list, second);
    list.SetText(0, ProductColumn::Status, "No");
    EXPECT_EQ(CatalogueFile::Format(list, CatalogueFile::ProductFields), "Gamma|g|x|No|\r\n");
}

TEST(CatalogueFile, OnlyAValidationsYesOrNoIsWrittenAsTheFourthField)
{
    TempDir dir;
    ListRows list(4, false, &Root());
    for (const char* word : {"Yes", "No", "Ok", "?", "", "yes"}) {
        ListRow row;
        row.Caption = std::string("T") + word;
        row.SubItems = {"l", "c", word};
        list.Add(std::move(row));
    }
    CatalogueFile::WriteList(list, dir.File("out.dat"), CatalogueFile::ProductFields);
    EXPECT_EQ(dir.Read("out.dat"), "TYes|l|c|Yes|\r\nTNo|l|c|No|\r\nTOk|l|c|\r\nT?|l|c|\r\nT|l|c|\r\nTyes|l|c|\r\n");
    // Sites never get one.
    CatalogueFile::WriteList(list, dir.File("sites.dat"), CatalogueFile::SiteFields);
    EXPECT_EQ(dir.Read("sites.dat"), "TYes|l|\r\nTNo|l|\r\nTOk|l|\r\nT?|l|\r\nT|l|\r\nTyes|l|\r\n");
}

TEST(CatalogueFile, SortedListShowsTitleOrderAndWritesIt)
{
    TempDir dir;
    std::string path = dir.Write("products.dat", "beta|b|c|\r\nAlpha|a|c|\r\nalpha|a2|c|\r\n");
    ListRows list(4, true, &Root());
    CatalogueFile::ReadList(list, path);
    CatalogueFile::WriteList(list, path, CatalogueFile::ProductFields);
    EXPECT_EQ(dir.Read("products.dat"), "alpha|a2|c|\r\nAlpha|a|c|\r\nbeta|b|c|\r\n");
}

TEST(CatalogueFile, SitesAreCheckedAndWrittenWithTwoFields)
{
    TempDir dir;
    std::string path = dir.Write("sites.dat", "Site|L|\r\nOther|M|status|\r\n");
    ListRows list(3, false, &Root());
    CatalogueFile::ReadList(list, path, true);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_TRUE(list.Row(0).Checked);
    EXPECT_EQ(list.Text(0, 2), "");
    EXPECT_EQ(list.Text(1, 2), "status");
    CatalogueFile::WriteList(list, path, CatalogueFile::SiteFields);
    EXPECT_EQ(dir.Read("sites.dat"), "Site|L|\r\nOther|M|\r\n");
}

TEST(CatalogueFile, EmptyListGivesAZeroByteFileAndEmptyFileAnEmptyList)
{
    TempDir dir;
    ListRows list(4);
    list.Add("old");
    CatalogueFile::ReadList(list, dir.Write("empty.dat", ""));
    EXPECT_EQ(list.Count(), 0);
    CatalogueFile::WriteList(list, dir.File("products.dat"), 3);
    EXPECT_EQ(std::filesystem::file_size(dir.File("products.dat")), 0u);
}

TEST(CatalogueFile, CategoriesAreWholeLines)
{
    TempDir dir;
    auto cats = CatalogueFile::ReadCategories(dir.Write("categories.dat", "A::B\r\n\r\nC|D::E\nlast"));
    EXPECT_EQ(cats, (Lines{"A::B", "", "C|D::E", "last"}));
    EXPECT_THROW(CatalogueFile::ReadCategories(dir.File("missing.dat")), FileError);
}

TEST(CatalogueFile, FailedReadKeepsRowsMarksTheListAndNamesTheFile)
{
    TempDir dir;
    ListRows list(4, false, &Root());
    list.Add("keep me");
    std::string missing = dir.File("nope.dat");
    try {
        CatalogueFile::ReadList(list, missing);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos);
    }
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.FailedPaths(), std::vector<std::string>{missing});

    // Reading another file does not lift the mark of the one that failed...
    CatalogueFile::ReadList(list, dir.Write("other.dat", "x|y|z|\r\n"));
    EXPECT_TRUE(list.LoadFailed());
    // ...reading the failed file successfully does.
    dir.Write("nope.dat", "a|b|c|\r\n");
    CatalogueFile::ReadList(list, missing);
    EXPECT_FALSE(list.LoadFailed());
}

TEST(CatalogueFile, CloseTimeSaveAfterAFailedLoadPutsNewRowsAside)
{
    TempDir dir;
    // A folder where the file should be cannot be read as a file: the load fails.
    std::filesystem::create_directory(dir.File("products.dat"));
    std::string path = dir.File("products.dat");
    ListRows list(4, true, &Root());
    EXPECT_THROW(CatalogueFile::ReadList(list, path), FileError);
    EXPECT_EQ(CatalogueFile::SaveOnClose(list, path, 3), "");
    // A later failed load of some other file leaves that protection in place.
    EXPECT_THROW(CatalogueFile::ReadList(list, dir.File("typo.dat")), FileError);
    list.Add("New");
    EXPECT_EQ(CatalogueFile::SaveOnClose(list, path, 3), path + ".unsaved");
    const std::string respelled = dir.Path() + "/./products.dat"; // the same file
    EXPECT_EQ(dir.Read("products.dat.unsaved"), "New|||\r\n");
    // Rows put aside before are never written over: the next close takes the next number.
    list.Add("Newer");
    EXPECT_EQ(CatalogueFile::SaveOnClose(list, respelled, 3), respelled + ".unsaved.2");
    EXPECT_EQ(CatalogueFile::SaveOnClose(list, path, 3), path + ".unsaved.3");
    EXPECT_EQ(dir.Read("products.dat.unsaved"), "New|||\r\n");
    EXPECT_EQ(dir.Read("products.dat.unsaved.2"), "New|||\r\nNewer|||\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(path));

    // A file that failed to load and is gone since is simply written.
    std::filesystem::remove(path);
    EXPECT_EQ(CatalogueFile::SaveOnClose(list, path, 3), path);
    EXPECT_EQ(dir.Read("products.dat"), "New|||\r\nNewer|||\r\n");
}

TEST(CatalogueFile, AReadCutShortByANulByteOrRefusedAsUtf16CountsAsAFailedLoad)
{
    TempDir dir;
    const std::string content = "A|L|C|\r\n" + std::string(1, '\0') + "B|L2|C2|\r\nZ|L3|C3|\r\n";
    const std::string path = dir.Write("products.dat", content);
    ListRows list(4, true, &Root());
    list.Add("Old");
    auto readError = [&](const std::string& file) -> std::string {
        try {
            CatalogueFile::ReadList(list, file);
        } catch (const FileError& e) {
            return e.what();
        }
        return "no error";
    };
    // The rows before the NUL byte are shown, the user is told where reading stopped...
    EXPECT_EQ(readError(path), "products.dat has a NUL byte at offset 8; the rest of the file was not read");
    EXPECT_EQ(Captions(list), Lines{"A"});
    EXPECT_EQ(list.FailedPaths(), Lines{path});
    // ...and the close-time save leaves the file as it is.
    EXPECT_EQ(CatalogueFile::SaveOnClose(list, path, CatalogueFile::ProductFields), path + ".unsaved");
    EXPECT_EQ(dir.Read("products.dat"), content);

    // A UTF-16 file (either byte order) is not read at all: the list keeps its rows.
    list.Add("Kept");
    for (const std::string folder : {"le", "be"}) {
        const std::string utf16 = folder == "le"
                                      ? dir.Write("le/sites.dat", "\xFF\xFE" + std::string("S\0|\0L\0|\0\r\0\n\0", 12))
                                      : dir.Write("be/sites.dat", "\xFE\xFF" + std::string("\0S\0|\0L\0|\0\r\0\n", 12));
        EXPECT_EQ(readError(utf16), "sites.dat is UTF-16 text; it was not read");
        EXPECT_EQ(Captions(list), (Lines{"A", "Kept"}));
        ASSERT_FALSE(list.FailedPaths().empty());
        EXPECT_EQ(list.FailedPaths().back(), utf16);
    }
    // A NUL byte as the very last byte still leaves the file unread in part.
    dir.Write("tail.dat", std::string("Tool|l|c|\r\n\0", 12));
    EXPECT_EQ(readError(dir.File("tail.dat")),
              "tail.dat has a NUL byte at offset 11; the rest of the file was not read");

    // A field longer than any catalogue text ends the read the same way; one at the limit does not.
    const std::string atLimit(CatalogueFile::MaxFieldLength, 'x');
    const std::string longField = "A|L|C|\r\n" + atLimit + "|L|C|\r\nB|L|" + atLimit + "x|\r\nZ|L|C|\r\n";
    const std::string longPath = dir.Write("long/products.dat", longField);
    EXPECT_EQ(readError(longPath),
              "products.dat has a field longer than 65536 bytes on line 3; the rest of the file was not read");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Caption(0), "A");
    EXPECT_EQ(CatalogueFile::SaveOnClose(list, longPath, CatalogueFile::ProductFields), longPath + ".unsaved");
    EXPECT_EQ(dir.Read("long/products.dat"), longField);
}

TEST(CatalogueFile, ReadingOrSavingAListLeavesItUnmodified)
{
    TempDir dir;
    ListRows list(3, true, &Root());
    CatalogueFile::ReadList(list, dir.Write("sites.dat", "b|l|\r\na|m|\r\n"), true);
    EXPECT_FALSE(list.Modified()); // though the reader added and sorted rows
    list.Add("c");
    const std::string mine = dir.File("mine.dat");
    list.MarkLoadFailed(mine);
    CatalogueFile::SaveList(list, mine, CatalogueFile::SiteFields);
    EXPECT_FALSE(list.Modified());
    EXPECT_FALSE(list.LoadFailed()); // the user chose to replace the file
    EXPECT_EQ(dir.Read("mine.dat"), "a|m|\r\nb|l|\r\nc||\r\n");
    // A save that fails leaves the list modified.
    list.Add("d");
    EXPECT_THROW(CatalogueFile::SaveList(list, dir.File("no/such/folder.dat"), CatalogueFile::SiteFields), FileError);
    EXPECT_TRUE(list.Modified());
}

// A file the user picks is refused only when it is no text; any text loads as its lines cut at
// "|", however few they hold. At start the program's own file is never refused so.
TEST(CatalogueFile, ALoadRefusesOnlyWhatIsNoTextAndCutsEveryTextFile)
{
    TempDir dir;
    struct Case {
        const char* name;
        std::string bytes;
        Lines rows; // caption and link of each row; empty: refused
    };
    const std::vector<Case> cases = {
        {"links.dat",
         "Tool|http://tool.example/pad.xml\r\nZip|http://z/p.xml\n",
         {"Tool http://tool.example/pad.xml", "Zip http://z/p.xml"}},
        {"titles.dat", "Tool\r\nZip\r\n", {" Tool", " Zip"}},
        {"table.md", "| Name | Link |\n|---|---|\n", {"  Name ", " ---"}},
        {"cp1251.dat", "\xCF\xF0\xEE\xE3|http://p/|\r\n", {"\xCF\xF0\xEE\xE3 http://p/"}},
        {"tabs.dat", "A\tB|l|\f\r\n", {"A\tB l"}},
        {"picture.png", std::string("\x89PNG\r\n\x1a\n", 8), {}},
        {"nul.dat", std::string("A|l|\r\n\0", 7), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ListRows list(4);
        list.Add("Kept");
        const std::string path = dir.Write(c.name, c.bytes);
        if (c.rows.empty()) {
            EXPECT_THROW(CatalogueFile::ReadList(list, path, false, true), RefusedFile);
            EXPECT_EQ(Captions(list), Lines{"Kept"});
            continue;
        }
        CatalogueFile::ReadList(list, path, false, true);
        Lines rows;
        for (int r = 0; r < list.Count(); ++r)
            rows.push_back(std::string(list.Caption(r)) + " " + std::string(list.Text(r, 1)));
        EXPECT_EQ(rows, c.rows);
    }
    // The program's own read does not look: it takes the rows before the NUL byte.
    ListRows list(4);
    EXPECT_THROW(CatalogueFile::ReadList(list, dir.File("nul.dat")), IncompleteRead);
    EXPECT_EQ(Captions(list), Lines{"A"});
}
