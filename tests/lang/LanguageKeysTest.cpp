#include "lang/LanguageKeys.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The window a key belongs to: the part before the first "->" for the secondary windows,
// "Form1" for every control of the main window.
std::string WindowOf(const std::string& key)
{
    const std::string first = key.substr(0, key.find("->"));
    static const std::set<std::string> windows = {"FormAddProduct", "FormEditProduct", "FormAddManual",
                                                  "FormEditManual", "FormProgress",    "AboutBox"};
    return windows.count(first) ? first : "Form1";
}

const LanguageKey* Find(const std::string& key)
{
    for (const LanguageKey& k : LanguageKeys::All())
        if (key == k.Key)
            return &k;
    return nullptr;
}

} // namespace

// Keys match without regard to letter case in a language file, so two keys that differ
// only in case would read the same line.
TEST(LanguageKeysTest, KeysAreDistinctIgnoringCaseAndFollowTheCaptionScheme)
{
    std::set<std::string> seen;
    for (const LanguageKey& k : LanguageKeys::All()) {
        ASSERT_NE(k.Key, nullptr);
        ASSERT_NE(k.English, nullptr);
        const std::string key = k.Key;
        EXPECT_TRUE(seen.insert(Lower(key)).second) << "duplicate " << key;
        EXPECT_TRUE(EndsWith(key, "->Caption")) << key;
        EXPECT_EQ(key.find_first_of(" =\t\r\n"), std::string::npos) << key;
        EXPECT_NE(std::string(k.English), "") << key;
    }
    EXPECT_EQ(seen.size(), 91u);
}

TEST(LanguageKeysTest, WindowsComeInOneBlockEachInApplyOrder)
{
    std::vector<std::string> blocks;
    std::map<std::string, int> counts;
    for (const LanguageKey& k : LanguageKeys::All()) {
        const std::string w = WindowOf(k.Key);
        if (blocks.empty() || blocks.back() != w)
            blocks.push_back(w);
        ++counts[w];
    }
    EXPECT_EQ(blocks, (std::vector<std::string>{"Form1", "FormAddProduct", "FormEditProduct", "FormAddManual",
                                                "FormEditManual", "FormProgress", "AboutBox"}));
    EXPECT_EQ(counts, (std::map<std::string, int>{{"Form1", 59},
                                                  {"FormAddProduct", 6},
                                                  {"FormEditProduct", 6},
                                                  {"FormAddManual", 5},
                                                  {"FormEditManual", 5},
                                                  {"FormProgress", 6},
                                                  {"AboutBox", 4}}));
    EXPECT_STREQ(LanguageKeys::All().front().Key, "MFile->Caption");
    EXPECT_STREQ(LanguageKeys::All().back().Key, "AboutBox->LabelSite->Caption");
}

TEST(LanguageKeysTest, EveryListColumnHasItsHeaderKey)
{
    const std::map<std::string, int> columns = {{"ListViewProducts", 4}, {"ListViewAuto", 2}, {"ListViewManual", 3}};
    int found = 0;
    for (const auto& [list, count] : columns)
        for (int c = 0; c < count; ++c) {
            const std::string key = list + "->Column[" + std::to_string(c) + "]->Caption";
            EXPECT_NE(Find(key), nullptr) << key;
            ++found;
        }
    int columnKeys = 0;
    for (const LanguageKey& k : LanguageKeys::All())
        columnKeys += std::string(k.Key).find("->Column[") != std::string::npos;
    EXPECT_EQ(columnKeys, found);
}

// Texts whose blanks are part of the caption, and the about window's own lines.
TEST(LanguageKeysTest, TextsThatCarryBlanksAndTheAboutLines)
{
    const std::map<std::string, std::string> expected = {
        {"FormAddProduct->GroupBoxAdd->Caption", " Add Product"},
        {"FormEditProduct->GroupBoxEdit->Caption", " Edit Product "},
        {"FormAddManual->GroupBoxAdd->Caption", " Add Site"},
        {"FormEditManual->GroupBoxEdit->Caption", " Edit Site "},
        {"FormProgress->Caption", " Submission Progress"},
        {"AUnCheckProducts->Caption", "Uncheck All"},
        {"AUnCheckAuto->Caption", "UnCheck All"},
        {"AboutBox->LabelAbout->Caption", "submit PAD files to software sites"},
    };
    for (const auto& [key, text] : expected) {
        const LanguageKey* k = Find(key);
        ASSERT_NE(k, nullptr) << key;
        EXPECT_EQ(std::string(k->English), text) << key;
    }
    const std::string site = Find("AboutBox->LabelSite->Caption")->English;
    EXPECT_EQ(site.rfind("http://", 0), 0u) << site;
    const std::string host = site.substr(7, site.find('/', 7) - 7);
    EXPECT_TRUE(EndsWith(host, ".example")) << site;
}
