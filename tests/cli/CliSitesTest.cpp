#include "cli/CliEnvironment.h"
#include "cli/SitesCommand.h"
#include "cli/SubmitCommand.h"
#include "submit/SiteTable.h"
#include "support/ScriptedProxy.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class CliSitesTest : public ::testing::Test {
protected:
    CliSitesTest()
    {
        env.ProgramFolder = dir.Path() + "/";
        env.Sites = &SiteTable::BuiltIn();
    }
    Outcome Sites(const std::vector<std::string>& args, const CliEnvironment* with = nullptr)
    {
        std::ostringstream out, err;
        const int code = SitesCommand::Run(args, out, err, with ? *with : env);
        return {code, out.str(), err.str()};
    }

    TempDir dir;
    CliEnvironment env;
};

TEST_F(CliSitesTest, ImportTakesQuotedFieldsRefusesBadRowsByLineAndExportRoundTrips)
{
    // Columns in another order; a record spanning two lines; "|" in a title and a field name;
    // a short row; a built-in site's title; a cell a spreadsheet would run, defused by a "'".
    const std::string csv = "method,title,script_url,link_field,category_field,email_field,success_marker\r\n"
                            "GET,\"Comma, \"\"Quoted\"\" Site\",http://own-a.example/add.php,padurl,padcat,contact,"
                            "'-successfully\r\n"
                            "POST,\"Multi\nLine\",http://b.example/,u,c,,ok\r\n"
                            "GET,Bar|Site,http://c.example/,u,c,,ok\r\n"
                            "GET,Field Bar,http://d.example/,u|x,c,,ok\r\n"
                            "GET,Short,http://e.example/\r\n"
                            "GET,Acorn Software Shelf,http://f.example/,u,c,,ok\r\n";
    const Outcome in = Sites({"--import", dir.Write("in.csv", csv)});
    EXPECT_EQ(in.code, SitesCommand::SomeRefused) << in.err;
    EXPECT_EQ(in.out, "Imported: 1 Refused: 5\n");
    const std::vector<std::string> refused = Lines(in.err);
    ASSERT_EQ(refused.size(), 5u) << in.err;
    for (size_t i = 0; i < refused.size(); ++i) {
        const std::string line = " line " + std::to_string(std::vector<int>{3, 5, 6, 7, 8}[i]) + " refused: ";
        EXPECT_NE(refused[i].find(line), std::string::npos) << refused[i];
    }
    EXPECT_EQ(dir.Read("data/autosites.dat"),
              "Comma, \"Quoted\" Site|http://own-a.example/add.php|GET|padurl|padcat|contact|-successfully|\r\n");

    const Outcome listed = Sites({});
    const std::vector<std::string> rows = Lines(listed.out);
    ASSERT_EQ(rows.size(), static_cast<size_t>(SiteTable::BuiltInCount + 1));
    EXPECT_EQ(rows.front(), "Acorn Software Shelf\tGET\thttp://www.acorn-software-shelf.example/addpad.php\tbuilt-in");
    EXPECT_EQ(rows.back(), "Comma, \"Quoted\" Site\tGET\thttp://own-a.example/add.php\town");

    const Outcome out = Sites({"--export", dir.File("out.csv")});
    EXPECT_EQ(out.code, SitesCommand::Listed) << out.err;
    EXPECT_EQ(dir.Read("out.csv"), "title,script_url,method,link_field,category_field,email_field,success_marker\r\n"
                                   "\"Comma, \"\"Quoted\"\" Site\",http://own-a.example/add.php,GET,padurl,padcat,"
                                   "contact,'-successfully\r\n");

    // The export, imported into another program folder, gives the same file.
    TempDir other;
    CliEnvironment otherEnv = env;
    otherEnv.ProgramFolder = other.Path() + "/";
    EXPECT_EQ(Sites({"--import", dir.File("out.csv")}, &otherEnv).code, SitesCommand::Listed);
    EXPECT_EQ(other.Read("data/autosites.dat"), dir.Read("data/autosites.dat"));
    // Importing it again adds nothing: the title is taken.
    EXPECT_EQ(Sites({"--import", dir.File("out.csv")}, &otherEnv).code, SitesCommand::SomeRefused);

    // An open quote or a missing column imports nothing.
    EXPECT_EQ(Sites({"--import", dir.Write("bad.csv", "title,\"script_url\r\n")}).code, SitesCommand::UsageError);
    EXPECT_EQ(Sites({"--import", dir.Write("bad2.csv", "title,script_url\r\nA,http://a.example/\r\n")}).code,
              SitesCommand::UsageError);
    EXPECT_EQ(Sites({"--import", dir.File("in.csv"), "--export", dir.File("x.csv")}).code, 2);
}

TEST_F(CliSitesTest, SubmitSendsTheAuthorsAddressOnlyToOwnSitesThatNameAField)
{
    dir.Write("quillpost.ini", "[Configuration]\r\nAuthorEmail=me@author.example\r\n");
    dir.Write("data/autosites.dat", "Own Mail|http://own-mail.example/add.php|POST|link|cat|contact|taken|\r\n"
                                    "Own Plain|http://own-plain.example/add.php|GET|padurl|padcat||successfully|\r\n"
                                    "broken line\r\n");
    const std::string products = dir.Write("products.dat", "Beta|http://pad.example/beta.xml|Games|\r\n");
    ScriptedProxy proxy(
        [](const std::string&) { return ScriptedProxy::Reply("HTTP/1.0 200 OK\r\n\r\ntaken successfully"); });
    std::ostringstream out, err;
    const int code =
        SubmitCommand::Run({"--products", products, "--proxy", proxy.Address(), "--site", "Acorn Software Shelf",
                            "--site", "Own Mail", "--site", "Own Plain", "--report", dir.File("run.csv"), "--quiet"},
                           out, err, env);
    EXPECT_EQ(code, 0) << err.str();
    EXPECT_NE(err.str().find("line 3 skipped"), std::string::npos) << err.str();
    const std::vector<std::string> lines = proxy.RequestLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "GET http://www.acorn-software-shelf.example/addpad.php?padurl=http://pad.example/beta.xml&"
                        "padcat=Games HTTP/1.0");
    EXPECT_EQ(lines[1], "POST http://own-mail.example/add.php?link=http://pad.example/beta.xml&cat=Games&"
                        "contact=me@author.example HTTP/1.0");
    EXPECT_EQ(lines[2],
              "GET http://own-plain.example/add.php?padurl=http://pad.example/beta.xml&padcat=Games HTTP/1.0");
    // The skipped line is still there: nothing was rewritten.
    EXPECT_NE(dir.Read("data/autosites.dat").find("broken line"), std::string::npos);
}

} // namespace
