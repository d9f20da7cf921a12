#include "pad/PadForm.h"

#include "pad/PadFieldCheck.h"
#include "pad/PadFields.h"
#include "pad/PadValidation.h"
#include "support/PadFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

const std::vector<std::string> Categories = {"System Utilities::Text/Document Editors"};

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    return text.replace(text.find(from), from.size(), to);
}

} // namespace

// The editor shows per field what Validate PADs reports per file: the two must not drift.
TEST(PadForm, EachFieldsProblemIsWhatTheWholeFileCheckSaysOfIt)
{
    const std::string valid = ValidPad("http://x.example/pad.xml");
    const std::vector<std::string> files = {
        valid,
        Replaced(valid, "<Program_Version>", "<Program_Version>1234567890123456"),     // too long
        Replaced(valid, "<Char_Desc_45>", "<Char_Desc_45> <!-- -->  "),                // blanks only around
        Replaced(Replaced(valid, "<Company_Name>", "<X>"), "</Company_Name>", "</X>"), // missing
        Replaced(valid, "<File_Size_K>512", "<File_Size_K>"),                          // no stand-in
    };
    for (const std::string& bytes : files) {
        PadDocument document;
        std::string error;
        ASSERT_TRUE(document.Open(bytes, error)) << error;
        std::set<std::string> byField;
        for (const PadFormTab& tab : PadForm::Tabs(PadRule::BuiltIn()))
            for (const PadFormField& field : tab.Fields) {
                const std::string what = PadForm::Problem(document, field).English();
                if (!what.empty()) byField.insert(field.Rule->Path + ": " + what);
            }
        std::set<std::string> byFile;
        for (const PadProblem& p : PadValidation::Check(bytes, "http://x.example/pad.xml", Categories))
            byFile.insert(p.Path + ": " + p.What);
        EXPECT_EQ(byField, byFile);
    }
    EXPECT_GT(PadValidation::Check(files[1], "http://x.example/pad.xml", Categories).size(), 0u);
}

TEST(PadForm, AStandInFieldCountsOnlyWithText)
{
    const PadRule& bytes = *std::find_if(PadRule::BuiltIn().begin(), PadRule::BuiltIn().end(),
                                         [](const PadRule& r) { return !r.OrPath.empty(); });
    EXPECT_EQ(PadFieldCheck::Problem(bytes, std::nullopt, std::string("12")).English(), "");
    EXPECT_EQ(PadFieldCheck::Problem(bytes, std::string(""), std::string("12")).English(), "");
    EXPECT_EQ(PadFieldCheck::Problem(bytes, std::nullopt, std::string(" ")).English(),
              "missing (and File_Size_K is empty)");
    EXPECT_EQ(PadFieldCheck::Problem(bytes, std::nullopt).English(), "missing (and so is File_Size_K)");
    EXPECT_EQ(PadFieldCheck::Problem(bytes, std::string("x")).English(), "should be a number of bytes");
}

TEST(PadForm, TheLimitIsTheUpperBoundOfTheLastRepeatCountAndCharactersAreCountedTrimmed)
{
    const std::vector<std::pair<std::string, std::size_t>> limits = {
        {"^[^<\\t\\r\\n]{1,80}\\Z", 80},
        {"^[^<]{1,2000}\\Z", 2000},
        {"^a{2,3}b{0,45}$", 45},
        {"^\\d+\\.\\d+\\Z", 0},
        {"^a\\{1,5}$", 0},
        {"^a{2,}$", 0},
        {"^a{3}$", 0},
        {"^a{1,99999999999999}$", 0},
        {"", 0},
    };
    for (const auto& [pattern, limit] : limits) EXPECT_EQ(PadForm::Limit(pattern), limit) << pattern;
    EXPECT_EQ(PadForm::Characters("  h\xC3\xA9llo\t "), 5u);
    EXPECT_EQ(PadForm::Characters("\xD0\x9F\xD1\x80\xD0\xB8"), 3u);
    EXPECT_EQ(PadForm::Characters(" \r\n"), 0u);
}

TEST(PadForm, TabsHoldEveryFieldOnceWithTheRulesOfAUsersFieldList)
{
    std::vector<PadRule> rules = PadRule::BuiltIn();
    rules.push_back({"XML_DIZ_INFO/Affiliates/Affiliates_FORM", false, "^.{0,30}\\Z", "short", ""});
    std::multiset<std::string> shown;
    const std::vector<PadFormTab> tabs = PadForm::Tabs(rules);
    ASSERT_EQ(tabs.size(), 5u);
    for (const PadFormTab& tab : tabs)
        for (const PadFormField& field : tab.Fields) {
            shown.insert(field.Path);
            if (field.Path == "Program_Descriptions/English/Char_Desc_80") {
                EXPECT_EQ(tab.Name, "Descriptions");
                EXPECT_TRUE(field.Counted);
                EXPECT_EQ(field.Limit, 80u);
            }
            if (field.Path == "Program_Info/File_Info/File_Size_MB") {
                EXPECT_EQ(tab.Name, "File");
            }
            if (field.Path == "Program_Info/Program_Version") {
                EXPECT_FALSE(field.Counted);
            }
        }
    for (const std::string& path : PadFields::PublicOrder()) EXPECT_EQ(shown.count(path), 1u) << path;
    EXPECT_EQ(shown.count("Affiliates/Affiliates_FORM"), 1u);
    EXPECT_EQ(shown.size(), PadFields::PublicOrder().size() + 1);
}

TEST(PadForm, ANewFileHasEveryRequiredFieldPresentAndEmpty)
{
    const std::string bytes = PadForm::Template(PadRule::BuiltIn());
    PadDocument document;
    std::string error;
    ASSERT_TRUE(document.Open(bytes, error)) << error;
    int required = 0;
    for (const PadRule& rule : PadRule::BuiltIn()) {
        if (!rule.Required) continue;
        ++required;
        EXPECT_EQ(document.Value(rule.Path.substr(13)), std::optional<std::string>("")) << rule.Path;
    }
    const std::vector<PadProblem> problems = PadValidation::Check(bytes, "", Categories);
    EXPECT_EQ(static_cast<int>(problems.size()), required);
    for (const PadProblem& p : problems) EXPECT_EQ(p.What.rfind("empty; should be", 0), 0u) << p.Path;
}
