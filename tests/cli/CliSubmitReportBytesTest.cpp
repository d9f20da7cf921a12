#include "cli/CliEnvironment.h"
#include "cli/SubmitCommand.h"
#include "submit/SiteTable.h"
#include "support/ScriptedProxy.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using P = ScriptedProxy;

// A report's bytes with its times and durations taken out: all else must stay byte for byte.
std::string Normalised(const std::string& bytes)
{
    const std::regex time("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ");
    const std::regex ms(",(GET|POST),(Ok|X|Failed|Invalid),(\\d*),\\d+,");
    return std::regex_replace(std::regex_replace(bytes, time, "T"), ms, ",$1,$2,$3,MS,");
}

// A submit run and its retry against sites that answer in each way the report tells apart;
// their reports, their stdout and their exit codes are kept as they were recorded.
TEST(CliSubmitReportBytes, ARunAndItsRetryWriteTheRecordedReportAndOutput)
{
    TempDir dir;
    CliEnvironment env;
    env.ProgramFolder = dir.Path() + "/";
    env.Sites = &SiteTable::BuiltIn();
    const std::string products = dir.Write("products.dat", "Tool, \"Pro\"|http://pad.example/tool.xml|Utilities|\r\n"
                                                           "=Beta|http://pad.example/beta.xml|Games|\r\n");
    auto submit = [&](const ScriptedProxy& proxy, std::vector<std::string> more, std::string& out) {
        std::vector<std::string> args = {"--products", products, "--proxy", proxy.Address()};
        args.insert(args.end(), more.begin(), more.end());
        std::ostringstream o, e;
        const int code = SubmitCommand::Run(args, o, e, env);
        out = o.str();
        return code;
    };
    ScriptedProxy mixed([](const std::string& line) {
        if (line.find("alpine") != std::string::npos) return P::Reply("HTTP/1.0 200 OK\r\n\r\nPlease log in");
        if (line.find("amber") != std::string::npos) return P::Reply("HTTP/1.0 500 Oops\r\n\r\n");
        if (line.find("anchor") != std::string::npos)
            return P::Reply("HTTP/1.0 200 OK\r\nContent-Length: 90\r\n\r\nPA");
        return P::Reply("HTTP/1.0 200 OK\r\n\r\nPAD submitted successfully");
    });
    std::string out;
    EXPECT_EQ(submit(mixed,
                     {"--site", "Acorn Software Shelf", "--site", "Alpine Downloads", "--site", "Amber Soft Catalog",
                      "--site", "Anchor Freeware", "--report", dir.File("first.csv")},
                     out),
              SubmitCommand::NotAllOk);
    EXPECT_EQ(out, "Ok\t=Beta\tAcorn Software Shelf\t200\n"
                   "X\t=Beta\tAlpine Downloads\t200 Please log in\n"
                   "Failed\t=Beta\tAmber Soft Catalog\t500 server answered 500 Oops\n"
                   "Failed\t=Beta\tAnchor Freeware\t200 reply cut short\n"
                   "Ok\tTool, \"Pro\"\tAcorn Software Shelf\t200\n"
                   "X\tTool, \"Pro\"\tAlpine Downloads\t200 Please log in\n"
                   "Failed\tTool, \"Pro\"\tAmber Soft Catalog\t500 server answered 500 Oops\n"
                   "Failed\tTool, \"Pro\"\tAnchor Freeware\t200 reply cut short\n"
                   "Finished. Success: 2 Failed: 6\n");
    EXPECT_EQ(
        Normalised(dir.Read("first.csv")),
        "time,product,pad_link,site,script_url,method,outcome,http_status,ms,error,detail\r\n"
        "T,'=Beta,http://pad.example/beta.xml,Acorn Software "
        "Shelf,http://www.acorn-software-shelf.example/addpad.php,GET,Ok,200,MS,,\r\n"
        "T,'=Beta,http://pad.example/beta.xml,Alpine "
        "Downloads,http://www.alpine-downloads.example/addpad.php,GET,X,200,MS,Please log in,\r\n"
        "T,'=Beta,http://pad.example/beta.xml,Amber Soft "
        "Catalog,http://www.amber-soft-catalog.example/catalog/checkadd.php,POST,Failed,500,MS,server answered 500 "
        "Oops,\r\n"
        "T,'=Beta,http://pad.example/beta.xml,Anchor "
        "Freeware,http://www.anchor-freeware.example/addpad.php,GET,Failed,200,MS,reply cut short,Reply cut short\r\n"
        "T,\"Tool, \"\"Pro\"\"\",http://pad.example/tool.xml,Acorn Software "
        "Shelf,http://www.acorn-software-shelf.example/addpad.php,GET,Ok,200,MS,,\r\n"
        "T,\"Tool, \"\"Pro\"\"\",http://pad.example/tool.xml,Alpine "
        "Downloads,http://www.alpine-downloads.example/addpad.php,GET,X,200,MS,Please log in,\r\n"
        "T,\"Tool, \"\"Pro\"\"\",http://pad.example/tool.xml,Amber Soft "
        "Catalog,http://www.amber-soft-catalog.example/catalog/checkadd.php,POST,Failed,500,MS,server answered 500 "
        "Oops,\r\n"
        "T,\"Tool, \"\"Pro\"\"\",http://pad.example/tool.xml,Anchor "
        "Freeware,http://www.anchor-freeware.example/addpad.php,GET,Failed,200,MS,reply cut short,Reply cut short\r\n");

    ScriptedProxy taken([](const std::string&) { return P::Reply("HTTP/1.0 200 OK\r\n\r\nsuccessfully"); });
    EXPECT_EQ(submit(taken, {"--retry-failed", dir.File("first.csv"), "--report", dir.File("retry.csv")}, out),
              SubmitCommand::AllOk);
    EXPECT_EQ(out, "Ok\t=Beta\tAlpine Downloads\t200\n"
                   "Ok\t=Beta\tAmber Soft Catalog\t200\n"
                   "Ok\t=Beta\tAnchor Freeware\t200\n"
                   "Ok\tTool, \"Pro\"\tAlpine Downloads\t200\n"
                   "Ok\tTool, \"Pro\"\tAmber Soft Catalog\t200\n"
                   "Ok\tTool, \"Pro\"\tAnchor Freeware\t200\n"
                   "Finished. Success: 6 Failed: 0\n");
    EXPECT_EQ(Normalised(dir.Read("retry.csv")),
              "time,product,pad_link,site,script_url,method,outcome,http_status,ms,error,detail\r\n"
              "T,'=Beta,http://pad.example/beta.xml,Alpine "
              "Downloads,http://www.alpine-downloads.example/addpad.php,GET,Ok,200,MS,,\r\n"
              "T,'=Beta,http://pad.example/beta.xml,Amber Soft "
              "Catalog,http://www.amber-soft-catalog.example/catalog/checkadd.php,POST,Ok,200,MS,,\r\n"
              "T,'=Beta,http://pad.example/beta.xml,Anchor "
              "Freeware,http://www.anchor-freeware.example/addpad.php,GET,Ok,200,MS,,\r\n"
              "T,\"Tool, \"\"Pro\"\"\",http://pad.example/tool.xml,Alpine "
              "Downloads,http://www.alpine-downloads.example/addpad.php,GET,Ok,200,MS,,\r\n"
              "T,\"Tool, \"\"Pro\"\"\",http://pad.example/tool.xml,Amber Soft "
              "Catalog,http://www.amber-soft-catalog.example/catalog/checkadd.php,POST,Ok,200,MS,,\r\n"
              "T,\"Tool, \"\"Pro\"\"\",http://pad.example/tool.xml,Anchor "
              "Freeware,http://www.anchor-freeware.example/addpad.php,GET,Ok,200,MS,,\r\n");
}

} // namespace
