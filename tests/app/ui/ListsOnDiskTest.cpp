// What another program, Ctrl+Q or a crash does to the lists the window holds: files written by
// someone else while the window is open, and changes that were never saved.
#include "app/ui/TestProgram.h"
#include "submit/OwnSites.h"
#include "submit/ui/TFormAutoSite.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

TEST(ListsOnDisk, ASiteImportedWhileTheWindowIsOpenIsShownAndNeverWrittenOver)
{
    const SiteTable NoSites;
    TestProgram p;
    auto form = p.Start(&NoSites);
    const std::string path = p.Data(OwnSites::FileName);
    // The command line's import, while the window is open.
    OwnSites import(NoSites);
    import.Load(path);
    ASSERT_EQ(import.Add(SiteRecord{"Imported", "http://imported.example/add.php", "GET", "u", "c", "", "ok"}), "");
    import.Save(path);
    // The window adds a site of its own at once, before it hears of the file.
    TFormAutoSite::setExecHook([](TFormAutoSite& f) {
        f.EditTitle()->setText(QStringLiteral("Mine"));
        f.EditScript()->setText(QStringLiteral("http://mine.example/add.php"));
        QTest::mouseClick(f.ButtonOk(), Qt::LeftButton);
    });
    FindAction(form.get(), "AAddSiteAuto")->trigger();
    TFormAutoSite::setExecHook(nullptr);
    EXPECT_EQ(Captions(form->AutoList()), (std::vector<std::string>{"Imported", "Mine"}));
    EXPECT_NE(p.dir.Read("data/autosites.dat").find("Imported|"), std::string::npos);
    EXPECT_EQ(form->StatusPanelText(1),
              QStringLiteral("autosites.dat was changed by another program; sites of it kept beside yours: 1."));

    // A second import is read in by the watch alone.
    import.Load(path);
    ASSERT_EQ(import.Add(SiteRecord{"Later", "http://later.example/add.php", "GET", "u", "c", "", "ok"}), "");
    import.Save(path);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->AutoList().Count() == 3; }, 5000));
}

TEST(ListsOnDisk, AProductsFileRewrittenOutsideIsReadAgainWhileTheListHasNoChange)
{
    TestProgram p;
    auto form = p.Start();
    p.dir.Write("data/products.dat", "Other|http://other.example/pad.xml|Utilities|\r\n");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Captions(form->ProductsList()) == std::vector<std::string>{"Other"}; }, 5000));
    EXPECT_EQ(FindAction(form.get(), "AUndo")->text(), QStringLiteral("Undo Reload"));
}

TEST(ListsOnDisk, ChangesLeftByCtrlQAreOfferedAtTheNextStartAndRestoredAsOneStep)
{
    TestProgram p;
    auto form = p.Start();
    const std::vector<std::string> rows = Captions(form->ProductsList());
    FindAction(form.get(), "ADeleteAllProduct")->trigger();
    QTest::keyClick(form.get(), Qt::Key_Q, Qt::ControlModifier);
    ASSERT_EQ(p.exits, 1);
    form.reset(); // the loop has ended: the window goes without its close
    EXPECT_EQ(p.dir.Read("data/products.dat.recovery"), "");

    form = p.Start();
    EXPECT_EQ(Captions(form->ProductsList()), rows); // nothing restored unasked
    QAction* restore = FindAction(form.get(), "ARestoreUnsaved");
    ASSERT_TRUE(restore->isEnabled());
    EXPECT_TRUE(FindAction(form.get(), "MRestoreUnsaved")->isEnabled());
    EXPECT_EQ(form->StatusPanelText(1),
              QStringLiteral("Unsaved changes of products.dat kept: File > Restore Unsaved Changes"));
    if (qEnvironmentVariableIsSet("QP_SCREENSHOT")) form->grab().save(qEnvironmentVariable("QP_SCREENSHOT"));
    restore->trigger();
    EXPECT_EQ(form->ProductsList().Count(), 0);
    EXPECT_FALSE(restore->isEnabled());
    FindAction(form.get(), "AUndo")->trigger();
    EXPECT_EQ(Captions(form->ProductsList()), rows);
}
