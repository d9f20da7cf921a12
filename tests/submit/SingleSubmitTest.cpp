#include "submit/SingleSubmit.h"

#include "catalogue/ListRows.h"
#include "submit/SiteTable.h"

#include <gtest/gtest.h>

namespace {

TEST(SingleSubmitTest, OneCheckedProductAndASelectedSiteMakeTheRequestElseAMessage)
{
    ListRows products(4, true);
    auto add = [&](const char* title, bool checked) {
        ListRow row;
        row.Caption = title;
        row.SubItems = {std::string("http://pad.example/") + title + ".xml", "Audio & Video Tools", ""};
        row.Checked = checked;
        products.Add(std::move(row));
    };
    const SiteTable& sites = SiteTable::BuiltIn();
    EXPECT_EQ(SingleSubmit::Prepare(products, 0, sites).Message, "Check a product !");
    add("Beta", true);
    add("Alpha", true);
    EXPECT_EQ(SingleSubmit::Prepare(products, 0, sites).Message, "Check only one product !");
    products.SetChecked(0, false); // Alpha
    EXPECT_EQ(SingleSubmit::Prepare(products, -1, sites).Message, "Select Item First ! ");

    // Row 3 is a POST site: the same address as a GET site, and the query as the body.
    const SingleSubmit::Request post = SingleSubmit::Prepare(products, 2, sites);
    ASSERT_EQ(sites.At(2).Method, "POST");
    EXPECT_EQ(post.Message, "");
    EXPECT_EQ(post.SiteRow, 2);
    EXPECT_EQ(post.PostData, "padurl=http://pad.example/Beta.xml&padcat=Audio+%26+Video+Tools");
    EXPECT_EQ(post.Address, sites.At(2).ScriptUrl + "?" + post.PostData);
    EXPECT_EQ(post.Prepared.ScriptUrl, sites.At(2).ScriptUrl);
    EXPECT_EQ(post.Prepared.LinkField, "padurl");
    EXPECT_EQ(post.Prepared.PadLink, "http://pad.example/Beta.xml");
    const SingleSubmit::Request get = SingleSubmit::Prepare(products, 0, sites);
    EXPECT_EQ(get.Address, sites.At(0).ScriptUrl + "?" + get.PostData);
}

} // namespace
