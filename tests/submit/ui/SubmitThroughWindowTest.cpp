// Submit All, Submit and Test PAD(s) in the real main window, with real workers
// and sockets against servers on 127.0.0.1.
#include "app/ui/TestProgram.h"
#include "catalogue/ListColumns.h"
#include "history/HistoryStore.h"
#include "manual/ui/TBrowserPanel.h"
#include "submit/SiteTable.h"
#include "submit/ui/PadCommands.h"
#include "submit/ui/SubmitCommands.h"
#include "support/ScriptedServer.h"
#include "support/TlsServer.h"
#include "support/ui/LocalWebServer.h"

#include "submit/ui/WindowRunHelpers.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <chrono>

namespace {

using S = ScriptedServer;

// QP_SHOTS names a folder for a picture of the progress window under way.
void Shot(TFormProgress& f, const char* language)
{
    if (const QByteArray shots = qgetenv("QP_SHOTS"); !shots.isEmpty())
        f.grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/progress-%1.png").arg(QLatin1String(language)));
}

std::vector<std::string> Statuses(const ListRows& list, int column)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Text(i, column));
    return out;
}

} // namespace

TEST(SubmitThroughWindow, SubmitAllEndsWithAWordPerSiteAndASummaryAndCancelStopsIt)
{
    S accepts(Answer("PAD submitted successfully"));
    S refuses(Answer("Rejected"));
    S silent({S::ReadUntil("\r\n\r\n"), S::Hold()});
    const SiteTable table(
        {Site("Accepting Software Downloads Site", accepts.Url() + "/addpad.php"),
         Site("Bramble Rejecting Software Catalog", refuses.Url() + "/add.php", "POST"),
         Site("Closed Port Freeware Library", "http://127.0.0.1:" + std::to_string(S::RefusingPort()) + "/a.php"),
         Site("Delta Silent Shareware Index", silent.Url() + "/addpad.php")});
    TestProgram p;
    p.dir.Write("data/products.dat", "Tool|http://pad.example/tool.xml|Utilities|\r\n");
    auto form = p.Start(&table);
    // At its first size the list shows the Status column whole, with no sideways scrolling.
    form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    QApplication::processEvents();
    EXPECT_FALSE(form->ListViewAuto()->horizontalScrollBar()->isVisible());
    // ... and the titles whole beside it.
    for (int row = 0; row < form->AutoList().Count(); ++row)
        EXPECT_GE(form->ListViewAuto()->columnWidth(0), form->ListViewAuto()->fontMetrics().horizontalAdvance(
                                                            QString::fromStdString(form->AutoList().Caption(row))))
            << row;
    form->ProductsList().SetChecked(0, true);
    form->AutoList().SetChecked(3, false); // the silent site sits this run out
    form->findChild<QComboBox*>(QStringLiteral("ComboBoxSpeed"))->setCurrentIndex(9);

    TFormProgress::setExecHook([](TFormProgress& f) { WaitFor([&] { return !f.isVisible(); }); });
    FindAction(form.get(), "ASubmitAllAuto")->trigger();
    EXPECT_EQ(Statuses(form->AutoList(), SiteColumn::Status), (std::vector<std::string>{"Ok", "X", "Failed", ""}));
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Finished.\rSuccess: 1\nFailed: 2"});
    EXPECT_EQ(form->StatusPanelText(1), QStringLiteral("Finished. Success: 1 Failed: 2"));
    EXPECT_EQ(form->FormProgress()->ProgressBarTotal()->value(), 0);
    EXPECT_EQ(form->FormProgress()->LabelProductTitle()->text(), QStringLiteral("(1 of 1)  Tool"));
    // Below the bars, the outcomes so far and the time; with every pair done, no time left.
    const QString counts = form->FormProgress()->LabelCounts()->text();
    EXPECT_TRUE(counts.startsWith(QStringLiteral("Ok 1  X 1  Failed 1  ")) &&
                counts.endsWith(QStringLiteral(" elapsed")))
        << counts.toStdString();
    // A row's tip says why its site failed.
    const auto tip = [&form](int row) {
        return form->ListViewAuto()->model()->index(row, 0).data(Qt::ToolTipRole).toString();
    };
    EXPECT_EQ(tip(2), QStringLiteral("Tool: Failed\nconnection refused"));

    // Now with the silent site: Cancel while it is under way ends the run at
    // once, with no summary but the counts, and its row keeps "->" with a tip saying so.
    form->AutoList().SetChecked(3, true);
    QString underWay;
    TFormProgress::setExecHook([&](TFormProgress& f) {
        WaitFor([&] {
            return form->AutoList().Text(3, SiteColumn::Status) == "->" &&
                   Statuses(form->AutoList(), SiteColumn::Status) ==
                       std::vector<std::string>{"Ok", "X", "Failed", "->"};
        });
        underWay = f.LabelCounts()->text();
        Shot(f, "en");
        QTest::mouseClick(f.ButtonCancel(), Qt::LeftButton);
    });
    const auto start = std::chrono::steady_clock::now();
    FindAction(form.get(), "ASubmitAllAuto")->trigger();
    EXPECT_FALSE(form->FormProgress()->isVisible());
    EXPECT_TRUE(p.Messages().empty());
    EXPECT_EQ(form->StatusPanelText(1), QStringLiteral("Cancelled. Success: 1 Failed: 2 Cancelled: 1"));
    EXPECT_EQ(form->AutoList().Text(3, SiteColumn::Status), "->");
    EXPECT_EQ(tip(3), QStringLiteral("Tool: Cancelled"));
    // Three of four done: the time left at that rate is told.
    EXPECT_TRUE(underWay.startsWith(QStringLiteral("Ok 1  X 1  Failed 1  ")) &&
                underWay.contains(QStringLiteral(" elapsed, ")) && underWay.endsWith(QStringLiteral(" left")))
        << underWay.toStdString();
    EXPECT_TRUE(WaitFor([&] { return form->Submission().Run().LiveWorkers() == 0; }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    // The close box cancels the run too. The line below the bars speaks the language shown.
    FindAction(form.get(), "MLangRussian")->trigger();
    TFormProgress::setExecHook([&](TFormProgress& f) {
        WaitFor([&] { return form->AutoList().Text(3, SiteColumn::Status) == "->"; });
        underWay = f.LabelCounts()->text();
        Shot(f, "ru");
        f.close();
    });
    FindAction(form.get(), "ASubmitAllAuto")->trigger();
    EXPECT_TRUE(underWay.startsWith(QStringLiteral("Ok ")) && underWay.contains(QStringLiteral("  прошло ")))
        << underWay.toStdString();
    EXPECT_FALSE(form->Submission().Run().Running());
    EXPECT_TRUE(p.Messages().empty());
    TFormProgress::setExecHook(nullptr);
}

TEST(SubmitThroughWindow, SubmitLoadsTheSiteInTheBrowserAndThePreparedFieldIsFilledOnTheScriptPage)
{
    LocalWebServer server;
    ASSERT_TRUE(server.IsListening());
    server.SetPage("/checkadd.php", "<!DOCTYPE html><html><body><form><input name=\"padurl\" id=\"pad\">"
                                    "</form></body></html>");
    const std::string script = server.Url(QStringLiteral("/checkadd.php")).toStdString();
    const SiteTable table({Site("Local", script, "POST")});
    TestProgram p;
    p.dir.Write("data/products.dat", "One|http://pad.example/one.xml|Audio & "
                                     "Video|\r\nTwo|http://x/t.xml||\r\n");
    auto form = p.Start(&table);

    QAction* submit = FindAction(form.get(), "ASubmitAuto");
    submit->trigger();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Check a product !"});
    form->ProductsList().SetAllChecked(true);
    submit->trigger();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Check only one product !"});
    form->ProductsList().SetChecked(1, false);
    submit->trigger();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Select Item First ! "});

    form->ListViewAuto()->SelectRows({0});
    QSignalSpy complete(form->PanelBrowser(), &TBrowserPanel::DocumentComplete);
    submit->trigger();
    EXPECT_TRUE(p.Messages().empty());
    EXPECT_EQ(form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->currentIndex(), 2);
    const std::string query = "padurl=http://pad.example/one.xml&padcat=Audio+%26+Video";
    EXPECT_EQ(form->PanelBrowser()->AddressText(), script + "?" + query);
    ASSERT_TRUE(complete.wait(60000));
    const LocalWebServer::Request* sent = server.LastFor("/checkadd.php");
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(sent->method, "POST");
    EXPECT_EQ(sent->body.toStdString(), query);

    // The user opens the bare script address: its PAD-link field gets the
    // product's link.
    form->PanelBrowser()->NavigateTo(script);
    ASSERT_TRUE(complete.wait(60000));
    QString filled;
    WaitFor([&] {
        bool done = false;
        form->PanelBrowser()->View()->page()->runJavaScript(QStringLiteral("document.getElementById('pad').value"),
                                                            [&](const QVariant& v) {
                                                                filled = v.toString();
                                                                done = true;
                                                            });
        WaitFor([&] { return done; });
        return !filled.isEmpty();
    });
    EXPECT_EQ(filled, QStringLiteral("http://pad.example/one.xml"));
}

TEST(SubmitThroughWindow, TestPadsMarksProductsWhoseServersAnswerAndClosingStopsPendingTests)
{
    S listening({S::Hold()});
    TestProgram p;
    p.dir.Write("data/products.dat", "Closed|http://127.0.0.1:" + std::to_string(S::RefusingPort()) + "/c.xml|U|\r\n" +
                                         "Open|http://127.0.0.1:" + std::to_string(listening.Port()) + "/o.xml|U|\r\n" +
                                         "Stuck|http://127.0.0.1:" + std::to_string(S::UnansweredPort()) +
                                         "/s.xml|U|\r\n");
    auto form = p.Start();
    ListRows& products = form->ProductsList();
    QAction* testPad = FindAction(form.get(), "ATestPad");
    testPad->trigger();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Select Item First ! "});

    products.SetChecked(0, true); // Closed
    products.SetChecked(1, true); // Open
    FindAction(form.get(), "ATestPads")->trigger();
    EXPECT_TRUE(WaitFor([&] { return form->PadChecks().Tests().LiveWorkers() == 0; }));
    EXPECT_EQ(Statuses(products, ProductColumn::Status), (std::vector<std::string>{"", "Ok", ""}));
    // The product whose server did not answer says why in its tip; both tests are one run of the history.
    EXPECT_TRUE(form->ListViewProducts()
                    ->model()
                    ->index(0, 0)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .endsWith(QStringLiteral("\nTest PAD: connection refused")));
    const std::vector<RunSummary> runs = form->History()->Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].Kind, RunKind::Test);
    EXPECT_EQ(runs[0].Ok + runs[0].Failed, 2);

    // A test whose server never answers is still pending when the window closes:
    // closing stops it within a second.
    form->ListViewProducts()->SelectRows({2});
    testPad->trigger();
    EXPECT_EQ(form->PadChecks().Tests().LiveWorkers(), 1);
    const auto start = std::chrono::steady_clock::now();
    form->close();
    EXPECT_EQ(form->PadChecks().Tests().LiveWorkers(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(SubmitThroughWindow, HttpsSitesTakeASubmissionOnlyOnceTheSettingAllowsThem)
{
    const TestCertificates certificates;
    TlsServer server({certificates.MakeLeaf("IP:127.0.0.1"), TlsServer::Mode::Reply,
                      "HTTP/1.0 200 OK\r\n\r\nPAD submitted successfully"});
    const SiteTable table({Site("Secure", server.Url() + "/addpad.php")});
    TestProgram p;
    const std::string caFile = p.dir.Write("ca.pem", certificates.CaPem());
    p.dir.Write("data/products.dat", "Tool|https://pad.example/tool.xml|Utilities|\r\n");
    auto form = p.Start(&table);
    form->Submission().SetWorkerFactory([&](TDownloadOwner& owner, Synchronize& sync) {
        auto worker = std::make_unique<TDownload>(owner, sync);
        worker->CaFile = caFile;
        return worker;
    });
    form->ProductsList().SetChecked(0, true);
    TFormProgress::setExecHook([](TFormProgress& f) { WaitFor([&] { return !f.isVisible(); }); });

    // Off, as at every first start: the client refuses the https site.
    FindAction(form.get(), "ASubmitAllAuto")->trigger();
    EXPECT_EQ(form->AutoList().Text(0, SiteColumn::Status), "Failed");
    p.Messages();

    QAction* allow = FindAction(form.get(), "AAllowHttps");
    allow->trigger(); // checks it
    EXPECT_TRUE(allow->isChecked());
    FindAction(form.get(), "ASubmitAllAuto")->trigger();
    EXPECT_EQ(form->AutoList().Text(0, SiteColumn::Status), "Ok");
    TFormProgress::setExecHook(nullptr);
    EXPECT_NE(p.dir.Read("quillpost.ini").find("AllowHttps=1"), std::string::npos);
}
