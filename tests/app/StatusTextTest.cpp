#include "app/StatusText.h"

#include <gtest/gtest.h>

TEST(StatusText, Panels)
{
    EXPECT_EQ(StatusText::Total(0), " Total: 0");
    EXPECT_EQ(StatusText::Total(12), " Total: 12");
    EXPECT_EQ(StatusText::Row("Tool", "http://x/pad.xml"), "Tool - http://x/pad.xml");
}
