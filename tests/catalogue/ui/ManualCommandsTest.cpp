// The Manual Submit page's list commands driven through the real main window. Links point
// at 127.0.0.1 so that a visit never leaves the machine.
#include "app/ui/TestProgram.h"

#include "catalogue/ui/ListRowsModel.h"
#include "manual/ui/TBrowserPanel.h"

#include <QLineEdit>
#include <QPushButton>
#include <QMenu>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

const std::string SelectFirst = "Select Item First ! ";

std::unique_ptr<TForm1> StartWithSites(TestProgram& p)
{
    p.dir.Write("data/sites.dat", "Zed|http://127.0.0.1:9/z|\r\nAce|http://127.0.0.1:9/a|Old Status|\r\n"
                                  "Mid||\r\nBee|http://127.0.0.1:9/b|\r\nKay|http://127.0.0.1:9/k|\r\n");
    auto form = p.Start();
    form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(2);
    QApplication::processEvents();
    return form;
}

void Fill(const std::string& title, const std::string& link, bool* stayedOpen = nullptr,
          std::string* seenTitle = nullptr, std::string* seenLink = nullptr)
{
    TItemDialog::setExecHook([=](TItemDialog& d) {
        if (seenTitle) *seenTitle = d.TitleText();
        if (seenLink) *seenLink = d.LinkText();
        d.EditTitle()->setText(QString::fromStdString(title));
        d.EditLink()->setText(QString::fromStdString(link));
        QTest::mouseClick(d.ButtonOk(), Qt::LeftButton);
        if (stayedOpen) *stayedOpen = d.isVisible();
    });
}

} // namespace

TEST(ManualCommands, NothingSelectedGivesTheSameMessageEverywhere)
{
    TestProgram p;
    auto form = StartWithSites(p);
    for (const char* action : {"AEditManual", "ADeleteManual", "ADeleteSelectedManual", "AVisitManual"}) {
        SCOPED_TRACE(action);
        FindAction(form.get(), action)->trigger();
        EXPECT_EQ(p.Messages(), std::vector<std::string>{SelectFirst});
    }
    QTest::keyClick(form->ListViewManual(), Qt::Key_Delete);
    EXPECT_EQ(p.Messages(), std::vector<std::string>{SelectFirst});
    EXPECT_EQ(form->ManualList().Count(), 5);
}

TEST(ManualCommands, AddAndEditValidateAndKeepTheListSorted)
{
    TestProgram p;
    auto form = StartWithSites(p);
    ListRows& list = form->ManualList();
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"Ace", "Bee", "Kay", "Mid", "Zed"}));

    bool open = false;
    std::string title, link;
    Fill("", "", &open, &title, &link);
    FindAction(form.get(), "AAddManual")->trigger();
    EXPECT_TRUE(open);
    EXPECT_EQ(link, "http://");
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Please, enter title\rPlease, enter link\r"});

    Fill("Jay", "http://127.0.0.1:9/j", &open);
    FindAction(form.get(), "AAddManual")->trigger();
    EXPECT_FALSE(open);
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"Ace", "Bee", "Jay", "Kay", "Mid", "Zed"}));
    EXPECT_EQ(list.Text(2, 2), "");

    // Edit takes the first selected row in list order.
    ClickRow(form->ListViewManual(), 4, Qt::NoModifier, 0);
    ClickRow(form->ListViewManual(), 0, Qt::ControlModifier, 0);
    Fill("Zz", "http://127.0.0.1:9/new", &open, &title, &link);
    FindAction(form.get(), "AEditManual")->trigger();
    EXPECT_EQ(title, "Ace");
    EXPECT_EQ(link, "http://127.0.0.1:9/a");
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"Bee", "Jay", "Kay", "Mid", "Zed", "Zz"}));
    EXPECT_EQ(list.Text(5, 1), "http://127.0.0.1:9/new");
    EXPECT_EQ(list.Text(5, 2), "Old Status");

    // An empty link in Edit Site names "link".
    Fill("Bee", "", &open);
    FindAction(form.get(), "AEditManual")->trigger();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Please, enter link\r"});
}

TEST(ManualCommands, DeleteRemovesTheSelectedRowsAfterOneQuestionAndAllAsksNothing)
{
    TestProgram p;
    auto form = StartWithSites(p);
    ListRows& list = form->ManualList();
    ClickRow(form->ListViewManual(), 0, Qt::NoModifier, 0);
    ClickRow(form->ListViewManual(), 2, Qt::ControlModifier, 0);
    ClickRow(form->ListViewManual(), 4, Qt::ControlModifier, 0);

    MessageBoxes::setNextAnswer(MessageBoxes::Answer::Cancel);
    QTest::keyClick(form->ListViewManual(), Qt::Key_Delete);
    EXPECT_EQ(list.Count(), 5);
    p.Messages();
    FindAction(form.get(), "ADeleteSelectedManual")->trigger();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Are you sure ?"});
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"Bee", "Mid"}));

    FindAction(form.get(), "ADeleteAllManual")->trigger();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(p.Messages().empty());
}

TEST(ManualCommands, VisitOpensTheFirstSelectedLinkInTheBrowserPanel)
{
    TestProgram p;
    auto form = StartWithSites(p);
    TListView* view = form->ListViewManual();
    ClickRow(view, 2, Qt::NoModifier, 0);
    ClickRow(view, 1, Qt::ControlModifier, 0);
    EXPECT_EQ(form->StatusPanelText(1), QStringLiteral("Bee - http://127.0.0.1:9/b"));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                       view->visualRect(view->model()->index(4, 0)).center());
    EXPECT_EQ(form->PanelBrowser()->AddressText(), "http://127.0.0.1:9/b");

    view->SelectRows({3}); // "Mid" has no link: the address box is emptied
    FindAction(form.get(), "AVisitManual")->trigger();
    EXPECT_EQ(form->PanelBrowser()->AddressText(), "");
    EXPECT_TRUE(p.Messages().empty());
}

TEST(ManualCommands, MenusColoursAndTips)
{
    TestProgram p;
    auto form = StartWithSites(p);
    auto* popup = form->findChild<QMenu*>(QStringLiteral("PopupMenuManual"));
    ASSERT_NE(popup, nullptr);
    QStringList names;
    for (QAction* a : popup->actions()) names << a->objectName();
    EXPECT_EQ(names, (QStringList{QStringLiteral("MenuItem1"), QStringLiteral("MenuItem2"), QStringLiteral("MenuItem3"),
                                  QStringLiteral("MenuItem4"), QStringLiteral("MenuItem5")}));
    EXPECT_FALSE(popup->actions().at(0)->isEnabled());
    EXPECT_EQ(popup->actions().at(1)->text(), QStringLiteral("Visit"));
    names.clear();
    for (QAction* a : form->findChild<QMenu*>(QStringLiteral("PopupMenuDeleteManual"))->actions())
        names << a->objectName();
    EXPECT_EQ(names, (QStringList{QStringLiteral("DeleteAllManual"), QStringLiteral("DeleteSelectedManual")}));

    QAbstractItemModel* m = form->ListViewManual()->model();
    EXPECT_EQ(m->index(0, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(128, 128, 0));
    EXPECT_EQ(m->index(0, 1).data(Qt::ForegroundRole).value<QColor>(), ListRowsModel::DesktopColour());
    EXPECT_EQ(m->index(0, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 128));
    EXPECT_EQ(m->index(0, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("http://127.0.0.1:9/a"));
    EXPECT_FALSE(m->index(0, 0).data(Qt::CheckStateRole).isValid());
    EXPECT_FALSE(form->ListViewAuto()->model()->index(0, 0).data(Qt::ToolTipRole).isValid());
}

TEST(ManualCommands, SaveAndLoadThroughTheFileDialogs)
{
    TestProgram p;
    auto form = StartWithSites(p);
    const std::string before = p.dir.Read("data/sites.dat");
    FileDialogs::setNextFileName(QString::fromStdString(p.dir.File("mysites")));
    FindAction(form.get(), "ASaveManual")->trigger();
    EXPECT_EQ(FileDialogs::shown().back().Preset, QStringLiteral("sites.dat"));
    EXPECT_EQ(p.dir.Read("mysites.dat"), "Ace|http://127.0.0.1:9/a|\r\nBee|http://127.0.0.1:9/b|\r\n"
                                         "Kay|http://127.0.0.1:9/k|\r\nMid||\r\nZed|http://127.0.0.1:9/z|\r\n");

    FindAction(form.get(), "ADeleteAllManual")->trigger();
    FileDialogs::setNextFileName(QString::fromStdString(p.dir.File("mysites.dat")));
    FindAction(form.get(), "ALoadManual")->trigger();
    ListRows& list = form->ManualList();
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list.Text(0, 2), ""); // the status is not stored
    EXPECT_TRUE(list.Row(0).Checked);
    ASSERT_TRUE(form->close());
    EXPECT_EQ(p.dir.Read("data/sites.dat"), before); // closing never writes the site list
}
