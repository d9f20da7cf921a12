// The files that ship beside the executable, read from the source tree with the
// program's own readers.
#include "app/IniFile.h"
#include "catalogue/CatalogueFile.h"
#include "catalogue/ListRows.h"
#include "lang/HelpFile.h"
#include "lang/LanguageFile.h"
#include "lang/LanguageKeys.h"

#include <gtest/gtest.h>

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
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << what << ": lone CR at byte " << i;
        }
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << what << ": lone LF at byte " << i;
        }
    }
}

bool IsUtf8(const std::string& s)
{
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t extra = 0;
        if (c < 0x80)
            extra = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            extra = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            extra = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            extra = 3;
        else
            return false;
        if (i + extra >= s.size())
            return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

bool HasCyrillic(const std::string& s)
{
    // Cyrillic letters of the basic block are 0xD0 or 0xD1 followed by a continuation byte.
    for (size_t i = 0; i + 1 < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if ((c == 0xD0 || c == 0xD1) && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80)
            return true;
    }
    return false;
}

bool HasOuterBlank(const std::string& s)
{
    return !s.empty() && (s.front() == ' ' || s.back() == ' ');
}

// The language file's lines must be the section header and then one line per key, in
// the order in which a language is applied.
void ExpectKeysInOrderAndNothingElse(const std::string& path)
{
    const std::string bytes = Bytes(path);
    ExpectCrLfLines(bytes, path);
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF") << path << " starts with a byte-order mark";
    const std::vector<std::string> lines = CatalogueFile::SplitLines(bytes);
    ASSERT_EQ(lines.size(), 1u + LanguageKeys::Count) << path;
    EXPECT_EQ(lines[0], "[Interface]");
    for (int i = 0; i < LanguageKeys::Count; ++i) {
        const std::string prefix = std::string(LanguageKeys::All()[i].Key) + "=";
        EXPECT_EQ(lines[i + 1].compare(0, prefix.size(), prefix), 0)
            << path << " line " << i + 2 << " is \"" << lines[i + 1] << "\", expected key " << prefix;
    }
}

} // namespace

TEST(ShippedLanguageFiles, HoldEveryKeyInOrderAndNothingElse)
{
    ExpectKeysInOrderAndNothingElse(LanguageFile::PathFor(kDist, "English"));
    ExpectKeysInOrderAndNothingElse(LanguageFile::PathFor(kDist, "Russian"));
}

TEST(ShippedLanguageFiles, EnglishReadsBackAsTheBuiltInTextsBlanksIncluded)
{
    const std::string path = LanguageFile::PathFor(kDist, "English");
    for (const LanguageKey& k : LanguageKeys::All())
        EXPECT_EQ(IniFile::ReadString(path, "Interface", k.Key, kMissing), k.English) << k.Key;
}

TEST(ShippedLanguageFiles, RussianIsTranslatedAndKeepsTheSameBlanks)
{
    const std::string path = LanguageFile::PathFor(kDist, "Russian");
    EXPECT_TRUE(IsUtf8(Bytes(path)));
    // Only the English entry of the language menu and the web address stay as they are.
    const std::set<std::string> untranslated = {"MLangEnglish->Caption", "AboutBox->LabelSite->Caption"};
    int same = 0;
    for (const LanguageKey& k : LanguageKeys::All()) {
        SCOPED_TRACE(k.Key);
        const std::string value = IniFile::ReadString(path, "Interface", k.Key, kMissing);
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
        EXPECT_FALSE(cls.empty()) << c;
        EXPECT_FALSE(sub.empty()) << c;
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

    const std::string productsPath = kDist + "/data/products.dat";
    ListRows products(4);
    ASSERT_NO_THROW(CatalogueFile::ReadList(products, productsPath));
    ASSERT_GE(products.Count(), 2);
    for (int r = 0; r < products.Count(); ++r) {
        SCOPED_TRACE(products.Caption(r));
        EXPECT_FALSE(products.Caption(r).empty());
        const std::string& link = products.Text(r, 1);
        EXPECT_EQ(link.rfind("http://", 0), 0u) << link;
        const std::string host = link.substr(7, link.find('/', 7) - 7);
        EXPECT_GT(host.size(), 8u);
        EXPECT_EQ(host.substr(host.size() - 8), ".example") << link;
        EXPECT_TRUE(known.count(products.Text(r, 2))) << "unknown category " << products.Text(r, 2);
        EXPECT_EQ(products.Text(r, 3), "");
    }
    EXPECT_EQ(CatalogueFile::Format(products, CatalogueFile::ProductFields), Bytes(productsPath));

    const std::string sitesPath = kDist + "/data/sites.dat";
    ListRows sites(3);
    ASSERT_NO_THROW(CatalogueFile::ReadList(sites, sitesPath));
    ASSERT_GE(sites.Count(), 2);
    for (int r = 0; r < sites.Count(); ++r) {
        SCOPED_TRACE(sites.Caption(r));
        EXPECT_FALSE(sites.Caption(r).empty());
        const std::string& link = sites.Text(r, 1);
        EXPECT_EQ(link.rfind("http://", 0), 0u) << link;
        const std::string host = link.substr(7, link.find('/', 7) - 7);
        EXPECT_GT(host.size(), 8u);
        EXPECT_EQ(host.substr(host.size() - 8), ".example") << link;
        EXPECT_EQ(sites.Text(r, 2), "");
    }
    EXPECT_EQ(CatalogueFile::Format(sites, CatalogueFile::SiteFields), Bytes(sitesPath));
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
