#include "cli/CliEnvironment.h"
#include "cli/PadCommand.h"
#include "support/PadFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string Link = "http://tidy.example/pad.xml";

class CliPadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.ProgramFolder = dir.Path() + "/";
        dir.Write("data/categories.dat", "System Utilities::Text/Document Editors\r\n");
        pad = dir.Write("pad.xml", ValidPad(Link));
    }

    struct Outcome {
        int code;
        std::string out, err;
    };
    Outcome Pad(const std::vector<std::string>& args)
    {
        std::ostringstream out, err;
        const int code = PadCommand::Run(args, out, err, env);
        return {code, out.str(), err.str()};
    }

    TempDir dir;
    CliEnvironment env;
    std::string pad;
};

TEST_F(CliPadTest, SetWritesTheFieldsAndExitsOneWhenTheResultFailsACheck)
{
    const std::string release = dir.Write("tidy-2.5.zip", std::string(1536, 'z'));
    const Outcome set =
        Pad({"set", pad, "Program_Info/Program_Version=2.5", "--sizes-from", release, "--date", "2026-04-01"});
    EXPECT_EQ(set.code, PadCommand::Valid) << set.err;
    const Outcome show =
        Pad({"show", pad, "Program_Info/Program_Version", "Program_Info/Program_Release_Month",
             "XML_DIZ_INFO/Program_Info/File_Info/File_Size_Bytes", "Program_Info/File_Info/File_Size_MB"});
    EXPECT_EQ(show.code, PadCommand::Valid) << show.err;
    EXPECT_EQ(show.out, "Program_Info/Program_Version\t2.5\nProgram_Info/Program_Release_Month\t04\n"
                        "Program_Info/File_Info/File_Size_Bytes\t1536\nProgram_Info/File_Info/File_Size_MB\t0.01\n");

    // Written to --output, FILE untouched; the failed check is one line on stderr.
    const std::string before = dir.Read("pad.xml");
    const std::string out = dir.File("out.xml");
    const Outcome tooLong =
        Pad({"set", pad, "Program_Descriptions/English/Char_Desc_45=" + std::string(46, 'x'), "--output", out});
    EXPECT_EQ(tooLong.code, PadCommand::Problems);
    EXPECT_EQ(tooLong.err, "Char_Desc_45 (XML_DIZ_INFO/Program_Descriptions/English/Char_Desc_45): should be 1 to 45 "
                           "characters\n");
    EXPECT_EQ(dir.Read("pad.xml"), before);
    EXPECT_NE(dir.Read("out.xml").find(std::string(46, 'x')), std::string::npos);
}

TEST_F(CliPadTest, NothingIsWrittenWhenAnyPartOfASetCannotBeDone)
{
    const std::string latin1 = dir.Write("latin1.xml", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"
                                                       "<XML_DIZ_INFO><Program_Info/></XML_DIZ_INFO>");
    const std::string hostile =
        dir.Write("hostile.xml", "<!DOCTYPE x [<!ENTITY a \"a\">]><XML_DIZ_INFO>&a;</XML_DIZ_INFO>");
    const std::string before = dir.Read("pad.xml");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"set", pad, "Program_Info/Program_Version=2.5", "Program_Info/Program_Verison=2.5"},
             {"set", pad, "Program_Info/Program_Version=2.5", "Program_Info/Program_Name"},
             {"set", pad, "Program_Info/Program_Version=2.5", "--date", "2026-02-30"},
             {"set", pad, "--date", "1 April 2026"},
             {"set", pad, "--date", "2026-04201"}, // one dash: never read as 2026-04-01
             {"set", pad, "--date", "2026004-01"},
             {"set", pad, "--sizes-from", dir.File("no-such.zip")},
             {"set", pad, "--sizes-from", dir.Path()},
             {"set", pad},
             {"set", pad, "Program_Info/Program_Version=2.5", "--output", dir.File("no/such/folder/pad.xml")},
             {"set", latin1, "Program_Info/Program_Name=\u4E2D\u6587"},
             {"set", hostile, "Program_Info/Program_Version=2.5"},
             {"set", dir.File("missing.xml"), "Program_Info/Program_Version=2.5"},
             {"set", pad, "--frobnicate"},
             {"show", pad, "Program_Info"},
             {"check", hostile},
             {"frobnicate", pad},
         }) {
        const Outcome o = Pad(args);
        EXPECT_EQ(o.code, PadCommand::UsageError) << args.back();
        EXPECT_FALSE(o.err.empty()) << args.back();
    }
    EXPECT_EQ(dir.Read("pad.xml"), before);
    EXPECT_EQ(dir.Read("latin1.xml").find("\xE4"), std::string::npos);
}

TEST_F(CliPadTest, CheckComparesTheLinkOnlyWhenGivenAndShowKeepsEachFieldOnItsLine)
{
    EXPECT_EQ(Pad({"check", pad}).code, PadCommand::Valid);
    EXPECT_EQ(Pad({"check", pad, "--link", Link}).code, PadCommand::Valid);
    const Outcome other = Pad({"check", pad, "--link", "http://tidy.example/other.xml"});
    EXPECT_EQ(other.code, PadCommand::Problems);
    EXPECT_EQ(other.out, "Application_XML_File_URL (XML_DIZ_INFO/Web_Info/Application_URLs/Application_XML_File_URL): "
                         "is " +
                             Link + ", not the product's PAD link http://tidy.example/other.xml\n");

    ASSERT_EQ(Pad({"set", pad, "Program_Descriptions/English/Char_Desc_2000=a\tb\\c\nd"}).code, PadCommand::Valid);
    const Outcome all = Pad({"show", pad});
    EXPECT_EQ(all.code, PadCommand::Valid) << all.err;
    // Every field of the rules, in their order, one line each.
    EXPECT_EQ(all.out.substr(0, all.out.find('\n')), "MASTER_PAD_VERSION_INFO/MASTER_PAD_VERSION\t3.11");
    EXPECT_NE(all.out.find("\nProgram_Descriptions/English/Char_Desc_2000\ta\\tb\\\\c\\nd\n"), std::string::npos);
    EXPECT_NE(all.out.find("\nProgram_Info/File_Info/File_Size_Bytes\t\n"), std::string::npos);
}

// The file's own PAD link is compared without the spaces around it; a carriage return a file
// holds shows as \r; a field that only the rules in use name may be set.
TEST_F(CliPadTest, ALinkWithSpacesACarriageReturnAndAFieldOfTheRulesAlone)
{
    const auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        return text.replace(text.find(from), from.size(), to);
    };
    const std::string spaced =
        dir.Write("spaced.xml", replaced(ValidPad(Link), ">" + Link + "<", ">\n  " + Link + " <"));
    EXPECT_EQ(Pad({"check", spaced}).code, PadCommand::Valid);

    const std::string cr = dir.Write("cr.xml", replaced(ValidPad(Link), ">Tidy Notes<", ">Tidy&#13;Notes<"));
    EXPECT_EQ(Pad({"show", cr, "Program_Info/Program_Name"}).out, "Program_Info/Program_Name\tTidy\\rNotes\n");

    const std::string german = "Program_Descriptions/German/Char_Desc_45";
    EXPECT_EQ(Pad({"set", pad, german + "=Notizen"}).code, PadCommand::UsageError);
    dir.Write("pad_spec.xml", "<PAD_Spec><Fields><Field><Path>XML_DIZ_INFO/" + german +
                                  "</Path><RegEx>.*</RegEx></Field></Fields></PAD_Spec>");
    const Outcome set = Pad({"set", pad, german + "=Notizen"});
    EXPECT_EQ(set.code, PadCommand::Valid) << set.err;
    EXPECT_EQ(Pad({"show", pad, german}).out, german + "\tNotizen\n");
}

// A file is read no further than the limit and one byte: fed through a pipe 1 MiB and two bytes,
// pad check leaves exactly one byte unread and names the limit.
TEST_F(CliPadTest, AFileIsReadNoFurtherThanTheLimitAndOneByte)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    std::thread writer([&] {
        const std::string bytes((1u << 20) + 2, 'x');
        for (ssize_t done = 0, n = 0; done < static_cast<ssize_t>(bytes.size()) && n >= 0; done += n)
            n = ::write(ends[1], bytes.data() + done, bytes.size() - static_cast<size_t>(done));
        ::close(ends[1]);
    });
    const Outcome check = Pad({"check", "/dev/fd/" + std::to_string(ends[0])});
    size_t unread = 0;
    char rest[64 * 1024];
    for (ssize_t n; (n = ::read(ends[0], rest, sizeof rest)) > 0;) unread += static_cast<size_t>(n);
    writer.join();
    ::close(ends[0]);
    EXPECT_EQ(unread, 1u);
    EXPECT_EQ(check.code, PadCommand::UsageError);
    EXPECT_NE(check.err.find("larger than 1 MiB"), std::string::npos) << check.err;
}

} // namespace
