// Finding captions by language key on a small window of its own, apart from the main window.
#include "lang/ui/CaptionTable.h"
#include "support/TempDir.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

// A main window with a page, a label, an action, a menu and a two-column list, and a
// secondary window whose label shares its name with nothing in the main window.
struct Window {
    Window()
    {
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("TabSheetAuto"));
        pages->addTab(page, QStringLiteral("Auto Submit"));
        speed->setObjectName(QStringLiteral("LabelSpeed"));
        action->setObjectName(QStringLiteral("ACheckAuto"));
        menu->setObjectName(QStringLiteral("MFile"));
        model.setHorizontalHeaderLabels({QStringLiteral("Title"), QStringLiteral("Status")});
        list->setModel(&model);
        list->setObjectName(QStringLiteral("ListViewAuto"));
        progress->setObjectName(QStringLiteral("FormProgress"));
        progress->setWindowTitle(QStringLiteral("Progress"));
        site->setObjectName(QStringLiteral("LabelSite"));
    }

    QWidget main;
    QTabWidget* pages = new QTabWidget(&main);
    QLabel* speed = new QLabel(QStringLiteral("Speed:"), &main);
    QAction* action = new QAction(QStringLiteral("Check All"), &main);
    QMenu* menu = new QMenu(QStringLiteral("File"), &main);
    QStandardItemModel model;
    QTreeView* list = new QTreeView(&main);
    QDialog* progress = new QDialog(&main);
    QLabel* site = new QLabel(QStringLiteral("Site:"), progress);
    CaptionTable table{&main, pages};
};

std::string Text(const std::optional<QString>& caption)
{
    return caption ? caption->toStdString() : "(none)";
}

} // namespace

TEST(CaptionTable, FindsEachKindOfControlByItsKey)
{
    Window w;
    EXPECT_EQ(Text(w.table.Caption("TabSheetAuto->Caption")), "Auto Submit");
    EXPECT_EQ(Text(w.table.Caption("LabelSpeed->Caption")), "Speed:");
    EXPECT_EQ(Text(w.table.Caption("ACheckAuto->Caption")), "Check All");
    EXPECT_EQ(Text(w.table.Caption("MFile->Caption")), "File");
    EXPECT_EQ(Text(w.table.Caption("FormProgress->Caption")), "Progress");
    EXPECT_EQ(Text(w.table.Caption("FormProgress->LabelSite->Caption")), "Site:");
    EXPECT_EQ(Text(w.table.Caption("ListViewAuto->Column[1]->Caption")), "Status");
}

TEST(CaptionTable, KeysThatNameNoCaptionFindNothing)
{
    Window w;
    for (const char* key :
         {"LabelSite->Caption", // a secondary window's control needs its window's name
          "LabelSpeed->LabelSite->Caption", "FormProgress->LabelSpeed->Caption", "ListViewAuto->Column[2]->Caption",
          "ListViewAuto->Column[-1]->Caption", "ListViewAuto->Column[x]->Caption", "LabelSpeed->Column[0]->Caption",
          "LabelSpeed", "LabelSpeed->Hint", "Nothing->Caption", "->Caption", "FormProgress->->Caption", ""})
        EXPECT_EQ(Text(w.table.Caption(key)), "(none)") << key;
}

TEST(CaptionTable, ApplySetsWhatTheFileNamesAndKeepsTheRest)
{
    Window w;
    TempDir dir;
    w.table.Apply(dir.Write("Test.ini", "[Interface]\r\nTabSheetAuto->Caption=Auto\r\nLabelSpeed->Caption=\r\n"
                                        "FormProgress->LabelSite->Caption=Host:\r\n"
                                        "ListViewAuto->Column[1]->Caption=State\r\n"));
    EXPECT_EQ(w.pages->tabText(0).toStdString(), "Auto");
    EXPECT_EQ(w.speed->text().toStdString(), "");
    EXPECT_EQ(w.site->text().toStdString(), "Host:");
    EXPECT_EQ(w.model.headerData(1, Qt::Horizontal).toString().toStdString(), "State");
    EXPECT_EQ(w.menu->title().toStdString(), "File"); // not named in the file
    EXPECT_EQ(w.model.headerData(0, Qt::Horizontal).toString().toStdString(), "Title");

    w.table.Apply(dir.File("missing.ini")); // no file: every caption stays
    EXPECT_EQ(w.pages->tabText(0).toStdString(), "Auto");
    EXPECT_EQ(w.site->text().toStdString(), "Host:");
}
