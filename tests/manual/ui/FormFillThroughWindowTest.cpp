// The whole road of the form filling in the real main window: a submission prepared for a
// site, the user visits a manual site whose link is that site's script, the page's
// PAD-link field is filled once the page has loaded; or the user submits a manual site for the
// product selected.
#include "app/ui/TestProgram.h"
#include "manual/ui/TBrowserPanel.h"
#include "support/ui/LocalWebServer.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

namespace {

QString FieldValue(TBrowserPanel* panel, const char* id)
{
    // The answer may come after a time-out: it lands in state that outlives this call.
    struct Answer {
        bool done = false;
        QString value;
    };
    auto answer = std::make_shared<Answer>();
    panel->View()->page()->runJavaScript(
        QStringLiteral("document.getElementById('%1').value").arg(QString::fromLatin1(id)),
        [answer](const QVariant& v) {
            answer->value = v.toString();
            answer->done = true;
        });
    for (int i = 0; i < 3000 && !answer->done; ++i) QTest::qWait(10);
    EXPECT_TRUE(answer->done);
    return answer->value;
}

} // namespace

TEST(FormFillThroughWindow, VisitingThePreparedScriptFillsItsPadLinkFieldOnly)
{
    LocalWebServer server;
    ASSERT_TRUE(server.IsListening());
    server.SetPage("/addpad.php", "<!DOCTYPE html><html><body><form><input name=\"title\" id=\"title\">"
                                  "<input name=\"padurl\" id=\"pad\"></form></body></html>");
    server.SetPage("/other.php", "<!DOCTYPE html><html><body><form>"
                                 "<input name=\"padurl\" id=\"pad\"></form></body></html>");
    const std::string script = server.Url(QStringLiteral("/addpad.php")).toStdString();
    const std::string other = server.Url(QStringLiteral("/other.php")).toStdString();
    // A PAD link a hostile catalogue could hold: it must land as typed.
    const std::string padLink = "http://x.example/p.xml\"';</script><b>\\n";

    TestProgram p;
    p.dir.Write("data/sites.dat", "Other|" + other + "|\r\nScript|" + script + "|\r\n");
    auto form = p.Start();
    form->SetSubmission(script, "padurl", padLink);
    TBrowserPanel* panel = form->PanelBrowser();

    // A site that is not the prepared one: loaded, nothing filled.
    QSignalSpy complete(panel, &TBrowserPanel::DocumentComplete);
    form->ListViewManual()->SelectRows({0});
    FindAction(form.get(), "AVisitManual")->trigger();
    ASSERT_TRUE(complete.wait(60000));
    EXPECT_EQ(FieldValue(panel, "pad"), QString());

    // The prepared site's script: its PAD-link field, and only that, is filled.
    form->ListViewManual()->SelectRows({1});
    FindAction(form.get(), "AVisitManual")->trigger();
    ASSERT_TRUE(complete.wait(60000));
    QString filled;
    for (int i = 0; i < 300 && filled.isEmpty(); ++i) {
        filled = FieldValue(panel, "pad");
        if (filled.isEmpty()) QTest::qWait(10);
    }
    EXPECT_EQ(filled.toStdString(), padLink);
    EXPECT_EQ(FieldValue(panel, "title"), QString());
    EXPECT_TRUE(p.Messages().empty());
}

TEST(FormFillThroughWindow, SubmitOfTheSiteListFillsItsPageForTheProductSelectedAndIsOfferedOnlyWithOne)
{
    LocalWebServer server;
    ASSERT_TRUE(server.IsListening());
    server.SetPage("/form.php",
                   "<!DOCTYPE html><html><body><form><input name=\"padurl\" id=\"pad\"></form></body></html>");
    const std::string site = server.Url(QStringLiteral("/form.php")).toStdString();

    TestProgram p;
    p.dir.Write("data/products.dat", "Alpha|http://pad.example/alpha.xml|Games|\r\nBare||Games|\r\n");
    p.dir.Write("data/sites.dat", "Form|" + site + "|\r\n");
    auto form = p.Start();
    auto* popup = form->findChild<QMenu*>(QStringLiteral("PopupMenuManual"));
    QAction* submit = FindAction(form.get(), "MenuItem1");
    auto offered = [&] {
        popup->popup(QPoint(0, 0));
        const bool enabled = submit->isEnabled();
        popup->hide();
        return enabled;
    };
    EXPECT_FALSE(offered()); // no product selected
    form->ListViewProducts()->SelectRows({1});
    EXPECT_FALSE(offered()); // one without a PAD link
    form->ListViewProducts()->SelectRows({0});
    ASSERT_TRUE(offered());

    TBrowserPanel* panel = form->PanelBrowser();
    QSignalSpy complete(panel, &TBrowserPanel::DocumentComplete);
    form->ListViewManual()->SelectRows({0});
    submit->trigger();
    ASSERT_TRUE(complete.wait(60000));
    QString filled;
    for (int i = 0; i < 300 && filled.isEmpty(); ++i) {
        filled = FieldValue(panel, "pad");
        if (filled.isEmpty()) QTest::qWait(10);
    }
    EXPECT_EQ(filled, QStringLiteral("http://pad.example/alpha.xml"));
    EXPECT_TRUE(p.Messages().empty());
}
