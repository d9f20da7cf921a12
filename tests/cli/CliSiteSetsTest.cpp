#include "cli/CliEnvironment.h"
#include "cli/SiteSetsCommand.h"
#include "submit/SiteTable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

class CliSiteSetsTest : public ::testing::Test {
protected:
    CliSiteSetsTest()
    {
        env.ProgramFolder = dir.Path() + "/";
        env.Sites = &SiteTable::BuiltIn();
    }
    Outcome Run(std::vector<std::string> args)
    {
        std::ostringstream out, err;
        const int code = SiteSetsCommand::Run(args, out, err, env);
        return {code, out.str(), err.str()};
    }
    TempDir dir;
    CliEnvironment env;
};

TEST_F(CliSiteSetsTest, SavedSetsAreListedShownAndDeleted)
{
    const std::string acorn = "Acorn Software Shelf", amber = "Amber Soft Catalog";
    const Outcome saved = Run({"save", "Weekly", "--site", amber, "--site", acorn});
    EXPECT_EQ(saved.code, 0) << saved.err;
    EXPECT_EQ(Run({"save", "Daily", "--site", acorn}).code, 0);
    EXPECT_EQ(Run({}).out, "Daily\t1\nWeekly\t2\n");
    EXPECT_EQ(Run({"show", "Weekly"}).out, amber + "\n" + acorn + "\n");

    // Nothing is saved for a site that does not exist, or a name that cannot be kept.
    const Outcome unknown = Run({"save", "Weekly", "--site", "No Such Site"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_NE(unknown.err.find("no site titled \"No Such Site\""), std::string::npos) << unknown.err;
    EXPECT_EQ(Run({"save", "a|b", "--site", acorn}).code, 2);
    EXPECT_EQ(Run({"save", "Empty"}).code, 2);

    EXPECT_EQ(Run({"delete", "Weekly"}).code, 0);
    EXPECT_EQ(Run({"delete", "Weekly"}).code, 2);
    EXPECT_EQ(Run({"show", "Weekly"}).code, 2);
    EXPECT_EQ(Run({}).out, "Daily\t1\n");
}

} // namespace
