#include "cli/CliEnvironment.h"
#include "cli/ValidatePadsCommand.h"
#include "net/Resolver.h"
#include "support/PadFiles.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"
#include "support/TlsServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

using S = ScriptedServer;

S::Script Answer(const std::string& reply)
{
    return {S::ReadUntil("\r\n\r\n"), S::Send(reply), S::Close()};
}

class CliValidatePadsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = Resolver::Settings();
        Resolver::SetSettings({ResolverSettings::Source::HostsFile, {}});
        env.ProgramFolder = dir.Path() + "/";
        dir.Write("data/categories.dat", "Business::Finance\r\nSystem Utilities::Text/Document Editors\r\n");
    }
    void TearDown() override { Resolver::SetSettings(saved_); }

    struct Outcome {
        int code;
        std::string out, err;
    };
    Outcome Validate(const std::vector<std::string>& args)
    {
        std::ostringstream out, err;
        const int code = ValidatePadsCommand::Run(args, out, err, env);
        return {code, out.str(), err.str()};
    }

    ResolverSettings saved_;
    TempDir dir;
    CliEnvironment env;
};

TEST_F(CliValidatePadsTest, OneBlockPerProductWithTheProblemsAndExitOneUnlessAllPass)
{
    // Through a proxy on 127.0.0.1 the PAD link can name any address, and the file names it too.
    const std::string good = "http://pad.example/good.xml";
    S proxy(std::vector<S::Script>{Answer("HTTP/1.0 200 OK\r\n\r\n" + ValidPad(good)),
                                   Answer("HTTP/1.0 404 Not Found\r\n\r\n")});
    dir.Write("data/products.dat", "Good|" + good + "|U|\r\nMissing|http://pad.example/missing.xml|U|\r\n");
    const std::string via = "127.0.0.1:" + std::to_string(proxy.Port());
    const Outcome all = Validate({"--proxy", via});
    EXPECT_EQ(all.code, ValidatePadsCommand::NotAllValid) << all.err;
    EXPECT_EQ(all.out,
              "Yes\tGood\t" + good +
                  "\n"
                  "No\tMissing\thttp://pad.example/missing.xml\n"
                  "\tPAD file (http://pad.example/missing.xml): the server answered 404 instead of the file\n");

    S again(Answer("HTTP/1.0 200 OK\r\n\r\n" + ValidPad(good)));
    const Outcome one = Validate({"--proxy", "127.0.0.1:" + std::to_string(again.Port()), "--product", "Good"});
    EXPECT_EQ(one.code, ValidatePadsCommand::AllValid) << one.err;
    EXPECT_EQ(one.out, "Yes\tGood\t" + good + "\n");

    S quietly(Answer("HTTP/1.0 404 Not Found\r\n\r\n"));
    const Outcome quiet =
        Validate({"--proxy", "127.0.0.1:" + std::to_string(quietly.Port()), "--product", "Missing", "--quiet"});
    EXPECT_EQ(quiet.code, ValidatePadsCommand::NotAllValid);
    EXPECT_EQ(quiet.out + quiet.err, "");

    const Outcome unknown = Validate({"--product", "Nope"});
    EXPECT_EQ(unknown.code, ValidatePadsCommand::UsageError);
    EXPECT_NE(unknown.err.find("no product titled \"Nope\""), std::string::npos);
    // Without the category list nothing is downloaded.
    std::filesystem::remove(dir.File("data/categories.dat"));
    EXPECT_EQ(Validate({"--proxy", via}).code, ValidatePadsCommand::UsageError);
}

TEST_F(CliValidatePadsTest, APadSpecFileBesideTheProgramReplacesTheRulesAndABrokenOneIsNamedOnStderr)
{
    const std::string link = "http://pad.example/good.xml";
    dir.Write("data/products.dat", "Good|" + link + "|U|\r\n");
    // The file's one field asks for a four-part version, which the valid PAD file does not have.
    dir.Write("pad_spec.xml", "<PAD_Spec><Fields><Field><Path>XML_DIZ_INFO/Program_Info/Program_Version</Path>"
                              "<RegExDocumentation>four numbers</RegExDocumentation>"
                              "<RegEx>^\\d+(\\.\\d+){3}\\Z</RegEx></Field></Fields></PAD_Spec>");
    S proxy(Answer("HTTP/1.0 200 OK\r\n\r\n" + ValidPad(link)));
    const std::string via = "127.0.0.1:" + std::to_string(proxy.Port());
    const Outcome strict = Validate({"--proxy", via});
    EXPECT_EQ(strict.code, ValidatePadsCommand::NotAllValid) << strict.err;
    EXPECT_EQ(strict.err, "[1/1] No  Good\n");
    EXPECT_NE(strict.out.find(
                  "\tProgram_Version (XML_DIZ_INFO/Program_Info/Program_Version): should be four numbers\n"),
              std::string::npos)
        << strict.out;

    dir.Write("pad_spec.xml", "<PAD_Spec><Fields><Field><Path>XML_DIZ_INFO/A</Path><RegEx>(</RegEx></Field>");
    const Outcome fallen = Validate({"--proxy", via});
    EXPECT_EQ(fallen.code, ValidatePadsCommand::AllValid) << fallen.err;
    EXPECT_EQ(fallen.err, "quillpost-cli validate-pads: pad_spec.xml not used: not well-formed XML: no element found "
                          "at line 1. Validated with the built-in rules.\n[1/1] Yes  Good\n");
}

TEST_F(CliValidatePadsTest, HttpsLinksAreVerifiedWithTheCaFileGiven)
{
    const TestCertificates certificates;
    const std::string caFile = dir.Write("ca.pem", certificates.CaPem());
    TlsServer::Options options{certificates.MakeLeaf("IP:127.0.0.1")};
    options.Reply = "HTTP/1.0 200 OK\r\n\r\n" + ValidPad("https://pad.example/good.xml");
    TlsServer server(options);
    const std::string link = server.Url() + "/good.xml";
    dir.Write("data/products.dat", "Good|" + link + "|U|\r\n");

    // The file comes through a verified connection and is checked: it names another address than its link.
    const Outcome trusted = Validate({"--cacert", caFile});
    EXPECT_EQ(trusted.out, "No\tGood\t" + link + "\n\tApplication_XML_File_URL (XML_DIZ_INFO/Web_Info/" +
                               "Application_URLs/Application_XML_File_URL): is https://pad.example/good.xml, not " +
                               "the product's PAD link " + link + "\n");
    EXPECT_EQ(Validate({"--cacert", dir.File("missing.pem")}).code, ValidatePadsCommand::UsageError);
}

} // namespace
