// Validate PADs and Validate PAD in the real main window, with real workers and sockets
// against servers on 127.0.0.1.
#include "app/ui/TestProgram.h"
#include "catalogue/ListColumns.h"
#include "common/ProxySetting.h"
#include "submit/ui/PadCommands.h"
#include "submit/ui/SubmitCommands.h"
#include "support/PadFiles.h"
#include "support/ScriptedServer.h"

#include "submit/ui/WindowRunHelpers.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QTest>

#include <string>

namespace {

using S = ScriptedServer;

} // namespace

TEST(ValidateThroughWindow, ValidatePadsTurnsOneRowGreenAndOneRedTheTipNamesTheReasonAndTheFileKeepsTheWords)
{
    // Through a proxy on 127.0.0.1 the PAD links can name any address, and the good file names its own.
    const std::string good = "http://pad.example/good.xml";
    S proxy(std::vector<S::Script>{Reply("HTTP/1.0 200 OK\r\n\r\n" + ValidPad(good)),
                                   Reply("HTTP/1.0 404 Not Found\r\n\r\nNo such file")});
    TestProgram p;
    p.dir.Write("data/products.dat",
                "A good|" + good + "|System Utilities::Text/Document Editors|\r\n" +
                    "B missing|http://pad.example/missing.xml|System Utilities::Text/Document Editors|\r\n" +
                    "C unchecked|http://pad.example/c.xml|System Utilities::Text/Document Editors|\r\n");
    auto form = p.Start();
    form->Submission().SetProxy({"127.0.0.1", proxy.Port()});
    form->Submission().SetSpeed(1); // one after the other, so the proxy's replies go in order
    ListRows& products = form->ProductsList();
    products.SetChecked(0, true);
    products.SetChecked(1, true);

    FindAction(form.get(), "AValidatePads")->trigger();
    ASSERT_TRUE(WaitFor([&] { return !form->PadChecks().Validating(); }));
    EXPECT_EQ(products.Text(0, ProductColumn::Status), "Yes");
    EXPECT_EQ(products.Text(1, ProductColumn::Status), "No");
    EXPECT_EQ(products.Text(2, ProductColumn::Status), "");

    QAbstractItemModel* model = form->ListViewProducts()->model();
    const QString redTip = model->data(model->index(1, 0), Qt::ToolTipRole).toString();
    EXPECT_TRUE(redTip.contains(QStringLiteral("the server answered 404 instead of the file"))) << redTip.toStdString();
    EXPECT_EQ(model->data(model->index(0, 0), Qt::ToolTipRole).toString(), QString::fromStdString(good));

    const std::string report = form->PadChecks().LastValidationReport();
    ASSERT_FALSE(report.empty());
    EXPECT_NE(report.find("/reports/validate-"), std::string::npos);
    const std::string text = p.dir.Read(report.substr(p.dir.Path().size() + 1));
    EXPECT_NE(text.find("Yes\tA good\n"), std::string::npos) << text;
    EXPECT_NE(text.find("No\tB missing\n"), std::string::npos) << text;

    // Validate PAD asks for a selected product first.
    FindAction(form.get(), "AValidatePad")->trigger();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Select Item First ! "});

    form->close();
    const std::string saved = p.dir.Read("data/products.dat");
    EXPECT_NE(saved.find("A good|" + good + "|System Utilities::Text/Document Editors|Yes|"), std::string::npos)
        << saved;
    EXPECT_NE(saved.find("B missing|http://pad.example/missing.xml|System Utilities::Text/Document Editors|No|"),
              std::string::npos)
        << saved;

    // After a restart the "No" still says why, from the history; a "Yes" has nothing to say.
    form.reset();
    auto again = p.Start();
    QAbstractItemModel* shown = again->ListViewProducts()->model();
    EXPECT_EQ(shown->data(shown->index(1, 0), Qt::ToolTipRole).toString(), redTip);
    EXPECT_EQ(shown->data(shown->index(0, 0), Qt::ToolTipRole).toString(), QString::fromStdString(good));
}
