#include "common/ProxySetting.h"

#include <gtest/gtest.h>

#include <string>

// Each fault the dialog refuses is named, and the first fault found is the one told.
TEST(ProxySettingTest, CheckNamesWhatIsWrongWithHostOrPort)
{
    EXPECT_EQ(ProxySetting::Check("", "8080"), ProxySetting::NoHostText);
    EXPECT_EQ(ProxySetting::Check("   ", "8080"), ProxySetting::NoHostText);
    EXPECT_EQ(ProxySetting::Check("proxy local", "8080"), ProxySetting::BadHostText);
    EXPECT_EQ(ProxySetting::Check(std::string("pro\x01xy"), "8080"), ProxySetting::BadHostText);
    EXPECT_EQ(ProxySetting::Check("pro\nxy", "8080"), ProxySetting::BadHostText);
    EXPECT_EQ(ProxySetting::Check("proxy:1", "8080"), ProxySetting::BadHostText);
    EXPECT_EQ(ProxySetting::Check("proxy", ""), ProxySetting::NoPortText);
    for (const char* port : {"0", "65536", "99999", "123456", "-1", "+80", "80a", "8 0", "0x50"})
        EXPECT_EQ(ProxySetting::Check("proxy", port), ProxySetting::BadPortText) << port;
    EXPECT_EQ(ProxySetting::Check("proxy.example", "1"), "");
    EXPECT_EQ(ProxySetting::Check(" 10.0.0.1 ", " 65535 "), "");
}

TEST(ProxySettingTest, MakeTrimsAndTextGivesHostColonPort)
{
    const auto s = ProxySetting::Make(" 10.0.0.1 ", " 03128");
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->Host, "10.0.0.1");
    EXPECT_EQ(s->Port, 3128);
    EXPECT_EQ(s->Text(), "10.0.0.1:3128");
    EXPECT_FALSE(ProxySetting::Make("proxy", "70000").has_value());
    EXPECT_EQ(ProxySetting{}.Text(), "");
    EXPECT_FALSE(ProxySetting{}.Used());
}

// A value in the settings file that is no good setting is not used: a run then connects
// directly rather than through half a proxy.
TEST(ProxySettingTest, ParseReadsTheStoredValueAndRejectsDamagedOnes)
{
    const auto none = ProxySetting::Parse("");
    ASSERT_TRUE(none.has_value());
    EXPECT_FALSE(none->Used());

    const auto good = ProxySetting::Parse("proxy.example:8080");
    ASSERT_TRUE(good.has_value());
    EXPECT_EQ(good->Host, "proxy.example");
    EXPECT_EQ(good->Port, 8080);
    // What Text writes, Parse reads back.
    EXPECT_EQ(ProxySetting::Parse(good->Text())->Text(), "proxy.example:8080");

    for (const char* bad : {"proxy.example", "proxy.example:", ":8080", "a:b:8080", "proxy:0", "proxy:65536",
                            "two words:80", "proxy:80x"})
        EXPECT_FALSE(ProxySetting::Parse(bad).has_value()) << bad;
}
