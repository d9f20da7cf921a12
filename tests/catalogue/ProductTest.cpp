#include "catalogue/Product.h"

#include "catalogue/ListRows.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(Product, ARowGivesItsTitleLinkCategoryAndStatusAndTheStatusIsWrittenBack)
{
    ListRows list(4, true);
    list.Add(ListRow{"Tidy Notes", {"http://a/t.xml", "Business::Finance", "?"}});
    list.Add(ListRow{"Audio Tool", {"http://a/a.xml", "Audio & Multimedia::Other", ""}});
    EXPECT_EQ(ProductAt(list, 0), (Product{"Audio Tool", "http://a/a.xml", "Audio & Multimedia::Other", ""}));
    EXPECT_EQ(ProductAt(list, 1), (Product{"Tidy Notes", "http://a/t.xml", "Business::Finance", "?"}));
    SetProductStatus(list, 0, "Yes");
    EXPECT_EQ(ProductAt(list, 0).Validation, "Yes");
    EXPECT_EQ(ProductAt(list, 0).Category, "Audio & Multimedia::Other");
    EXPECT_THROW(ProductAt(list, 2), std::out_of_range);
}
