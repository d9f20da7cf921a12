// Undo and the backups as the user reaches them: the keys and the Edit menu's entries of the
// page shown, and a catalogue emptied and closed, then restored from its backup by Load.
#include "app/ui/TestProgram.h"

#include <QApplication>
#include <QTabWidget>

#include <gtest/gtest.h>

TEST(UndoThroughWindow, DeleteAllIsUndoneByKeyAndAfterARestartTheBackupBringsTheRowsBack)
{
    TestProgram p;
    auto form = p.Start();
    ListRows& list = form->ProductsList();
    const std::vector<std::string> shipped = Captions(list);
    ASSERT_FALSE(shipped.empty());
    QAction* undo = FindAction(form.get(), "AUndo");
    QAction* redo = FindAction(form.get(), "ARedo");
    EXPECT_FALSE(undo->isEnabled()); // the start's own read is not a step

    FindAction(form.get(), "ADeleteAllProduct")->trigger();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(undo->text(), QStringLiteral("Undo Delete All"));
    QTest::keyClick(form->ListViewProducts(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Captions(list), shipped);
    EXPECT_FALSE(list.Modified());
    EXPECT_EQ(redo->text(), QStringLiteral("Redo Delete All"));
    QTest::keyClick(form->ListViewProducts(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(list.Count(), 0);

    // The manual list has its own history; the Auto Submit page has none.
    auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    pages->setCurrentIndex(2);
    EXPECT_FALSE(undo->isEnabled());
    pages->setCurrentIndex(1);
    EXPECT_FALSE(undo->isEnabled());
    pages->setCurrentIndex(0);
    EXPECT_TRUE(undo->isEnabled());

    // Closed empty: the catalogue as it was is the backup, and Load of it brings it back.
    ASSERT_TRUE(form->close());
    form.reset();
    EXPECT_EQ(p.dir.Read("data/products.dat"), "");
    form = p.Start();
    EXPECT_EQ(form->ProductsList().Count(), 0);
    FileDialogs::setNextFileName(QString::fromStdString(p.Data("products.dat.bak")));
    FindAction(form.get(), "ALoadProducts")->trigger();
    EXPECT_EQ(Captions(form->ProductsList()), shipped);
    EXPECT_EQ(FindAction(form.get(), "AUndo")->text(), QStringLiteral("Undo Load"));

    // Ctrl+H, from any page, opens the history window.
    QTest::keyClick(form->ListViewProducts(), Qt::Key_H, Qt::ControlModifier);
    auto* history = form->findChild<QWidget*>(QStringLiteral("HistoryWindow"));
    ASSERT_NE(history, nullptr);
    EXPECT_TRUE(history->isVisible());
}
