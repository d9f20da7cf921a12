#include "app/StatusPanels.h"

#include "catalogue/ListRows.h"

#include <gtest/gtest.h>

namespace {

struct Lists {
    ListRows products{4, true};
    ListRows sites{2, false};
    StatusPanels panels;
    Lists()
    {
        panels.AddPage(products, [this](int row) { return products.Text(row, 1); });
        panels.AddPage(sites, [](int row) { return "script" + std::to_string(row); });
        for (const char* title : {"Beta", "Alpha"}) {
            const int row = products.Add(title);
            products.SetText(row, 1, std::string("http://") + title);
        }
        sites.Add("Site A");
        sites.Add("Site B");
        panels.ShowPage(0);
    }
};

} // namespace

TEST(StatusPanels, TheNamedRowIsRenamedWithItsRowAndGoesWithIt)
{
    Lists l;
    l.products.SetSelected(1, true);
    l.panels.RowSelected(0, 1);
    EXPECT_EQ(l.panels.Row().English(), "Beta - http://Beta");
    // Renamed to the top: sorting moves it, the panel follows the row, not the index.
    l.products.SetCaption(1, "Aardvark");
    l.products.SetText(0, 1, "http://new");
    l.panels.ListChanged(0);
    EXPECT_EQ(l.panels.Row().English(), "Aardvark - http://new");
    // Another row deleted: still named.
    l.products.Delete(1);
    l.panels.ListChanged(0);
    EXPECT_EQ(l.panels.Row().English(), "Aardvark - http://new");
    l.products.Delete(0);
    l.panels.ListChanged(0);
    EXPECT_EQ(l.panels.Row().English(), "");
    EXPECT_EQ(l.panels.Total(), " Total: 0");
}

TEST(StatusPanels, TheSecondPanelNamesOnlyARowOfThePageShown)
{
    Lists l;
    l.panels.ShowPage(1);
    l.sites.SetSelected(1, true);
    l.panels.RowSelected(1, 1);
    EXPECT_EQ(l.panels.Row().English(), "Site B - script1");
    l.panels.RowSelected(0, 0); // a row of a page not shown
    EXPECT_EQ(l.panels.Row().English(), "Site B - script1");
    l.panels.ShowPage(0); // nothing selected there
    EXPECT_EQ(l.panels.Row().English(), "");
    l.products.SetSelected(0, true);
    l.panels.ShowPage(1); // back: its selected row again
    EXPECT_EQ(l.panels.Row().English(), "Site B - script1");
    l.panels.ShowPage(0);
    EXPECT_EQ(l.panels.Row().English(), "Alpha - http://Alpha");

    // A run's message names no row: a page without a selection leaves it, a change of a list too.
    l.products.SetSelected(0, false);
    l.panels.ShowMessage(Phrase("Finished. Success: %1 Failed: %2", {Phrase::Text("1"), Phrase::Text("0")}));
    l.products.Delete(0);
    l.panels.ListChanged(0);
    l.sites.SetSelected(1, false);
    l.panels.ShowPage(1);
    EXPECT_EQ(l.panels.Row().English(), "Finished. Success: 1 Failed: 0");
}
