#include "submit/SiteTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// Method and path of every row, written out by hand from the list of the sites' scripts.
const std::vector<std::pair<std::string, std::string>> kExpectedRows = {
    {"GET", "/addpad.php"},             // 1
    {"GET", "/addpad.php"},             // 2
    {"POST", "/catalog/checkadd.php"},  // 3
    {"GET", "/addpad.php"},             // 4
    {"GET", "/addpad.php"},             // 5
    {"GET", "/addpad.php"},             // 6
    {"GET", "/addpad.php"},             // 7
    {"POST", "/checkadd.php"},          // 8
    {"GET", "/PAD/addpad.php"},         // 9
    {"POST", "/checkadd.php"},          // 10
    {"GET", "/submit/added.php"},       // 11
    {"GET", "/addpad.php"},             // 12
    {"GET", "/addpad.php"},             // 13
    {"GET", "/addpad.php"},             // 14
    {"GET", "/addpad.php"},             // 15
    {"GET", "/addpad.php"},             // 16
    {"GET", "/addpad.php"},             // 17
    {"POST", "/checkadd.php"},          // 18
    {"GET", "/addpad.php"},             // 19
    {"POST", "/padsite/checkadd.php"},  // 20
    {"GET", "/addpad.php"},             // 21
    {"GET", "/addpad.php"},             // 22
    {"POST", "/checkadd.php"},          // 23
    {"GET", "/addpad.php"},             // 24
    {"POST", "/software/checkadd.php"}, // 25
    {"POST", "/submitcategory.php"},    // 26
    {"POST", "/checkadd.php"},          // 27
    {"GET", "/addpad.php"},             // 28
    {"GET", "/addpad.php"},             // 29
    {"GET", "/prosoft/addpad.php"},     // 30
    {"GET", "/pad/addpad.php"},         // 31
    {"GET", "/addpad.php"},             // 32
    {"GET", "/addpad.php"},             // 33
    {"GET", "/addpad.php"},             // 34
    {"GET", "/addpad.php"},             // 35
    {"POST", "/software/checkadd.php"}, // 36
    {"POST", "/checkadd.php"},          // 37
    {"GET", "/addpad.php"},             // 38
    {"GET", "/addpad.php"},             // 39
    {"GET", "/addpad.php"},             // 40
    {"GET", "/addpad.php"},             // 41
    {"GET", "/addpad.php"},             // 42
    {"GET", "/addpad.php"},             // 43
    {"GET", "/addpad.php"},             // 44
    {"POST", "/checkadd.php"},          // 45
};

// Splits "scheme://host/path" into its three parts without any help from the code under test.
std::array<std::string, 3> Split(const std::string& url)
{
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos) return {};
    const auto pathStart = url.find('/', schemeEnd + 3);
    return {url.substr(0, schemeEnd), url.substr(schemeEnd + 3, pathStart - (schemeEnd + 3)),
            pathStart == std::string::npos ? std::string() : url.substr(pathStart)};
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

} // namespace

TEST(SiteTableTest, EveryRowHasItsMethodPathFieldsAndADistinctPlainHttpHost)
{
    ASSERT_EQ(kExpectedRows.size(), SiteTable::BuiltIn().Rows().size());
    std::set<std::string> hosts;
    for (int i = 0; i < SiteTable::BuiltInCount; ++i) {
        const SiteRecord& r = SiteTable::BuiltIn().Rows()[i];
        SCOPED_TRACE("row " + std::to_string(i + 1) + ": " + r.ScriptUrl);
        const auto [scheme, host, path] = Split(r.ScriptUrl);
        EXPECT_EQ(scheme, "http");
        EXPECT_EQ(r.Method, kExpectedRows[i].first);
        EXPECT_EQ(path, kExpectedRows[i].second);
        EXPECT_EQ(r.ScriptUrl.find_first_of("?#"), std::string::npos) << "no query or fragment";
        EXPECT_EQ(host.find(':'), std::string::npos) << "no port";
        ASSERT_GT(host.size(), 8u);
        EXPECT_EQ(Lower(host).substr(host.size() - 8), ".example");
        hosts.insert(Lower(host));
        EXPECT_EQ(r.LinkField, "padurl");
        EXPECT_EQ(r.CategoryField, "padcat");
        EXPECT_EQ(r.EmailField, "email");
        EXPECT_EQ(r.SuccessMarker, "successfully");
    }
    EXPECT_EQ(hosts.size(), 45u);
}

TEST(SiteTableTest, TitlesAscendWithAndWithoutLetterCase)
{
    const auto& rows = SiteTable::BuiltIn().Rows();
    for (int i = 0; i < SiteTable::BuiltInCount; ++i) {
        const std::string& b = rows[i].Title;
        EXPECT_FALSE(b.empty());
        EXPECT_EQ(b.find('|'), std::string::npos) << b;
        if (i == 0) continue;
        const std::string& a = rows[i - 1].Title;
        EXPECT_LT(a, b) << "byte order, rows " << i << " and " << i + 1;
        EXPECT_LT(Lower(a), Lower(b)) << "ignoring case, rows " << i << " and " << i + 1;
    }
}

TEST(SiteTableTest, AtReturnsTheRowAndRejectsIndexesOutsideTheTable)
{
    EXPECT_EQ(&SiteTable::BuiltIn().At(0), &SiteTable::BuiltIn().Rows()[0]);
    EXPECT_EQ(&SiteTable::BuiltIn().At(44), &SiteTable::BuiltIn().Rows()[44]);
    for (int outside : {-1, 45, 1 << 30}) EXPECT_THROW(SiteTable::BuiltIn().At(outside), std::out_of_range) << outside;
}
