// The Manual Submit page's list commands driven through the real main window. Links point
// at 127.0.0.1 so that a visit never leaves the machine.
#include "app/ui/TestProgram.h"

#include "manual/ui/TBrowserPanel.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
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

// What the item dialog showed when it opened, and whether OK left it open.
struct Seen {
    std::string title, link;
    bool stayedOpen = false;
} seen;

void Fill(const std::string& title, const std::string& link)
{
    TItemDialog::setExecHook([=](TItemDialog& d) {
        seen = {d.TitleText(), d.LinkText(), false};
        d.EditTitle()->setText(QString::fromStdString(title));
        d.EditLink()->setText(QString::fromStdString(link));
        QTest::mouseClick(d.ButtonOk(), Qt::LeftButton);
        seen.stayedOpen = d.isVisible();
    });
}

} // namespace

TEST(ManualCommands, AddAndEditValidateAndKeepTheListSorted)
{
    TestProgram p;
    auto form = StartWithSites(p);
    ListRows& list = form->ManualList();
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"Ace", "Bee", "Kay", "Mid", "Zed"}));

    Fill("", "");
    FindAction(form.get(), "AAddManual")->trigger();
    EXPECT_TRUE(seen.stayedOpen);
    EXPECT_EQ(seen.link, "http://");
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Please, enter title\rPlease, enter link\r"});

    Fill("Jay", "http://127.0.0.1:9/j");
    FindAction(form.get(), "AAddManual")->trigger();
    EXPECT_FALSE(seen.stayedOpen);
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"Ace", "Bee", "Jay", "Kay", "Mid", "Zed"}));
    EXPECT_EQ(list.Text(2, 2), "");

    // Edit takes the first selected row in list order.
    ClickRow(form->ListViewManual(), 4, Qt::NoModifier, 0);
    ClickRow(form->ListViewManual(), 0, Qt::ControlModifier, 0);
    Fill("Zz", "http://127.0.0.1:9/new");
    FindAction(form.get(), "AEditManual")->trigger();
    EXPECT_EQ(seen.title, "Ace");
    EXPECT_EQ(seen.link, "http://127.0.0.1:9/a");
    EXPECT_EQ(Captions(list), (std::vector<std::string>{"Bee", "Jay", "Kay", "Mid", "Zed", "Zz"}));
    EXPECT_EQ(list.Text(5, 1), "http://127.0.0.1:9/new");
    EXPECT_EQ(list.Text(5, 2), "Old Status");

    // An empty link in Edit Site names "link".
    Fill("Bee", "");
    FindAction(form.get(), "AEditManual")->trigger();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Please, enter link\r"});
}

TEST(ManualCommands, DeleteNeedsASelectionAsksOnceAndAllAsksNothing)
{
    TestProgram p;
    auto form = StartWithSites(p);
    ListRows& list = form->ManualList();
    // Nothing selected: the same message from every command that needs a row.
    for (const char* action : {"AEditManual", "ADeleteManual", "ADeleteSelectedManual", "AVisitManual"}) {
        FindAction(form.get(), action)->trigger();
        EXPECT_EQ(p.Messages(), std::vector<std::string>{SelectFirst}) << action;
    }
    QTest::keyClick(form->ListViewManual(), Qt::Key_Delete);
    EXPECT_EQ(p.Messages(), std::vector<std::string>{SelectFirst});
    EXPECT_EQ(list.Count(), 5);

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

TEST(ManualCommands, MenusStatusColourAndTips)
{
    TestProgram p;
    auto form = StartWithSites(p);
    auto names = [&](const char* menu) {
        QStringList out;
        for (QAction* a : form->findChild<QMenu*>(QString::fromLatin1(menu))->actions()) out << a->objectName();
        return out;
    };
    EXPECT_EQ(names("PopupMenuManual"),
              (QStringList{QStringLiteral("MenuItem1"), QStringLiteral("MenuItem2"), QStringLiteral("MenuItem3"),
                           QStringLiteral("MenuItem4"), QStringLiteral("MenuItem5")}));
    const QList<QAction*> popup = form->findChild<QMenu*>(QStringLiteral("PopupMenuManual"))->actions();
    EXPECT_FALSE(popup.at(0)->isEnabled());
    EXPECT_EQ(popup.at(1)->text(), QStringLiteral("Visit"));
    EXPECT_EQ(names("PopupMenuDeleteManual"),
              (QStringList{QStringLiteral("DeleteAllManual"), QStringLiteral("DeleteSelectedManual")}));

    QAbstractItemModel* m = form->ListViewManual()->model();
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
