#include "lang/LanguageKeys.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const LanguageKey* Find(const std::string& key)
{
    for (const LanguageKey& k : LanguageKeys::All())
        if (key == k.Key) return &k;
    return nullptr;
}

} // namespace

// Keys match without regard to letter case in a language file, so two keys that differ
// only in case would read the same line. Each window's keys form one block, in the order
// in which a language is applied.
TEST(LanguageKeysTest, KeysAreDistinctIgnoringCaseAndComeInOneBlockPerWindow)
{
    static const std::set<std::string> windows = {"FormAddProduct", "FormEditProduct", "FormAddManual",
                                                  "FormEditManual", "FormProgress",    "AboutBox"};
    std::set<std::string> seen;
    std::vector<std::string> blocks;
    std::map<std::string, int> counts;
    int columnKeys = 0;
    for (const LanguageKey& k : LanguageKeys::All()) {
        ASSERT_NE(k.Key, nullptr);
        ASSERT_NE(k.English, nullptr);
        const std::string key = k.Key;
        std::string lower = key;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(seen.insert(lower).second) << "duplicate " << key;
        EXPECT_TRUE(key.size() > 9 && key.compare(key.size() - 9, 9, "->Caption") == 0) << key;
        EXPECT_EQ(key.find_first_of(" =\t\r\n"), std::string::npos) << key;
        EXPECT_NE(std::string(k.English), "") << key;
        columnKeys += key.find("->Column[") != std::string::npos;

        // The secondary windows' keys start with the window; every other key is the main window's.
        const std::string first = key.substr(0, key.find("->"));
        const std::string window = windows.count(first) ? first : "Form1";
        if (blocks.empty() || blocks.back() != window) blocks.push_back(window);
        ++counts[window];
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

    // Every list column has its header key, and there are no others.
    const std::map<std::string, int> columns = {{"ListViewProducts", 4}, {"ListViewAuto", 2}, {"ListViewManual", 3}};
    for (const auto& [list, count] : columns)
        for (int c = 0; c < count; ++c) {
            const std::string key = list + "->Column[" + std::to_string(c) + "]->Caption";
            EXPECT_NE(Find(key), nullptr) << key;
        }
    EXPECT_EQ(columnKeys, 4 + 2 + 3);
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
    EXPECT_TRUE(host.size() > 8 && host.compare(host.size() - 8, 8, ".example") == 0) << site;
}

// The extra keys and the words are read from the same section: one that repeated a key of the first list
// (in any letter case) would set both captions from one line.
TEST(LanguageKeysTest, ExtraKeysAreCaptionKeysDistinctFromTheFirstList)
{
    std::set<std::string> seen;
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    for (const LanguageKey& k : LanguageKeys::All()) seen.insert(lower(k.Key));
    std::vector<LanguageKey> more(LanguageKeys::Extra().begin(), LanguageKeys::Extra().end());
    more.insert(more.end(), LanguageKeys::Words().begin(), LanguageKeys::Words().end());
    for (const LanguageKey& k : more) {
        const std::string key = k.Key;
        EXPECT_TRUE(seen.insert(lower(key)).second) << "duplicate " << key;
        EXPECT_TRUE(key.size() > 9 && key.compare(key.size() - 9, 9, "->Caption") == 0) << key;
        EXPECT_NE(std::string(k.English), "") << key;
    }
}
