#include "catalogue/CaptionCollator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Sorted(const CaptionCollator& c, std::vector<std::string> v)
{
    std::sort(v.begin(), v.end(), [&](const std::string& a, const std::string& b) { return c.Compare(a, b) < 0; });
    return v;
}

} // namespace

TEST(CaptionCollator, CAndPosixUseTheRootCollation)
{
    EXPECT_EQ(CaptionCollator("C").LocaleName(), "root");
    EXPECT_EQ(CaptionCollator("POSIX").LocaleName(), "root");
    EXPECT_EQ(CaptionCollator("C.UTF-8").LocaleName(), "root");
}

TEST(CaptionCollator, OrdersLettersBeforeCaseAndCaseBeforeNothing)
{
    CaptionCollator c("C");
    // Byte order would put every capital before every small letter.
    EXPECT_EQ(Sorted(c, {"banana", "Cherry", "apple", "Banana", "cherry", "Apple"}),
              (std::vector<std::string>{"apple", "Apple", "banana", "Banana", "cherry", "Cherry"}));
    // Case-sensitive: texts differing only in case are never equal.
    EXPECT_NE(c.Compare("tool", "Tool"), 0);
    EXPECT_EQ(c.Compare("Tool", "Tool"), 0);
}

TEST(CaptionCollator, AccentsSortBesideTheirBaseLetter)
{
    CaptionCollator c("C");
    // UTF-8 bytes: "é" (C3 A9) is above every ASCII letter in byte order.
    EXPECT_EQ(Sorted(c, {"ezra", "\xC3\xA9t\xC3\xA9", "etna", "fig"}),
              (std::vector<std::string>{"\xC3\xA9t\xC3\xA9", "etna", "ezra", "fig"}));
}

TEST(CaptionCollator, CyrillicInALocaleWithAnEightBitCodePage)
{
    // "Яблоко" and "арбуз" in Windows-1251: byte order puts capital Я (0xDF) before а (0xE0);
    // a Russian reader expects а before Я.
    CaptionCollator c("ru_RU.CP1251");
    std::string ya = "\xDF\xE1\xEB\xEE\xEA\xEE", a = "\xE0\xF0\xE1\xF3\xE7";
    EXPECT_LT(c.Compare(a, ya), 0);
    EXPECT_LT(c.SortKey(a), c.SortKey(ya));
}

TEST(CaptionCollator, SortKeysAgreeWithCompare)
{
    CaptionCollator c("en_US.UTF-8");
    std::vector<std::string> words{"",  "a", "A",  "ab", "Ab",           "b",   "\xC3\xA9", "e",
                                   "E", "z", "10", "9",  "\xFF\xFE bad", "a b", "a-b",      "ab "};
    for (const auto& x : words)
        for (const auto& y : words) {
            int byCompare = c.Compare(x, y);
            int byKey = c.SortKey(x).compare(c.SortKey(y));
            EXPECT_EQ(byCompare < 0, byKey < 0) << x << " vs " << y;
            EXPECT_EQ(byCompare == 0, byKey == 0) << x << " vs " << y;
            EXPECT_EQ(byCompare == 0, x == y) << x << " vs " << y;
        }
}

// ICU counts a sort key's length in an int32_t, and a long text costs it many times its size:
// a caption is collated by its first 64 KiB, the bytes after that only break ties.
TEST(CaptionCollator, AVeryLongCaptionCostsICUOnlyItsStart)
{
    const CaptionCollator c("en_US.UTF-8");
    const std::string start(4 << 20, 'b');
    std::string key;
    std::u16string scratch;
    c.AppendCollationKey(start + "tail", key, scratch);
    EXPECT_LT(key.size(), 1u << 20);
    const std::vector<std::string> texts = {start + "B", "C", start + "a", "a" + start, start};
    for (const std::string& a : texts)
        for (const std::string& b : texts)
            EXPECT_EQ(c.Compare(a, b) < 0, c.SortKey(a) < c.SortKey(b)) << a.substr(a.size() - 1) << b.size();
    EXPECT_LT(c.Compare(start, "C"), 0); // by collation, not by bytes
}
