// Start-up and shutdown of the main window with a temporary program folder.
#include "app/ui/TestProgram.h"

#include "catalogue/ListCommands.h"
#include "common/IniFile.h"
#include "submit/SiteTable.h"
#include "submit/ui/TFormProgress.h"
#include "support/PermissionsBind.h"

#include <QComboBox>
#include <QMenu>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>

namespace {

const char* const ErrorText = "Exception - Error in program !";

} // namespace

TEST(TForm1Start, ShippedFilesFillEveryListInOrderAndEachTabShowsItsTotal)
{
    TestProgram p;
    auto form = p.Start();
    EXPECT_TRUE(p.Messages().empty());
    auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    EXPECT_EQ(pages->currentIndex(), 0);

    auto* speed = form->findChild<QComboBox*>(QStringLiteral("ComboBoxSpeed"));
    ASSERT_EQ(speed->count(), 10);
    EXPECT_EQ(speed->itemText(9), QStringLiteral("10"));
    EXPECT_EQ(form->Speed(), 1);
    speed->setCurrentIndex(4);
    EXPECT_EQ(form->Speed(), 5);

    EXPECT_EQ(form->Categories().size(), 155u);
    EXPECT_EQ(Captions(form->ProductsList()), (std::vector<std::string>{"Backup Buddy", "Pixel Sorter", "Tidy Notes"}));
    EXPECT_FALSE(form->ProductsList().Row(0).Checked);

    ListRows& autoList = form->AutoList();
    ASSERT_EQ(autoList.Count(), SiteTable::BuiltInCount);
    for (int i = 0; i < autoList.Count(); ++i) {
        EXPECT_EQ(autoList.Caption(i), SiteTable::BuiltIn().At(i).Title);
        EXPECT_TRUE(autoList.Row(i).Checked);
        EXPECT_EQ(autoList.Text(i, 1), "");
    }
    ASSERT_EQ(form->ManualList().Count(), 3);
    EXPECT_TRUE(form->ManualList().Row(0).Checked); // the reader sets it; it is not shown
    EXPECT_TRUE(FindAction(form.get(), "MLangEnglish")->isChecked());
    EXPECT_FALSE(FindAction(form.get(), "MLangRussian")->isChecked());

    // Each tab shows its list's total.
    ListCommands::AddProduct(form->ProductsList(), "Another", "L", "C");
    EXPECT_EQ(form->StatusPanelText(0), QStringLiteral(" Total: 4"));
    pages->setCurrentIndex(1);
    EXPECT_EQ(form->StatusPanelText(0), QStringLiteral(" Total: 45"));
    pages->setCurrentIndex(2);
    EXPECT_EQ(form->StatusPanelText(0), QStringLiteral(" Total: 3"));
    pages->setCurrentIndex(0);
    EXPECT_EQ(form->StatusPanelText(0), QStringLiteral(" Total: 4"));

    pages->setCurrentIndex(1);
    QApplication::processEvents();
    ClickRow(form->ListViewAuto(), 2, Qt::NoModifier, 0);
    const SiteRecord& site = SiteTable::BuiltIn().At(2);
    EXPECT_EQ(form->StatusPanelText(1).toStdString(), site.Title + " - " + site.ScriptUrl);

    FindAction(form.get(), "AUnCheckAuto")->trigger();
    EXPECT_EQ(form->AutoList().CheckedCount(), 0);
    FindAction(form.get(), "ACheckAuto")->trigger();
    EXPECT_EQ(form->AutoList().CheckedCount(), 45);
}

TEST(TForm1Start, AMissingFileIsReportedOnceAndTheOtherStepsStillRun)
{
    struct Case {
        const char* file;
        int products, manual;
        const char* total;
    };
    for (Case c : {Case{"categories.dat", 3, 3, " Total: 3"}, Case{"products.dat", 0, 3, " Total: 0"},
                   Case{"sites.dat", 3, 0, " Total: 3"}}) {
        SCOPED_TRACE(c.file);
        TestProgram p;
        p.Remove(std::string("data/") + c.file);
        auto form = p.Start();
        EXPECT_EQ(p.Messages(), std::vector<std::string>{ErrorText});
        EXPECT_EQ(form->ProductsList().Count(), c.products);
        EXPECT_EQ(form->AutoList().Count(), 45);
        EXPECT_EQ(form->ManualList().Count(), c.manual);
        EXPECT_EQ(form->StatusPanelText(0).toStdString(), c.total);
    }
}

TEST(TForm1Start, AProductFileThatCannotBeReadIsNotOverwrittenAtClose)
{
    TestProgram p;
    p.Remove("data/products.dat");
    std::filesystem::create_directory(p.Data("products.dat")); // opens, but cannot be read as a file
    auto form = p.Start();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{ErrorText});
    ListCommands::AddProduct(form->ProductsList(), "Typed Later", "L", "C");
    ASSERT_TRUE(form->close());
    EXPECT_TRUE(std::filesystem::is_directory(p.Data("products.dat")));
    EXPECT_EQ(p.dir.Read("data/products.dat.unsaved"), "Typed Later|L|C|\r\n");
}

TEST(TForm1Start, CtrlQEndsWithoutSavingAnything)
{
    TestProgram p;
    const std::string before = p.dir.Read("data/products.dat");
    auto form = p.Start();
    ListCommands::AddProduct(form->ProductsList(), "Not Kept", "L", "C");
    FindAction(form.get(), "MLangRussian")->trigger();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form->ListViewProducts(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(p.exits, 1);
    form.reset(); // the program ends without a close request
    EXPECT_EQ(p.dir.Read("data/products.dat"), before);
    EXPECT_FALSE(std::filesystem::exists(p.dir.File("quillpost.ini")));
}

TEST(TForm1Start, ExitMenuAndEscapeCloseTheWindowAndWriteProductsAndLanguage)
{
    {
        TestProgram p;
        auto form = p.Start();
        ListCommands::AddProduct(form->ProductsList(), "Zip Tool", "http://z.example/pad.xml", "Utilities");
        FindAction(form.get(), "MExit")->trigger();
        EXPECT_FALSE(form->isVisible());
        EXPECT_NE(p.dir.Read("quillpost.ini").find("[Configuration]"), std::string::npos);
        EXPECT_EQ(IniFile::ReadString(p.dir.File("quillpost.ini"), "Configuration", "Language", ""), "English");
        EXPECT_NE(p.dir.Read("data/products.dat")
                      .find("Tidy Notes|http://www.tidynotes.example/pad/tidynotes.xml|Business::Office Suites & "
                            "Tools|\r\nZip Tool|http://z.example/pad.xml|Utilities|\r\n"),
                  std::string::npos);
    }
    {
        TestProgram p;
        auto form = p.Start();
        QTest::keyClick(form->ListViewProducts(), Qt::Key_Escape); // the list keeps its keys
        QTest::keyClick(form->findChild<QComboBox*>(QStringLiteral("ComboBoxSpeed")), Qt::Key_Escape); // the box too
        EXPECT_TRUE(form->isVisible());
        if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus(); // the window's own key
        QTest::keyClick(form.get(), Qt::Key_Escape);
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(std::filesystem::exists(p.dir.File("quillpost.ini")));
    }
}

// The settings file other versions read: each key in its section, in the order the writes
// of a session and its close put them, every key's line written once.
TEST(TForm1Start, ASessionLeavesTheSettingsFileInItsKnownOrder)
{
    TestProgram p;
    auto form = p.Start();
    FindAction(form.get(), "AAllowHttps")->trigger();
    FindAction(form.get(), "MLangRussian")->trigger();
    form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(2);
    QApplication::processEvents();
    form->close();
    std::vector<std::string> lines;
    const std::string ini = p.dir.Read("quillpost.ini");
    for (size_t at = 0; at < ini.size();) {
        const size_t end = ini.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << ini; // every line ends in CR LF
        const std::string line = ini.substr(at, end - at);
        lines.push_back(line.substr(0, line.find('=')));
        at = end + 2;
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"[Configuration]", "AllowHttps", "Language", "", "[Window]", "Left",
                                               "Top", "Width", "Height", "Maximized", "Page", "ListViewAutoWidths",
                                               "ListViewManualWidths", "ListViewProductsWidths", "Splitter1"}));
    EXPECT_EQ(IniFile::ReadString(p.dir.File("quillpost.ini"), "Configuration", "Language", ""), "Russian");
}

TEST(TForm1Start, AFailedCloseReportsAndKeepsTheWindowOpen)
{
    TestProgram p;
    std::filesystem::create_directory(p.dir.File("quillpost.ini")); // cannot be written
    auto form = p.Start();
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(p.Messages(), std::vector<std::string>{ErrorText});
}

TEST(TForm1Start, AProductFileCutShortByANulByteIsToldAndOutlivesEveryClose)
{
    TestProgram p;
    const std::string content = "A|L|C|\r\n" + std::string(1, '\0') + "B|L2|C2|\r\nZ|L3|C3|\r\n";
    p.dir.Write("data/products.dat", content);
    for (const char* aside : {".unsaved", ".unsaved.2"}) {
        SCOPED_TRACE(aside);
        auto form = p.Start();
        EXPECT_EQ(p.Messages(), std::vector<std::string>{
                                    "products.dat has a NUL byte at offset 8; the rest of the file was not read"});
        EXPECT_EQ(Captions(form->ProductsList()), std::vector<std::string>{"A"});
        EXPECT_EQ(form->AutoList().Count(), 45); // the later steps ran
        EXPECT_EQ(form->ManualList().Count(), 3);
        ASSERT_TRUE(form->close());
        EXPECT_EQ(p.dir.Read("data/products.dat"), content);
        // The rows shown went aside, never over the rows put aside before; the user is told where.
        const std::string asidePath = p.Data(std::string("products.dat") + aside);
        EXPECT_EQ(p.dir.Read("data/products.dat" + std::string(aside)), "A|L|C|\r\n");
        EXPECT_EQ(p.Messages(), std::vector<std::string>{"products.dat was not read whole, so it was left as it is. "
                                                         "The list was saved to " +
                                                         asidePath + "."});
    }

    // A UTF-16 site list is not read at all.
    p.dir.Write("data/sites.dat", "\xFF\xFE" + std::string("S\0|\0L\0|\0\r\0\n\0", 12));
    auto form = p.Start();
    EXPECT_EQ(p.Messages(),
              (std::vector<std::string>{"products.dat has a NUL byte at offset 8; the rest of the file was not read",
                                        "sites.dat is UTF-16 text; it was not read"}));
    EXPECT_EQ(form->ManualList().Count(), 0);
}

TEST(TForm1Start, AChangedManualListIsOfferedForSavingAtClose)
{
    TestProgram p;
    const std::string before = p.dir.Read("data/sites.dat");
    {
        auto form = p.Start();
        ASSERT_TRUE(form->close()); // unchanged since the start: no question
        EXPECT_TRUE(MessageBoxes::shown().empty());
    }
    const std::string products = p.dir.Read("data/products.dat");
    auto form = p.Start();
    ListCommands::AddSite(form->ManualList(), "New Site", "http://127.0.0.1:9/new");
    ListCommands::AddProduct(form->ProductsList(), "New Product", "L", "C");

    // Cancel keeps the window open and writes nothing.
    MessageBoxes::setNextAnswer(MessageBoxes::Answer::Cancel);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(MessageBoxes::shown().size(), 1u);
    EXPECT_EQ(MessageBoxes::shown()[0].Kind, MessageBoxes::Buttons::YesNoCancel);
    EXPECT_EQ(MessageBoxes::shown()[0].Text.toStdString(), "The manual site list has changed. Save it to sites.dat?");
    p.Messages();
    EXPECT_EQ(p.dir.Read("data/products.dat"), products);

    // No closes without the sites; the products are saved as always.
    MessageBoxes::setNextAnswer(MessageBoxes::Answer::No);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(p.dir.Read("data/sites.dat"), before);
    EXPECT_NE(p.dir.Read("data/products.dat").find("New Product|L|C|"), std::string::npos);
    EXPECT_EQ(p.Messages().size(), 1u);

    // A Save, to whatever file, counts as saved: the close asks nothing.
    form = p.Start();
    ListCommands::AddSite(form->ManualList(), "Saved Site", "http://127.0.0.1:9/saved");
    FileDialogs::setNextFileName(QString::fromStdString(p.dir.File("mysites.dat")));
    FindAction(form.get(), "ASaveManual")->trigger();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(MessageBoxes::shown().empty());
    EXPECT_EQ(p.dir.Read("data/sites.dat"), before);

    // Yes writes them to sites.dat.
    form = p.Start();
    ListCommands::DeleteAll(form->ManualList());
    ListCommands::AddSite(form->ManualList(), "Only Site", "http://127.0.0.1:9/only");
    MessageBoxes::setNextAnswer(MessageBoxes::Answer::Yes);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(p.dir.Read("data/sites.dat"), "Only Site|http://127.0.0.1:9/only|\r\n");
}

// A file whose folder takes no new file cannot be replaced atomically: the close-time save is
// refused with a box that names it and says why, and the window stays open with its list.
TEST(TForm1Start, AReadOnlyDataFolderRefusesTheCloseTimeSaveAndKeepsTheList)
{
    TestProgram p;
    auto form = p.Start();
    ListCommands::AddProduct(form->ProductsList(), "Zip Tool", "http://z.example/pad.xml", "Utilities");
    const std::string before = p.dir.Read("data/products.dat");
    ::chmod(p.dir.File("data").c_str(), 0555);
    {
        PermissionsBind bind;
        if (!bind.Active()) GTEST_SKIP() << "root, and the permission overrides could not be dropped";
        EXPECT_FALSE(form->close());
    }
    ::chmod(p.dir.File("data").c_str(), 0755);
    EXPECT_EQ(p.Messages(),
              std::vector<std::string>{std::string(ErrorText) + "\n\nCannot write file \"" + p.Data("products.dat") +
                                       "\": it cannot be replaced safely: its folder takes no new "
                                       "files (Permission denied)"});
    EXPECT_EQ(p.dir.Read("data/products.dat"), before);
    const std::vector<std::string> kept = Captions(form->ProductsList());
    EXPECT_NE(std::find(kept.begin(), kept.end(), "Zip Tool"), kept.end());
}

TEST(TForm1Start, RussianFromTheSettingsCaptionsEveryWindowBeforeItsFirstUse)
{
    TestProgram p;
    p.dir.Write("quillpost.ini", "[Configuration]\nLanguage=Russian\n");
    auto form = p.Start();
    EXPECT_EQ(form->CurrentLanguage(), "Russian");
    EXPECT_EQ(form->findChild<QMenu*>(QStringLiteral("MFile"))->title(), QStringLiteral("Файл"));
    EXPECT_EQ(form->FormProgress()->windowTitle(), QStringLiteral(" Ход отправки"));
    EXPECT_TRUE(FindAction(form.get(), "MLangRussian")->isChecked());
    EXPECT_FALSE(FindAction(form.get(), "MLangEnglish")->isChecked());
    // The program's name stays the window's and the message boxes' caption.
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Quillpost 1.3"));
    EXPECT_EQ(MessageBoxes::Title(), QStringLiteral("Quillpost 1.3"));
    ASSERT_TRUE(form->close());
    EXPECT_EQ(IniFile::ReadString(p.dir.File("quillpost.ini"), "Configuration", "Language", ""), "Russian");
}
