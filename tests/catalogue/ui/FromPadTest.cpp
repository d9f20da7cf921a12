// From PAD in Add Product and Edit Product, through the real main window, with real workers
// and sockets against servers on 127.0.0.1.
#include "app/ui/TestProgram.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ui/TItemDialog.h"
#include "submit/ui/PadCommands.h"
#include "submit/ui/SubmitCommands.h"
#include "support/PadFiles.h"
#include "support/ScriptedServer.h"

#include "submit/ui/WindowRunHelpers.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using S = ScriptedServer;

const std::string Category = "System Utilities::Text/Document Editors";

int RowOf(const ListRows& list, const std::string& title)
{
    for (int i = 0; i < list.Count(); ++i)
        if (list.Caption(i) == title) return i;
    return -1;
}

} // namespace

TEST(FromPad, AValidFileFillsTitleAndCategoryA404ShowsWhyAndChangesNothingAndCancelBreaksAFetchOff)
{
    // Through a proxy on 127.0.0.1, as Validate PADs goes: the links can name any address.
    S proxy(std::vector<S::Script>{Reply("HTTP/1.0 200 OK\r\n\r\n" + ValidPad("http://pad.example/other.xml")),
                                   Reply("HTTP/1.0 404 Not Found\r\n\r\nNo such file"),
                                   S::Script{S::ReadUntil("\r\n\r\n"), S::Hold()}});
    TestProgram p;
    auto form = p.Start();
    form->Submission().SetProxy({"127.0.0.1", proxy.Port()});
    ListRows& list = form->ProductsList();

    bool disabledWhileFetching = false;
    TItemDialog::setExecHook([&](TItemDialog& d) {
        d.EditTitle()->setText(QStringLiteral("Typed title"));
        d.EditLink()->setText(QStringLiteral("http://pad.example/tidy.xml"));
        QTest::mouseClick(d.ButtonFromPad(), Qt::LeftButton);
        disabledWhileFetching = !d.ButtonFromPad()->isEnabled();
        ASSERT_TRUE(WaitFor([&] { return d.ButtonFromPad()->isEnabled(); }));
        EXPECT_TRUE(d.LabelFromPad()->isHidden());
        QTest::mouseClick(d.ButtonOk(), Qt::LeftButton);
    });
    FindAction(form.get(), "AAddProduct")->trigger();
    EXPECT_TRUE(disabledWhileFetching);
    EXPECT_EQ(proxy.Received(0).substr(0, 37), "GET http://pad.example/tidy.xml HTTP/");
    const int row = RowOf(list, "Tidy Notes 2.4");
    ASSERT_GE(row, 0);
    EXPECT_EQ(list.Text(row, ProductColumn::PadLink), "http://pad.example/tidy.xml");
    EXPECT_EQ(list.Text(row, ProductColumn::Category), Category);

    std::string title, category;
    TItemDialog::setExecHook([&](TItemDialog& d) {
        d.EditLink()->setText(QStringLiteral("http://pad.example/gone.xml"));
        QTest::mouseClick(d.ButtonFromPad(), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return d.ButtonFromPad()->isEnabled(); }));
        EXPECT_TRUE(d.LabelFromPad()->isVisible());
        EXPECT_TRUE(d.LabelFromPad()->text().contains(QStringLiteral("the server answered 404 instead of the file")))
            << d.LabelFromPad()->text().toStdString();
        title = d.TitleText();
        category = d.CategoryText();

        // The third request is never answered: Cancel ends the dialog and the fetch with it.
        QTest::mouseClick(d.ButtonFromPad(), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return proxy.Connections() == 3; }));
        QTest::mouseClick(d.ButtonCancel(), Qt::LeftButton);
        EXPECT_FALSE(d.isVisible());
        EXPECT_TRUE(d.ButtonFromPad()->isEnabled());
    });
    form->ListViewProducts()->SelectRows({row});
    FindAction(form.get(), "AEditProduct")->trigger();
    EXPECT_FALSE(form->PadChecks().FromPad().Busy());
    EXPECT_EQ(title, "Tidy Notes 2.4");
    EXPECT_EQ(category, Category);
    EXPECT_EQ(list.Text(RowOf(list, "Tidy Notes 2.4"), ProductColumn::PadLink), "http://pad.example/tidy.xml");
}
