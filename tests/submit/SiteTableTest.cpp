#include "submit/SiteTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <set>
#include <stdexcept>
#include <string>

namespace {

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

TEST(SiteTableTest, FortyFiveRowsOfBothMethodsEachWithAScriptPathFieldsAndADistinctPlainHttpHost)
{
    ASSERT_EQ(SiteTable::BuiltIn().Rows().size(), 45u);
    std::set<std::string> hosts;
    std::set<std::string> methods;
    for (int i = 0; i < SiteTable::BuiltInCount; ++i) {
        const SiteRecord& r = SiteTable::BuiltIn().Rows()[i];
        SCOPED_TRACE("row " + std::to_string(i + 1) + ": " + r.ScriptUrl);
        const auto [scheme, host, path] = Split(r.ScriptUrl);
        EXPECT_EQ(scheme, "http");
        methods.insert(r.Method);
        EXPECT_TRUE(r.Method == "GET" || r.Method == "POST") << r.Method;
        ASSERT_GT(path.size(), 5u);
        EXPECT_EQ(path.substr(path.size() - 4), ".php") << path;
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
    EXPECT_EQ(methods.size(), 2u) << "both methods are in use";
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
