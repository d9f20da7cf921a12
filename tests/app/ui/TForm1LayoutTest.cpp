// The main window comes back as the user left it; a broken [Window] section changes nothing.
#include "app/ui/TestProgram.h"

#include <QHeaderView>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

struct Seen {
    QSize size;
    QPoint place;
    std::vector<int> productWidths, manualWidths;
    int page = -1;
    QString total;
};

std::vector<int> Widths(const TListView* view)
{
    std::vector<int> out;
    for (int i = 0; i < view->header()->count(); ++i) out.push_back(view->header()->sectionSize(i));
    return out;
}

Seen Look(TForm1& form)
{
    return {form.size(),
            form.pos(),
            Widths(form.ListViewProducts()),
            Widths(form.ListViewManual()),
            form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->currentIndex(),
            form.StatusPanelText(0)};
}

QSplitter* Splitter(TForm1& form)
{
    return form.findChild<QSplitter*>(QStringLiteral("Splitter1"));
}

} // namespace

TEST(TForm1Layout, SizePlaceWidthsSplitAndPageComeBackAfterARestart)
{
    TestProgram p;
    int listPanel = 0;
    {
        auto form = p.Start();
        form->resize(760, 520);
        form->move(30, 40);
        form->ListViewProducts()->header()->resizeSection(1, 333);
        form->ListViewManual()->header()->resizeSection(0, 150);
        form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(2);
        QApplication::processEvents();
        Splitter(*form)->setSizes({300, 400});
        QApplication::processEvents();
        listPanel = Splitter(*form)->sizes()[0];
        ASSERT_TRUE(form->close());
    }
    EXPECT_NE(p.dir.Read("quillpost.ini").find("Language=English"), std::string::npos);

    auto form = p.Start();
    const Seen seen = Look(*form);
    EXPECT_EQ(seen.size, QSize(760, 520));
    EXPECT_EQ(seen.place, QPoint(30, 40));
    EXPECT_EQ(seen.productWidths[1], 333);
    EXPECT_EQ(seen.manualWidths[0], 150);
    EXPECT_EQ(seen.page, 2);
    EXPECT_EQ(seen.total, QStringLiteral(" Total: 3")); // the manual list's
    EXPECT_EQ(Splitter(*form)->sizes()[0], listPanel);
    EXPECT_TRUE(p.Messages().empty());

    // A run that never shows the Manual Submit page keeps the split (its splitter was never
    // laid out, so its sizes are only hints).
    form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    ASSERT_TRUE(form->close());
    p.dir.Write("quillpost.ini", [&] {
        std::string ini = p.dir.Read("quillpost.ini");
        return ini.replace(ini.find("Page=0"), 6, "Page=1");
    }());
    form = p.Start();
    ASSERT_TRUE(form->close());
    form = p.Start();
    form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(2);
    QApplication::processEvents();
    EXPECT_EQ(Splitter(*form)->sizes()[0], listPanel);

    // Maximised, it comes back maximised, and keeps the size to return to.
    form->showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(form->close());
    form = p.Start();
    EXPECT_TRUE(form->isMaximized());
    form->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(form->size(), QSize(760, 520));
}

TEST(TForm1Layout, ABrokenOrOffScreenLayoutStartsAsTheFirstStartDid)
{
    TestProgram p;
    Seen first;
    {
        auto form = p.Start();
        first = Look(*form);
    }
    p.dir.Write("quillpost.ini", "[Window]\nLeft=-40000\nTop=20\nWidth=abc\nHeight=0\nPage=7\n"
                                 "ListViewProductsWidths=1,2\nListViewManualWidths=-5,100,100\nSplitter1=x\n");
    {
        auto form = p.Start();
        const Seen seen = Look(*form);
        EXPECT_EQ(seen.size, first.size);
        EXPECT_EQ(seen.place, first.place);
        EXPECT_EQ(seen.productWidths, first.productWidths);
        EXPECT_EQ(seen.manualWidths, first.manualWidths);
        EXPECT_EQ(seen.page, 0);
        EXPECT_TRUE(p.Messages().empty());
    }
    // A sane place that lies off every screen is not used; a sane key beside it is.
    p.dir.Write("quillpost.ini", "[Window]\nLeft=30000\nTop=30000\nHeight=300\n");
    auto form = p.Start();
    EXPECT_EQ(form->height(), 300);
    EXPECT_TRUE(form->screen()->geometry().contains(form->frameGeometry().topLeft()));
}
