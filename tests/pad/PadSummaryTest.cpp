#include "pad/PadSummary.h"

#include "support/PadFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string Category = "System Utilities::Text/Document Editors";
const std::vector<std::string> Categories = {"Business::Accounting & Finance", Category};

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}

} // namespace

TEST(PadSummary, AValidFileGivesNameBlankVersionAndItsCategoryWhateverItsOtherFieldsHold)
{
    // Only the three fields count: a file Validate PADs would refuse for its address or a
    // missing description still fills the dialog.
    const std::string pad =
        Replaced(Replaced(ValidPad("http://elsewhere/pad.xml"), "<Keywords>notes</Keywords>", ""),
                 "<Program_Name>Tidy Notes</Program_Name>", "<Program_Name>\n  Tidy Notes \n</Program_Name>");
    const PadSummary s = PadSummary::Of(pad, Categories);
    EXPECT_TRUE(s.Ok());
    EXPECT_EQ(s.Title, "Tidy Notes 2.4");
    EXPECT_EQ(s.Category, Category);
}

TEST(PadSummary, ANameFailingItsRuleAForeignCategoryOrBrokenXmlGiveTheProblemAndNoTexts)
{
    const std::string pad = ValidPad("http://x/pad.xml");
    const auto single = [](const PadSummary& s) {
        EXPECT_FALSE(s.Ok());
        EXPECT_EQ(s.Title, "");
        EXPECT_EQ(s.Category, "");
        EXPECT_EQ(s.Problems.size(), 1u);
        return s.Problems.empty() ? PadProblem{} : s.Problems[0];
    };

    const PadProblem longName = single(PadSummary::Of(Replaced(pad, "Tidy Notes", std::string(41, 'N')), Categories));
    EXPECT_EQ(longName.Field, "Program_Name");
    EXPECT_EQ(longName.What.substr(0, 10), "should be ");

    const PadProblem noVersion =
        single(PadSummary::Of(Replaced(pad, "<Program_Version>2.4</Program_Version>", ""), Categories));
    EXPECT_EQ(noVersion.Field, "Program_Version");
    EXPECT_EQ(noVersion.What, "missing");

    const PadProblem foreign = single(PadSummary::Of(pad, {"Business::Accounting & Finance"}));
    EXPECT_EQ(foreign.Field, "Program_Category_Class");
    EXPECT_EQ(foreign.What, Category + " is not in the category list");

    const PadProblem broken = single(PadSummary::Of(Replaced(pad, "</Program_Info>", ""), Categories));
    EXPECT_EQ(broken.Field, "PAD file");
    EXPECT_FALSE(broken.What.empty());
}

TEST(PadSummary, AFieldTheRuleTableLeavesOutMustStillHoldText)
{
    const std::vector<PadRule> noRules; // a pad_spec.xml that names none of the three
    const std::string pad = ValidPad("http://x/pad.xml");
    EXPECT_EQ(PadSummary::Of(pad, Categories, noRules).Title, "Tidy Notes 2.4");
    const PadSummary blank =
        PadSummary::Of(Replaced(pad, "<Program_Version>2.4</Program_Version>", "<Program_Version> </Program_Version>"),
                       Categories, noRules);
    ASSERT_EQ(blank.Problems.size(), 1u);
    EXPECT_EQ(blank.Problems[0].Field, "Program_Version");
}
