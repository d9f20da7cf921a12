#include "submit/SiteTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// Method and path of every row, written out by hand from the list of the sites' scripts.
const std::vector<std::pair<std::string, std::string>> kExpectedRows = {
    {"GET", "/addpad.php"},            // 1
    {"GET", "/addpad.php"},            // 2
    {"POST", "/catalog/checkadd.php"}, // 3
    {"GET", "/addpad.php"},            // 4
    {"GET", "/addpad.php"},            // 5
    {"GET", "/addpad.php"},            // 6
    {"GET", "/addpad.php"},            // 7
    {"POST", "/checkadd.php"},         // 8
    {"GET", "/PAD/addpad.php"},        // 9
    {"POST", "/checkadd.php"},         // 10
    {"GET", "/submit/added.php"},      // 11
    {"GET", "/addpad.php"},            // 12
    {"GET", "/addpad.php"},            // 13
    {"GET", "/addpad.php"},            // 14
    {"GET", "/addpad.php"},            // 15
    {"GET", "/addpad.php"},            // 16
    {"GET", "/addpad.php"},            // 17
    {"POST", "/checkadd.php"},         // 18
    {"GET", "/addpad.php"},            // 19
    {"POST", "/padsite/checkadd.php"}, // 20
    {"GET", "/addpad.php"},            // 21
    {"GET", "/addpad.php"},            // 22
    {"POST", "/checkadd.php"},         // 23
    {"GET", "/addpad.php"},            // 24
    {"POST", "/software/checkadd.php"},// 25
    {"POST", "/submitcategory.php"},   // 26
    {"POST", "/checkadd.php"},         // 27
    {"GET", "/addpad.php"},            // 28
    {"GET", "/addpad.php"},            // 29
    {"GET", "/prosoft/addpad.php"},    // 30
    {"GET", "/pad/addpad.php"},        // 31
    {"GET", "/addpad.php"},            // 32
    {"GET", "/addpad.php"},            // 33
    {"GET", "/addpad.php"},            // 34
    {"GET", "/addpad.php"},            // 35
    {"POST", "/software/checkadd.php"},// 36
    {"POST", "/checkadd.php"},         // 37
    {"GET", "/addpad.php"},            // 38
    {"GET", "/addpad.php"},            // 39
    {"GET", "/addpad.php"},            // 40
    {"GET", "/addpad.php"},            // 41
    {"GET", "/addpad.php"},            // 42
    {"GET", "/addpad.php"},            // 43
    {"GET", "/addpad.php"},            // 44
    {"POST", "/checkadd.php"},         // 45
};

struct UrlParts {
    std::string Scheme;
    std::string Host;
    std::string Path;
};

// Splits "scheme://host/path" without any help from the code under test.
UrlParts Split(const std::string& url)
{
    UrlParts parts;
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos)
        return parts;
    parts.Scheme = url.substr(0, schemeEnd);
    const auto hostStart = schemeEnd + 3;
    const auto pathStart = url.find('/', hostStart);
    parts.Host = url.substr(hostStart, pathStart == std::string::npos ? std::string::npos : pathStart - hostStart);
    if (pathStart != std::string::npos)
        parts.Path = url.substr(pathStart);
    return parts;
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

} // namespace

TEST(SiteTableTest, EveryRowHasItsMethodAndAPlainHttpAddress)
{
    ASSERT_EQ(kExpectedRows.size(), 45u);
    const auto& rows = SiteTable::Rows();
    for (int i = 0; i < SiteTable::Count; ++i) {
        SCOPED_TRACE("row " + std::to_string(i + 1) + ": " + rows[i].ScriptUrl);
        const UrlParts url = Split(rows[i].ScriptUrl);
        EXPECT_EQ(url.Scheme, "http");
        EXPECT_EQ(rows[i].Method, kExpectedRows[i].first);
        EXPECT_EQ(url.Path, kExpectedRows[i].second);
        EXPECT_EQ(rows[i].ScriptUrl.find('?'), std::string::npos) << "no query part";
        EXPECT_EQ(rows[i].ScriptUrl.find('#'), std::string::npos);
        EXPECT_EQ(url.Host.find(':'), std::string::npos) << "no port";
    }
}

TEST(SiteTableTest, CountsPerMethodAndPath)
{
    std::map<std::pair<std::string, std::string>, int> counts;
    for (const SiteRecord& r : SiteTable::Rows())
        ++counts[{r.Method, Split(r.ScriptUrl).Path}];
    const std::map<std::pair<std::string, std::string>, int> expected = {
        {{"GET", "/addpad.php"}, 29},          {{"GET", "/PAD/addpad.php"}, 1},
        {{"GET", "/pad/addpad.php"}, 1},       {{"GET", "/prosoft/addpad.php"}, 1},
        {{"GET", "/submit/added.php"}, 1},     {{"POST", "/checkadd.php"}, 7},
        {{"POST", "/software/checkadd.php"}, 2}, {{"POST", "/catalog/checkadd.php"}, 1},
        {{"POST", "/padsite/checkadd.php"}, 1},  {{"POST", "/submitcategory.php"}, 1},
    };
    EXPECT_EQ(counts, expected);
}

TEST(SiteTableTest, TitlesAscendWithAndWithoutLetterCase)
{
    const auto& rows = SiteTable::Rows();
    for (int i = 1; i < SiteTable::Count; ++i) {
        const std::string& a = rows[i - 1].Title;
        const std::string& b = rows[i].Title;
        EXPECT_LT(a, b) << "byte order, rows " << i << " and " << i + 1;
        EXPECT_LT(Lower(a), Lower(b)) << "ignoring case, rows " << i << " and " << i + 1;
    }
    for (const SiteRecord& r : rows) {
        EXPECT_FALSE(r.Title.empty());
        EXPECT_EQ(r.Title.find('|'), std::string::npos) << r.Title;
    }
}

TEST(SiteTableTest, HostsAreDistinctAndUnderTheReservedExampleDomain)
{
    std::set<std::string> hosts;
    for (const SiteRecord& r : SiteTable::Rows()) {
        const std::string host = Lower(Split(r.ScriptUrl).Host);
        ASSERT_GT(host.size(), 8u) << r.ScriptUrl;
        EXPECT_EQ(host.substr(host.size() - 8), ".example") << r.ScriptUrl;
        hosts.insert(host);
    }
    EXPECT_EQ(hosts.size(), 45u);
}

TEST(SiteTableTest, FieldNamesAndMarkerAreTheSameInEveryRow)
{
    for (const SiteRecord& r : SiteTable::Rows()) {
        SCOPED_TRACE(r.Title);
        EXPECT_EQ(r.LinkField, "padurl");
        EXPECT_EQ(r.CategoryField, "padcat");
        EXPECT_EQ(r.EmailField, "email");
        EXPECT_EQ(r.SuccessMarker, "successfully");
    }
}

TEST(SiteTableTest, AtReturnsTheRowAndRejectsIndexesOutsideTheTable)
{
    EXPECT_EQ(&SiteTable::At(0), &SiteTable::Rows()[0]);
    EXPECT_EQ(&SiteTable::At(44), &SiteTable::Rows()[44]);
    EXPECT_EQ(Split(SiteTable::At(2).ScriptUrl).Path, "/catalog/checkadd.php");
    EXPECT_THROW(SiteTable::At(-1), std::out_of_range);
    EXPECT_THROW(SiteTable::At(45), std::out_of_range);
    EXPECT_THROW(SiteTable::At(1 << 30), std::out_of_range);
}
