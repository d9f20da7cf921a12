// The files that ship beside the executable, read from the source tree with the
// program's own readers.
#include "catalogue/CatalogueFile.h"
#include "catalogue/ListRows.h"
#include "common/IniFile.h"
#include "lang/HelpFile.h"
#include "lang/LanguageFile.h"
#include "lang/LanguageKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string kDist = std::string(QP_SOURCE_DIR) + "/dist";
// A value no shipped file holds, to tell a missing key from a read one.
const std::string kMissing = "\x01missing\x01";

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every line ends in CR LF, the last one included, and no CR or LF stands alone.
void ExpectCrLfLines(const std::string& bytes, const std::string& what)
{
    ASSERT_GE(bytes.size(), 2u) << what;
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << what << ": last line end";
    long pairs = 0;
    for (size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2)) ++pairs;
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), pairs) << what << ": a lone CR";
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), pairs) << what << ": a lone LF";
}

bool IsUtf8(const std::string& s)
{
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t extra = c < 0x80 ? 0 : c < 0xC2 ? 9 : c <= 0xDF ? 1 : c <= 0xEF ? 2 : c <= 0xF4 ? 3 : 9;
        if (extra == 9 || i + extra >= s.size()) return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

// Cyrillic letters of the basic block are 0xD0 or 0xD1 followed by a continuation byte.
bool HasCyrillic(const std::string& s)
{
    for (size_t i = 0; i + 1 < s.size(); ++i)
        if ((s[i] == '\xD0' || s[i] == '\xD1') && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80) return true;
    return false;
}

bool HasOuterBlank(const std::string& s)
{
    return !s.empty() && (s.front() == ' ' || s.back() == ' ');
}

// A link of the example files: plain http to a host under the reserved example domain.
void ExpectExampleLink(const std::string& link)
{
    EXPECT_EQ(link.rfind("http://", 0), 0u) << link;
    const std::string host = link.substr(7, link.find('/', 7) - 7);
    EXPECT_TRUE(host.size() > 8 && host.compare(host.size() - 8, 8, ".example") == 0) << link;
}

} // namespace

// Each language file begins with the section header and then one line per key, in the order in
// which a language is applied. English reads back as the built-in texts; Russian is translated
// except for the English menu entry and the web address, and keeps the same outer blanks.
TEST(ShippedLanguageFiles, HoldEveryKeyInOrderAndNothingElse)
{
    const std::set<std::string> untranslated = {"MLangEnglish->Caption", "AboutBox->LabelSite->Caption"};
    for (const std::string language : {"English", "Russian"}) {
        SCOPED_TRACE(language);
        const std::string path = LanguageFile::PathFor(kDist, language);
        const std::string bytes = Bytes(path);
        ExpectCrLfLines(bytes, path);
        EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF") << "starts with a byte-order mark";
        EXPECT_TRUE(IsUtf8(bytes));
        // Section "Interface" runs to the blank line before the texts of ours.
        const std::vector<std::string> all = CatalogueFile::SplitLines(bytes);
        const std::vector<std::string> lines(all.begin(), std::find(all.begin(), all.end(), std::string()));
        // The keys of the first list, then the extra ones, then the words.
        std::vector<LanguageKey> keys(LanguageKeys::All().begin(), LanguageKeys::All().end());
        keys.insert(keys.end(), LanguageKeys::Extra().begin(), LanguageKeys::Extra().end());
        keys.insert(keys.end(), LanguageKeys::Words().begin(), LanguageKeys::Words().end());
        ASSERT_EQ(lines.size(), 1u + keys.size());
        EXPECT_EQ(lines[0], "[Interface]");
        int same = 0;
        for (size_t i = 0; i < keys.size(); ++i) {
            const LanguageKey& k = keys[i];
            SCOPED_TRACE(k.Key);
            const std::string prefix = std::string(k.Key) + "=";
            EXPECT_EQ(lines[i + 1].compare(0, prefix.size(), prefix), 0) << "line " << i + 2 << ": " << lines[i + 1];
            const std::string value = IniFile::ReadString(path, "Interface", k.Key, kMissing);
            if (language == "English") {
                EXPECT_EQ(value, k.English);
                continue;
            }
            ASSERT_NE(value, kMissing);
            EXPECT_NE(value, "");
            if (value == k.English) {
                ++same;
                EXPECT_TRUE(untranslated.count(k.Key)) << "not translated: " << value;
            } else if (!untranslated.count(k.Key)) {
                EXPECT_TRUE(HasCyrillic(value)) << value;
            }
            // A caption framed by blanks in English is framed the same way in Russian.
            EXPECT_EQ(HasOuterBlank(value), HasOuterBlank(k.English)) << "\"" << value << "\"";
        }
        EXPECT_LE(same, 2);
    }
}

TEST(ShippedDataFiles, CategoriesAreClassSubclassPairsOfTheFourteenClasses)
{
    const std::string path = kDist + "/data/categories.dat";
    ExpectCrLfLines(Bytes(path), path);
    const std::vector<std::string> categories = CatalogueFile::ReadCategories(path);
    EXPECT_GE(categories.size(), 140u);
    std::set<std::string> classes;
    std::set<std::string> distinct;
    for (const std::string& c : categories) {
        const size_t sep = c.find("::");
        ASSERT_NE(sep, std::string::npos) << c;
        const std::string cls = c.substr(0, sep);
        const std::string sub = c.substr(sep + 2);
        EXPECT_FALSE(cls.empty() || sub.empty()) << c;
        EXPECT_EQ(sub.find("::"), std::string::npos) << c;
        EXPECT_EQ(c.find('|'), std::string::npos) << c;
        EXPECT_FALSE(HasOuterBlank(cls) || HasOuterBlank(sub)) << c;
        EXPECT_TRUE(distinct.insert(c).second) << "twice: " << c;
        classes.insert(cls);
    }
    EXPECT_EQ(classes, (std::set<std::string>{"Audio & Multimedia", "Business", "Communications", "Desktop",
                                              "Development", "Education", "Games & Entertainment", "Graphic Apps",
                                              "Home & Hobby", "Network & Internet", "Security & Privacy", "Servers",
                                              "System Utilities", "Web Development"}));
}

TEST(ShippedDataFiles, ExampleCataloguesReadIntoTheirColumnsAndWriteBackUnchanged)
{
    const std::vector<std::string> categories = CatalogueFile::ReadCategories(kDist + "/data/categories.dat");
    const std::set<std::string> known(categories.begin(), categories.end());
    struct File {
        const char* name;
        int columns, fields;
    };
    for (File f :
         {File{"products.dat", 4, CatalogueFile::ProductFields}, File{"sites.dat", 3, CatalogueFile::SiteFields}}) {
        SCOPED_TRACE(f.name);
        const std::string path = kDist + "/data/" + f.name;
        ListRows rows(f.columns);
        ASSERT_NO_THROW(CatalogueFile::ReadList(rows, path));
        ASSERT_GE(rows.Count(), 2);
        for (int r = 0; r < rows.Count(); ++r) {
            SCOPED_TRACE(rows.Caption(r));
            EXPECT_FALSE(rows.Caption(r).empty());
            ExpectExampleLink(rows.Text(r, 1));
            if (f.columns == 4) {
                EXPECT_TRUE(known.count(rows.Text(r, 2))) << "unknown category " << rows.Text(r, 2);
            }
            EXPECT_EQ(rows.Text(r, f.columns - 1), ""); // no status is shipped
        }
        EXPECT_EQ(CatalogueFile::Format(rows, f.fields), Bytes(path));
    }
}

TEST(ShippedHelpFiles, EachMenuLanguageHasItsHelpText)
{
    for (const std::string language : {"English", "Russian"}) {
        SCOPED_TRACE(language);
        const std::string path = kDist + "/" + HelpFile::For(language);
        ASSERT_TRUE(std::filesystem::is_regular_file(path)) << path;
        const std::string text = Bytes(path);
        ExpectCrLfLines(text, path);
        EXPECT_TRUE(IsUtf8(text));
        EXPECT_EQ(HasCyrillic(text), language == "Russian");
        // Both tell the user where the program keeps its files.
        for (const char* name : {"data/products.dat", "data/sites.dat", "data/categories.dat", "quillpost.ini"})
            EXPECT_NE(text.find(name), std::string::npos) << name;
        // F1 finds each page's own section by the page's caption in that language.
        const std::string captions = LanguageFile::PathFor(kDist, language);
        std::set<std::size_t> pages;
        for (const char* tab : {"TabSheetProducts->Caption", "TabSheetAuto->Caption", "TabSheetManual->Caption"}) {
            const auto at = HelpFile::SectionOffset(text, IniFile::ReadString(captions, "Interface", tab, kMissing));
            ASSERT_TRUE(at.has_value()) << tab;
            pages.insert(*at);
        }
        EXPECT_EQ(pages.size(), 3u);
    }
}

// The build copies the shipped files beside the executable, where the program looks.
TEST(ShippedFilesBesideTheExecutable, LanguageFileIsFoundFromTheProgramFolder)
{
    const std::string path = LanguageFile::PathFor(QP_BIN_DIR, "Russian");
    ASSERT_TRUE(std::filesystem::is_regular_file(path)) << path;
    EXPECT_TRUE(Bytes(path) == Bytes(LanguageFile::PathFor(kDist, "Russian"))) << path << " is not the shipped file";
    EXPECT_TRUE(std::filesystem::is_regular_file(std::string(QP_BIN_DIR) + "/" + HelpFile::For("English")));
}
