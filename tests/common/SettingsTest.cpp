#include "common/Settings.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

TEST(SettingsTest, AMissingFileGivesEveryDefault)
{
    TempDir dir;
    const Settings s(dir.File("none.ini"));
    EXPECT_EQ(s.Language(), "English");
    EXPECT_FALSE(s.Proxy() && s.Proxy()->Used());
    EXPECT_EQ(s.AuthorEmail(), "");
    EXPECT_FALSE(s.AllowHttps());
    const WindowLayout l = s.Layout({3, {{"ListViewProducts", 4}}});
    EXPECT_FALSE(l.Width || l.Page || l.Maximized);
}

// A damaged or hand-edited file: only values of the right form are used.
TEST(SettingsTest, StoredValuesAreCheckedBeforeUse)
{
    TempDir dir;
    struct Case {
        std::string allowHttps;
        bool https;
        std::string proxy;
        bool proxyUsed;
    };
    for (const Case& c : {Case{"1", true, "cache.example:8080", true}, Case{" 1 ", true, "10.0.0.1:65535", true},
                          Case{"yes", false, "host:0", false}, Case{"0", false, ":8080", false},
                          Case{"11", false, "host:80 x", false}, Case{"", false, "", false}}) {
        const Settings s(
            dir.Write("q.ini", "[Configuration]\r\nAllowHttps=" + c.allowHttps + "\r\nProxy=" + c.proxy + "\r\n"));
        EXPECT_EQ(s.AllowHttps(), c.https) << c.allowHttps;
        EXPECT_EQ(s.Proxy() && s.Proxy()->Used(), c.proxyUsed) << c.proxy;
    }
}

// Each value is read back from where it was written: a key spelt one way for reading and
// another for writing would lose the setting at the next start.
TEST(SettingsTest, EveryValueReadsBackWhatWasWritten)
{
    TempDir dir;
    const Settings s(dir.File("quillpost.ini"));
    s.SetLanguage("Russian");
    s.SetProxy(*ProxySetting::Make("cache.example", "3128"));
    s.SetAuthorEmail("me@author.example");
    s.SetAllowHttps(true);
    WindowLayout layout;
    layout.Page = 2;
    layout.Widths["ListViewAuto"] = {300, 90};
    s.SetLayout(layout);

    const Settings again(dir.File("quillpost.ini"));
    EXPECT_EQ(again.Language(), "Russian");
    ASSERT_TRUE(again.Proxy());
    EXPECT_EQ(again.Proxy()->Text(), "cache.example:3128");
    EXPECT_EQ(again.AuthorEmail(), "me@author.example");
    EXPECT_TRUE(again.AllowHttps());
    const WindowLayout read = again.Layout({3, {{"ListViewAuto", 2}}});
    EXPECT_EQ(read.Page, 2);
    EXPECT_EQ(read.Widths.at("ListViewAuto"), (std::vector<int>{300, 90}));
    s.SetAllowHttps(false);
    EXPECT_FALSE(again.AllowHttps());
}

// The file other programs and older versions read: the same keys in the same sections, each
// write changing its own line in place and keeping the user's comments and other sections.
TEST(SettingsTest, WritesKeepTheFilesKeysAndEveryOtherLine)
{
    TempDir dir;
    const Settings s(dir.Write("q.ini", "; my notes\r\n[Configuration]\r\nLanguage=English\r\nProxy=old:1\r\n"
                                        "[Mine]\r\nx=1\r\n"));
    s.SetLanguage("Russian");
    s.SetProxy(ProxySetting{});
    s.SetAllowHttps(true);
    s.SetAuthorEmail("me@author.example");
    WindowLayout layout;
    layout.Maximized = true;
    s.SetLayout(layout);
    EXPECT_EQ(dir.Read("q.ini"), "; my notes\r\n[Configuration]\r\nLanguage=Russian\r\nProxy=\r\nAllowHttps=1\r\n"
                                 "AuthorEmail=me@author.example\r\n[Mine]\r\nx=1\r\n\r\n[Window]\r\nMaximized=1\r\n");
}
