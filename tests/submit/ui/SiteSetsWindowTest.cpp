// Submit > Site Sets in the real main window: save the checked sites, apply a set, delete it,
// with data/sitesets.dat shared with the command line.
#include "app/ui/TestProgram.h"
#include "submit/SiteTable.h"
#include "submit/ui/SiteSetCommands.h"
#include "submit/ui/TFormSiteSet.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {

struct Hook {
    ~Hook() { TFormSiteSet::setExecHook(nullptr); }
};

std::vector<bool> Checks(ListRows& list)
{
    std::vector<bool> on;
    for (int row = 0; row < list.Count(); ++row) on.push_back(list.Row(row).Checked);
    return on;
}

} // namespace

TEST(SiteSetsWindow, TheCheckedSitesAreSavedAppliedAndDeletedThroughTheMenu)
{
    Hook hook;
    const auto site = [](const char* title) {
        return SiteRecord{title, "http://s.example/a.php", "GET", "padurl", "", "", "ok"};
    };
    const SiteTable table({site("One"), site("Two & Co"), site("Three")});
    TestProgram p;
    auto form = p.Start(&table);
    ListRows& sites = form->AutoList();

    // Nothing checked: nothing to save, and the dialog does not open.
    sites.SetAllChecked(false);
    int opened = 0;
    TFormSiteSet::setExecHook([&](TFormSiteSet&) { ++opened; });
    FindAction(form.get(), "ASaveSiteSet")->trigger();
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(p.Messages().size(), 1u);

    // A name that cannot be kept leaves the dialog open; a good one saves the checked sites.
    sites.SetChecked(1, true);
    sites.SetChecked(2, true);
    TFormSiteSet::setExecHook([&](TFormSiteSet& f) {
        f.ComboBoxName()->setEditText(QStringLiteral("a|b"));
        QTest::mouseClick(f.ButtonOk(), Qt::LeftButton);
        EXPECT_TRUE(f.isVisible());
        f.ComboBoxName()->setEditText(QStringLiteral("Weekly"));
        QTest::mouseClick(f.ButtonOk(), Qt::LeftButton);
    });
    FindAction(form.get(), "ASaveSiteSet")->trigger();
    EXPECT_EQ(p.dir.Read("data/sitesets.dat"), "Weekly|Two & Co|\r\nWeekly|Three|\r\n");

    // The command line's set shows in the menu when it opens; an entry applies its set.
    p.dir.Write("data/sitesets.dat", p.dir.Read("data/sitesets.dat") + "Solo|One|\r\nSolo|Gone|\r\n");
    auto* menu = form->findChild<QMenu*>(QStringLiteral("MSiteSets"));
    ASSERT_NE(menu, nullptr);
    emit menu->aboutToShow();
    QStringList entries;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) entries << a->text();
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries.mid(2), (QStringList{QStringLiteral("Solo"), QStringLiteral("Weekly")}));
    sites.SetAllChecked(true);
    menu->actions().last()->trigger();
    EXPECT_EQ(Checks(sites), (std::vector<bool>{false, true, true}));
    // A site the set names that is gone is told; the others are checked.
    menu->actions()[menu->actions().size() - 2]->trigger();
    EXPECT_EQ(Checks(sites), (std::vector<bool>{true, false, false}));
    EXPECT_NE(form->StatusPanelText(1).indexOf(QStringLiteral("\"Gone\"")), -1)
        << form->StatusPanelText(1).toStdString();

    TFormSiteSet::setExecHook([&](TFormSiteSet& f) {
        f.ComboBoxName()->setCurrentText(QStringLiteral("Solo"));
        QTest::mouseClick(f.ButtonOk(), Qt::LeftButton);
    });
    FindAction(form.get(), "ADeleteSiteSet")->trigger();
    EXPECT_EQ(p.dir.Read("data/sitesets.dat"), "Weekly|Two & Co|\r\nWeekly|Three|\r\n");
}
