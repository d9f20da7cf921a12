#include "common/WindowLayout.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

const WindowLayout::Shape TheShape{3, {{"ListViewProducts", 4}, {"ListViewManual", 3}}};

} // namespace

TEST(WindowLayout, WrittenAndReadBackBesideTheFilesOtherKeys)
{
    TempDir dir;
    const std::string ini =
        dir.Write("quillpost.ini", "; kept\r\n[Configuration]\r\nLanguage=Russian\r\n[Window]\r\nWidth=300\r\n");
    WindowLayout l;
    l.Left = -1200; // a screen left of the main one
    l.Top = 40;
    l.Width = 1280;
    l.Height = 900;
    l.Maximized = true;
    l.Page = 2;
    l.Widths["ListViewProducts"] = {210, 450, 310, 90};
    l.Split = {300, 900};
    l.Write(ini);

    const WindowLayout r = WindowLayout::Read(ini, TheShape);
    EXPECT_EQ(r.Left, -1200);
    EXPECT_EQ(r.Top, 40);
    EXPECT_EQ(r.Width, 1280);
    EXPECT_EQ(r.Height, 900);
    EXPECT_EQ(r.Maximized, true);
    EXPECT_EQ(r.Page, 2);
    EXPECT_EQ(r.Widths, (std::map<std::string, std::vector<int>>{{"ListViewProducts", {210, 450, 310, 90}}}));
    EXPECT_EQ(r.Split, (std::vector<int>{300, 900}));
    const std::string text = dir.Read("quillpost.ini");
    EXPECT_EQ(text.rfind("; kept\r\n[Configuration]\r\nLanguage=Russian\r\n[Window]\r\nWidth=1280\r\n", 0), 0u) << text;
}

TEST(WindowLayout, EachBadValueIsIgnoredOnItsOwn)
{
    TempDir dir;
    const std::string ini = dir.Write("quillpost.ini", "[Window]\n"
                                                       "Left=12px\nTop=-5\nWidth=99999\nHeight=-480\n"
                                                       "Maximized=yes\nPage=3\n"
                                                       "ListViewProductsWidths=200,440,300\n" // one short
                                                       "ListViewManualWidths=200,5,100\n"     // 5: too narrow to see
                                                       "Splitter1=0,0\n");
    const WindowLayout r = WindowLayout::Read(ini, TheShape);
    EXPECT_FALSE(r.Left);
    EXPECT_EQ(r.Top, -5); // a place above the screen is a place; whether it shows is asked apart
    EXPECT_FALSE(r.Width);
    EXPECT_FALSE(r.Height);
    EXPECT_FALSE(r.Maximized);
    EXPECT_FALSE(r.Page);
    EXPECT_TRUE(r.Widths.empty());
    EXPECT_TRUE(r.Split.empty());

    EXPECT_FALSE(WindowLayout::Read(dir.File("missing.ini"), TheShape).Width);
}

TEST(WindowLayout, APlaceShowsOnlyWhereItsTopCanBeGrabbedOnAScreen)
{
    const std::vector<WindowLayout::Rect> screens{{0, 0, 1920, 1080}, {1920, 200, 1280, 1024}};
    auto at = [&screens](int left, int top) {
        WindowLayout l;
        l.Left = left;
        l.Top = top;
        l.Width = 600;
        return l.PlaceShowsOn(screens);
    };
    EXPECT_TRUE(at(100, 100));
    EXPECT_TRUE(at(-500, 100));  // mostly off to the left, its right end still there
    EXPECT_FALSE(at(-580, 100)); // 20 pixels left to grab
    // A band 40 pixels wide and high is enough to grab; a pixel less is not.
    EXPECT_TRUE(at(-560, 100));
    EXPECT_FALSE(at(-561, 100));
    EXPECT_TRUE(at(100, 1040));
    EXPECT_FALSE(at(100, 1041));
    EXPECT_TRUE(at(2500, 900));  // on the second screen
    EXPECT_FALSE(at(2500, 100)); // beside the first screen, above the second
    EXPECT_FALSE(at(100, 1060)); // below the bottom
    EXPECT_FALSE(at(5000, 5000));
    EXPECT_FALSE(WindowLayout().PlaceShowsOn(screens));
}

TEST(WindowLayout, FittedShrinksToItsScreenMovesOnlyWhatHangsOffAndCentresWhatShowsNowhere)
{
    using R = WindowLayout::Rect;
    const std::vector<R> one{{0, 0, 1366, 870}}; // a panel below
    const std::vector<R> two{{0, 0, 1920, 1050}, {1920, 200, 1280, 1024}};
    const WindowLayout::Margins none{}, frame{4, 30, 4, 4};
    struct Case {
        const char* what;
        std::vector<R> screens;
        WindowLayout::Margins frame;
        std::optional<int> left, top, width, height;
        R expected;
    };
    const std::vector<Case> cases = {
        {"left alone", one, frame, 100, 50, 800, 600, {100, 50, 800, 600}},
        {"larger than the screen", one, none, 20, 10, 1950, 1050, {0, 0, 1366, 870}},
        {"larger, with the frame", one, frame, 20, 10, 1300, 1000, {20, 0, 1300, 836}},
        {"bottom off", one, none, 100, 500, 800, 600, {100, 270, 800, 600}},
        {"bottom off, the screen listed twice", {one[0], one[0]}, none, 100, 500, 800, 600, {100, 270, 800, 600}},
        {"mostly off to the left", one, none, -700, 100, 800, 600, {0, 100, 800, 600}},
        {"above the screen", one, frame, 100, -20, 800, 600, {100, 0, 800, 600}},
        {"off every screen", one, none, 5000, 5000, 800, 600, {283, 135, 800, 600}},
        {"off, and larger", one, frame, -3000, 40, 2000, 900, {0, 0, 1358, 836}},
        {"no place: the primary", two, none, {}, {}, 800, 600, {560, 225, 800, 600}},
        {"no size: the window's own", one, none, 100, 50, {}, {}, {100, 50, 640, 480}},
        {"across two screens", two, none, 1700, 300, 600, 400, {1700, 300, 600, 400}},
        {"too large for the second", two, none, 2000, 300, 1600, 1200, {1920, 200, 1280, 1024}},
        {"mostly on the second", two, none, 1800, 100, 600, 400, {1920, 200, 600, 400}},
        {"nearest: right of the second", two, none, 9000, 300, 600, 400, {2260, 512, 600, 400}},
        {"no screens known", {}, none, 5000, 5000, 800, 600, {5000, 5000, 800, 600}},
    };
    for (const Case& c : cases) {
        WindowLayout l;
        l.Left = c.left;
        l.Top = c.top;
        l.Width = c.width;
        l.Height = c.height;
        const R got = l.Fitted(c.screens, c.frame, 640, 480);
        EXPECT_EQ((std::vector<int>{got.X, got.Y, got.Width, got.Height}),
                  (std::vector<int>{c.expected.X, c.expected.Y, c.expected.Width, c.expected.Height}))
            << c.what;
    }
}
