#include "submit/OwnSites.h"

#include "common/FileReplace.h"
#include "submit/SubmissionQuery.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

SiteRecord Own(const std::string& title, const std::string& url = "http://own.example/add.php")
{
    return SiteRecord{title, url, "GET", "padurl", "padcat", "", "successfully"};
}

TEST(OwnSitesTest, FileRoundTripKeepsBrokenLinesAtTheEndUntouched)
{
    TempDir dir;
    // CR, LF and CR LF line ends; a line with six fields, one with a bad method, one whose title
    // is a built-in site's, one repeating an earlier title, and a blank line.
    const std::string path = dir.Write(OwnSites::FileName, "Zeta Files|http://zeta.example/a.php|POST|u|c|mail|ok|\r"
                                                           "only|six|fields|here|x|y|\n"
                                                           "alpha soft|http://alpha.example/|GET|u|c||done|\r\n"
                                                           "\r\n"
                                                           "Bad Method|http://b.example/|PUT|u|c||ok|\n"
                                                           "Acorn Software Shelf|http://c.example/|GET|u|c||ok|\n"
                                                           "Zeta Files|http://zeta2.example/|GET|u|c||ok|");
    OwnSites own;
    own.Load(path);
    ASSERT_EQ(own.Sites().size(), 2u);
    EXPECT_EQ(own.Sites()[0].Title, "alpha soft"); // title order, not file order, not byte order
    EXPECT_EQ(own.Sites()[1].Title, "Zeta Files");
    EXPECT_EQ(own.Sites()[1].EmailField, "mail");
    EXPECT_TRUE(own.Sites()[1].Own);

    ASSERT_EQ(own.Skipped().size(), 4u);
    EXPECT_EQ(own.Skipped()[0].Line, 2);
    EXPECT_EQ(own.Skipped()[1].Line, 5);
    EXPECT_EQ(own.Skipped()[2].Line, 6);
    EXPECT_EQ(own.Skipped()[3].Line, 7);
    const std::string message = own.SkippedMessage(path);
    EXPECT_NE(message.find("line 5: The method must be GET or POST."), std::string::npos) << message;
    EXPECT_NE(message.find("line 6: A site titled \"Acorn Software Shelf\" already exists."), std::string::npos);

    // Loading alone writes nothing.
    EXPECT_EQ(dir.Read(OwnSites::FileName).substr(0, 10), "Zeta Files");

    ASSERT_EQ(own.Add(Own("Middle")), "");
    own.Save(path);
    EXPECT_EQ(dir.Read(OwnSites::FileName), "alpha soft|http://alpha.example/|GET|u|c||done|\r\n"
                                            "Middle|http://own.example/add.php|GET|padurl|padcat||successfully|\r\n"
                                            "Zeta Files|http://zeta.example/a.php|POST|u|c|mail|ok|\r\n"
                                            "only|six|fields|here|x|y|\r\n"
                                            "Bad Method|http://b.example/|PUT|u|c||ok|\r\n"
                                            "Acorn Software Shelf|http://c.example/|GET|u|c||ok|\r\n"
                                            "Zeta Files|http://zeta2.example/|GET|u|c||ok|\r\n");

    OwnSites again;
    again.Load(path);
    EXPECT_EQ(again.Format(), own.Format());
}

TEST(OwnSitesTest, MissingFileIsEmptyAndAFileNotReadWholeIsNeverWrittenOver)
{
    TempDir dir;
    OwnSites own;
    own.Load(dir.File(OwnSites::FileName));
    EXPECT_TRUE(own.Sites().empty());

    const std::string withNul = std::string("First|http://a.example/|GET|u|c||ok|\r\nSec\0ond|", 46);
    const std::string path = dir.Write(OwnSites::FileName, withNul);
    EXPECT_THROW(own.Load(path), FileError);
    ASSERT_EQ(own.Sites().size(), 1u); // the sites before the NUL byte are there
    ASSERT_EQ(own.Add(Own("Another")), "");
    EXPECT_THROW(own.Save(path), FileError);
    EXPECT_EQ(dir.Read(OwnSites::FileName), withNul);

    dir.Write(OwnSites::FileName, std::string("\xFF\xFE"
                                              "A\0|\0",
                                              6));
    EXPECT_THROW(own.Load(path), FileError);
    EXPECT_TRUE(own.Sites().empty());
    EXPECT_THROW(own.Save(path), FileError);

    // A first title whose bytes look like a UTF-16 mark must not make the saved file unreadable.
    OwnSites marked;
    ASSERT_EQ(marked.Add(Own("\xFF\xFEtitle")), "");
    marked.Save(dir.File("marked.dat"));
    marked.Load(dir.File("marked.dat"));
    EXPECT_EQ(marked.Sites().size(), 1u);
}

TEST(OwnSitesTest, RefusesWhatCannotBeSentOrStored)
{
    OwnSites own;
    ASSERT_EQ(own.Add(Own("Mine")), "");
    auto refusal = [&](SiteRecord s) { return own.Check(s); };
    SiteRecord s = Own("Other");
    EXPECT_EQ(refusal(s), "");

    EXPECT_NE(refusal(Own("")), "");
    EXPECT_NE(refusal(Own("a|b")), "");
    EXPECT_NE(refusal(Own("tab\there")), "");
    EXPECT_NE(refusal(Own("Mine")), "");                    // an own title
    EXPECT_NE(refusal(Own("Zephyr Software")), "");         // a built-in title
    EXPECT_NE(refusal(Own("x", "")), "");                   // no address
    EXPECT_NE(refusal(Own("x", "ftp://a.example/")), "");   // not http
    EXPECT_EQ(refusal(Own("x", "https://a.example/")), ""); // sent only when https sites are allowed
    EXPECT_NE(refusal(Own("x", "https://")), "");           // no host
    EXPECT_NE(refusal(Own("x", "http://")), "");            // no host
    EXPECT_NE(refusal(Own("x", "http:///path")), "");
    EXPECT_NE(refusal(Own("x", "http://a.example/a b")), "");
    EXPECT_NE(refusal(Own("x", "http://a.example/\r\nX")), "");
    EXPECT_EQ(refusal(Own("x", "HTTP://a.example:8080/add.php")), "");

    for (const char* method : {"get", "PUT", "", "POST "}) {
        s = Own("x");
        s.Method = method;
        EXPECT_NE(refusal(s), "") << method;
    }
    for (std::string SiteRecord::*field :
         {&SiteRecord::LinkField, &SiteRecord::CategoryField, &SiteRecord::EmailField, &SiteRecord::SuccessMarker}) {
        for (const char* bad : {"a|b", "a&b", "a=b", "a\nb", "a\x7f"}) {
            s = Own("x");
            s.*field = bad;
            EXPECT_NE(refusal(s), "") << bad;
        }
    }
    s = Own("x");
    s.LinkField.clear();
    EXPECT_NE(refusal(s), "");
    s = Own("x");
    s.SuccessMarker.clear();
    EXPECT_NE(refusal(s), "");

    // Editing a site may keep its own title, not take another's.
    ASSERT_EQ(own.Add(Own("Second")), "");
    EXPECT_EQ(own.Replace(0, Own("Mine", "http://new.example/")), "");
    EXPECT_NE(own.Replace(0, Own("Second")), "");
    EXPECT_EQ(own.Sites()[0].ScriptUrl, "http://new.example/");
}

// The author's address goes into submissions: it must have a name and a domain, and nothing a
// query or the settings file would break on.
TEST(OwnSitesTest, AnAuthorAddressNeedsANameAndADomain)
{
    for (const char* good : {"", "me@author.example", "a@b"}) EXPECT_EQ(OwnSites::CheckEmail(good), "") << good;
    for (const char* bad : {"@author.example", "me@", "@", "author.example", "me @x.example", "me|x@y.example",
                            "me@x.example\r\n", "\tme@x.example"})
        EXPECT_NE(OwnSites::CheckEmail(bad), "") << bad;
}

// Seven fields, each ended by "|", and nothing after the seventh.
TEST(OwnSitesTest, ALineWithTextAfterTheSeventhBarIsSkippedAndKept)
{
    TempDir dir;
    const std::string path = dir.Write(OwnSites::FileName, "Good|http://g.example/|GET|u|c||ok|\r\n"
                                                           "Extra|http://e.example/|GET|u|c||ok|more\r\n"
                                                           "Eight|http://e.example/|GET|u|c||ok||\r\n");
    OwnSites own;
    own.Load(path);
    ASSERT_EQ(own.Sites().size(), 1u);
    ASSERT_EQ(own.Skipped().size(), 2u);
    EXPECT_EQ(own.Skipped()[0].Text, "Extra|http://e.example/|GET|u|c||ok|more");
    EXPECT_EQ(own.Skipped()[1].Line, 3);
}

// The window and the command line's import each hold the list: whichever saves last keeps
// the sites the other wrote; a site of the other's whose title the saver took for another site
// is kept as a skipped line, not dropped.
TEST(OwnSitesTest, ASaveKeepsTheSitesAnotherWriterAddedMeanwhile)
{
    TempDir dir;
    const std::string path = dir.File(OwnSites::FileName);
    OwnSites window, import;
    window.Load(path); // no file yet
    import.Load(path);
    ASSERT_EQ(import.Add(Own("Imported")), "");
    ASSERT_EQ(import.Add(Own("Both", "http://theirs.example/")), "");
    EXPECT_EQ(import.Save(path), 0);
    EXPECT_TRUE(window.ChangedOnDisk(path));

    ASSERT_EQ(window.Add(Own("Mine")), "");
    ASSERT_EQ(window.Add(Own("Both", "http://mine.example/")), "");
    EXPECT_EQ(window.Save(path), 2);
    ASSERT_EQ(window.Sites().size(), 3u);
    EXPECT_EQ(window.Sites()[0].ScriptUrl, "http://mine.example/");
    EXPECT_EQ(window.Sites()[1].Title, "Imported");
    ASSERT_EQ(window.Skipped().size(), 1u);
    EXPECT_EQ(window.Skipped()[0].Text, "Both|http://theirs.example/|GET|padurl|padcat||successfully|");
    OwnSites reread;
    reread.Load(path);
    EXPECT_EQ(reread.Sites().size(), 3u);
    EXPECT_FALSE(window.ChangedOnDisk(path));
}

TEST(OwnSitesTest, CombinedTableKeepsEveryBuiltInRowAndAppendsOwnSitesInTitleOrder)
{
    OwnSites own;
    int placed = -1;
    ASSERT_EQ(own.Add(Own("b site"), &placed), "");
    EXPECT_EQ(placed, 0);
    ASSERT_EQ(own.Add(Own("A site"), &placed), "");
    EXPECT_EQ(placed, 0);
    ASSERT_EQ(own.Add(Own("c site"), &placed), "");
    EXPECT_EQ(placed, 2);

    const SiteTable table = own.Combined();
    const SiteTable& builtIn = SiteTable::BuiltIn();
    ASSERT_EQ(table.Count(), SiteTable::BuiltInCount + 3);
    for (int i = 0; i < SiteTable::BuiltInCount; ++i) {
        EXPECT_EQ(table.At(i).Title, builtIn.At(i).Title);
        EXPECT_EQ(table.At(i).ScriptUrl, builtIn.At(i).ScriptUrl);
        EXPECT_FALSE(table.At(i).Own);
    }
    EXPECT_EQ(table.At(45).Title, "A site");
    EXPECT_EQ(table.At(47).Title, "c site");
    EXPECT_TRUE(table.At(46).Own);
    EXPECT_EQ(table.Find("b site"), 46);
    EXPECT_EQ(table.Find("Zephyr Software"), 44);
    EXPECT_EQ(table.Find("B site"), -1);

    own.Remove(0);
    EXPECT_EQ(own.Combined().At(45).Title, "b site");
}

TEST(OwnSitesTest, OnlyOwnSitesThatNameAnEmailFieldGetTheAuthorsAddress)
{
    SiteRecord own = Own("x");
    own.Own = true;
    own.EmailField = "contact";
    EXPECT_EQ(SubmissionQuery::Build(own, "http://p.example/pad.xml", "Games & Fun", "me & you@x.example"),
              "padurl=http://p.example/pad.xml&padcat=Games+%26+Fun&contact=me+%26+you@x.example");
    EXPECT_EQ(SubmissionQuery::Build(own, "l", "c", ""), "padurl=l&padcat=c"); // no address set
    own.EmailField.clear();
    EXPECT_EQ(SubmissionQuery::Build(own, "l", "c", "me@x.example"), "padurl=l&padcat=c");
    // A built-in site names "email" but never gets it.
    EXPECT_EQ(SubmissionQuery::Build(SiteTable::BuiltIn().At(0), "l", "c", "me@x.example"), "padurl=l&padcat=c");
}

} // namespace
