// Run reports and Retry Failed in the real main window, with real workers and sockets
// against servers on 127.0.0.1.
#include "app/ui/TestProgram.h"
#include "catalogue/ListColumns.h"
#include "common/StatusWords.h"
#include "submit/RunReport.h"
#include "submit/SiteTable.h"
#include "submit/ui/SubmitCommands.h"
#include "support/ScriptedServer.h"

#include "submit/ui/WindowRunHelpers.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using S = ScriptedServer;

// "product site outcome status" per row, for short comparisons.
std::vector<std::string> Lines(const std::vector<ReportRow>& rows)
{
    std::vector<std::string> out;
    for (const ReportRow& r : rows)
        out.push_back(r.Product + " " + r.Site + " " + StatusWords::Word(r.Outcome) + " " +
                      std::to_string(r.HttpStatus));
    return out;
}

std::vector<std::string> ReportFiles(const std::string& folder)
{
    std::vector<std::string> out;
    if (!std::filesystem::exists(folder)) return out;
    for (const auto& e : std::filesystem::directory_iterator(folder)) out.push_back(e.path().string());
    return out;
}

} // namespace

TEST(RetryFailedThroughWindow, SubmitAllWritesAReportAndRetryResendsExactlyThePairsThatWereNotOk)
{
    S accepts(Answer("PAD submitted successfully"));
    // B turns the first run's two requests away, then takes what comes.
    S turnsAway({Answer("Rejected"), Answer("Rejected"), Answer("PAD submitted successfully")});
    const SiteTable table({Site("A", accepts.Url() + "/addpad.php"), Site("B", turnsAway.Url() + "/add.php", "POST")});
    TestProgram p;
    p.dir.Write("data/products.dat", "Alpha|http://pad.example/alpha.xml|Utilities|\r\n"
                                     "Beta|http://pad.example/beta.xml|Games|\r\n"
                                     "Gamma|http://pad.example/gamma.xml|Games|\r\n");
    auto form = p.Start(&table);
    QAction* retry = FindAction(form.get(), "ARetryFailedAuto");
    retry->trigger();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{SubmitCommands::NoRunText});

    form->ProductsList().SetChecked(0, true);
    form->ProductsList().SetChecked(1, true);
    // The report is named after the second the run started in, not the one it ended in.
    while (std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
                   .count() %
               1000 >
           500)
        QTest::qWait(20);
    const std::string startName =
        std::filesystem::path(RunReport::DefaultPath(p.dir.Path(), std::chrono::system_clock::now())).filename();
    TFormProgress::setExecHook([](TFormProgress& f) {
        WaitFor([&] { return !f.isVisible(); });
        QTest::qWait(1100);
    });
    FindAction(form.get(), "ASubmitAllAuto")->trigger();
    TFormProgress::setExecHook([](TFormProgress& f) { WaitFor([&] { return !f.isVisible(); }); });
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Finished.\rSuccess: 2\nFailed: 2"});

    const std::string reports = p.dir.File("reports");
    const std::string first = form->Submission().LastReport();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(std::filesystem::path(first).filename(), startName);
    EXPECT_EQ(ReportFiles(reports), std::vector<std::string>{first});
    EXPECT_EQ(std::filesystem::path(first).parent_path(), std::filesystem::path(reports));
    const std::vector<ReportRow> rows = RunReport::Read(first);
    EXPECT_EQ(Lines(rows),
              (std::vector<std::string>{"Alpha A Ok 200", "Alpha B X 200", "Beta A Ok 200", "Beta B X 200"}));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3].PadLink, "http://pad.example/beta.xml");
    EXPECT_EQ(rows[3].ScriptUrl, turnsAway.Url() + "/add.php");
    EXPECT_EQ(rows[3].Method, "POST");
    EXPECT_GE(rows[3].Ms, 0);

    // After a restart the retry takes the run from the history: it sends Alpha and Beta to
    // B alone, and leaves the check marks as the user set them.
    form.reset();
    MessageBoxes::clearShown();
    form = p.Start(&table);
    form->ProductsList().SetChecked(2, true);
    const auto checks = [&form] {
        std::vector<bool> marks;
        for (const ListRows* list : {&form->ProductsList(), &form->AutoList()})
            for (int row = 0; row < list->Count(); ++row) marks.push_back(list->Row(row).Checked);
        return marks;
    };
    const std::vector<bool> checkedBefore = checks();
    retry = FindAction(form.get(), "ARetryFailedAuto");
    retry->trigger();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{"Finished.\rSuccess: 2\nFailed: 0"});
    EXPECT_EQ(form->StatusPanelText(1), QStringLiteral("Finished. Success: 2 Failed: 0"));
    EXPECT_EQ(accepts.Connections(), 2u);
    ASSERT_TRUE(turnsAway.WaitFinished(4));
    EXPECT_EQ(turnsAway.Connections(), 4u);
    EXPECT_NE(turnsAway.Received(2).find("padurl=http://pad.example/alpha.xml"), std::string::npos);
    EXPECT_NE(turnsAway.Received(3).find("padurl=http://pad.example/beta.xml"), std::string::npos);
    EXPECT_EQ(checks(), checkedBefore);

    // Its report is a second file holding only the resent pairs.
    const std::string second = form->Submission().LastReport();
    EXPECT_NE(second, first);
    // The next retry is this session's: from that report.
    EXPECT_EQ(ReportFiles(reports).size(), 2u);
    EXPECT_EQ(Lines(RunReport::Read(second)), (std::vector<std::string>{"Alpha B Ok 200", "Beta B Ok 200"}));

    retry->trigger();
    EXPECT_EQ(p.Messages(), std::vector<std::string>{SubmitCommands::AllOkText});
    EXPECT_EQ(turnsAway.Connections(), 4u);

    // Submit > History... shows both runs, the first from before the restart; a second call
    // raises the same window.
    FindAction(form.get(), "AHistoryAuto")->trigger();
    auto* history = form->findChild<QWidget*>(QStringLiteral("HistoryWindow"));
    ASSERT_NE(history, nullptr) << (p.Messages().empty() ? std::string() : p.Messages().front());
    EXPECT_TRUE(history->isVisible());
    EXPECT_EQ(history->findChild<QTableView*>(QStringLiteral("RunsList"))->model()->rowCount(), 2);
    FindAction(form.get(), "AHistoryAuto")->trigger();
    EXPECT_EQ(form->findChildren<QWidget*>(QStringLiteral("HistoryWindow")).size(), 1);
}

TEST(RetryFailedThroughWindow, ACancelledRunStillWritesEveryPairAndAReportThatCannotBeWrittenIsTold)
{
    S accepts(Answer("PAD submitted successfully"));
    S silent({S::ReadUntil("\r\n\r\n"), S::Hold()});
    const SiteTable table({Site("A", accepts.Url() + "/addpad.php"), Site("Quiet", silent.Url() + "/addpad.php")});
    TestProgram p;
    p.dir.Write("data/products.dat", "Alpha|http://pad.example/alpha.xml|Utilities|\r\n"
                                     "Beta|http://pad.example/beta.xml|Games|\r\n");
    auto form = p.Start(&table);
    form->ProductsList().SetAllChecked(true);
    TFormProgress::setExecHook([&](TFormProgress& f) {
        WaitFor([&] { return form->AutoList().Text(1, SiteColumn::Status) == "->"; });
        QTest::mouseClick(f.ButtonCancel(), Qt::LeftButton);
    });
    FindAction(form.get(), "ASubmitAllAuto")->trigger();
    EXPECT_TRUE(p.Messages().empty());
    // The pair under way and the product never started are "Cancelled".
    EXPECT_EQ(Lines(RunReport::Read(form->Submission().LastReport())),
              (std::vector<std::string>{"Alpha A Ok 200", "Alpha Quiet Cancelled 0", "Beta A Cancelled 0",
                                        "Beta Quiet Cancelled 0"}));

    // Retry Failed of that run is cancelled too: its report still names all three pairs.
    const std::string first = form->Submission().LastReport();
    form->Submission().RetryFailed();
    EXPECT_EQ(Lines(RunReport::Read(form->Submission().LastReport())),
              (std::vector<std::string>{"Alpha Quiet Cancelled 0", "Beta A Cancelled 0", "Beta Quiet Cancelled 0"}));
    EXPECT_NE(form->Submission().LastReport(), first);
    EXPECT_TRUE(p.Messages().empty());
    EXPECT_TRUE(WaitFor([&] { return form->Submission().Run().LiveWorkers() == 0; }));

    // reports/ taken by a file: the run's result stands, and the user is told.
    std::filesystem::remove_all(p.dir.File("reports"));
    p.dir.Write("reports", "not a folder");
    form->ProductsList().SetAllChecked(true);
    form->AutoList().SetAllChecked(true);
    form->AutoList().SetChecked(1, false);
    TFormProgress::setExecHook([](TFormProgress& f) { WaitFor([&] { return !f.isVisible(); }); });
    FindAction(form.get(), "ASubmitAllAuto")->trigger();
    const std::vector<std::string> messages = p.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].rfind(SubmitCommands::ReportNotWrittenText, 0), 0u) << messages[0];
    EXPECT_EQ(messages[1], "Finished.\rSuccess: 2\nFailed: 0");
    EXPECT_EQ(form->Submission().LastReport(), "");
    TFormProgress::setExecHook(nullptr);
}

TEST(RetryFailedThroughWindow, AfterAKilledRunTheRetrySendsThePairsItNeverSentAndSaysHowMany)
{
    // A answers after the history's batch time (so it is recorded before the kill); Quiet never.
    S slow({S::ReadUntil("\r\n\r\n"), S::Wait(400), S::Send("HTTP/1.0 200 OK\r\n\r\nsuccessfully"), S::Close()});
    S silent({S::ReadUntil("\r\n\r\n"), S::Hold()});
    const SiteTable table({Site("A", slow.Url() + "/addpad.php"), Site("Quiet", silent.Url() + "/addpad.php")});
    const std::string products = "Alpha|http://pad.example/alpha.xml|Utilities|\r\n"
                                 "Beta|http://pad.example/beta.xml|Games|\r\n";
    TestProgram p, killed;
    p.dir.Write("data/products.dat", products);
    killed.dir.Write("data/products.dat", products);
    auto form = p.Start(&table);
    form->ProductsList().SetAllChecked(true);
    // What a kill leaves on disk while Alpha waits for Quiet: the history and the reports.
    TFormProgress::setExecHook([&](TFormProgress& f) {
        WaitFor([&] { return form->AutoList().Text(1, SiteColumn::Status) == "->"; });
        namespace fs = std::filesystem;
        for (const auto& e : fs::directory_iterator(p.dir.File("data")))
            if (const std::string name = e.path().filename().string();
                name == "history.sqlite" || name == "history.sqlite-wal")
                fs::copy_file(e.path(), killed.dir.File("data/" + name), fs::copy_options::overwrite_existing);
        if (fs::exists(p.dir.File("reports")))
            fs::copy(p.dir.File("reports"), killed.dir.File("reports"), fs::copy_options::recursive);
        QTest::mouseClick(f.ButtonCancel(), Qt::LeftButton);
    });
    FindAction(form.get(), "ASubmitAllAuto")->trigger();
    form.reset();
    MessageBoxes::clearShown();

    // Started again on what the kill left: Alpha went to A; the three other pairs are sent.
    S accepts(Answer("successfully")), nowAccepts(Answer("successfully"));
    const SiteTable again({Site("A", accepts.Url() + "/addpad.php"), Site("Quiet", nowAccepts.Url() + "/addpad.php")});
    auto restarted = killed.Start(&again);
    TFormProgress::setExecHook([](TFormProgress& f) { WaitFor([&] { return !f.isVisible(); }); });
    FindAction(restarted.get(), "ARetryFailedAuto")->trigger();
    EXPECT_EQ(killed.Messages(),
              (std::vector<std::string>{"The last run was stopped before 3 of its 4 pairs were sent: they are sent "
                                        "now with the pairs that were not Ok.",
                                        "Finished.\rSuccess: 3\nFailed: 0"}));
    EXPECT_EQ(accepts.Connections(), 1u);
    EXPECT_EQ(nowAccepts.Connections(), 2u);
    TFormProgress::setExecHook(nullptr);
}

TEST(RetryFailedThroughWindow, SubmitAllLeavesOutACheckedBlankLineWithOneMessage)
{
    S accepts(Answer("PAD submitted successfully"));
    const SiteTable table({Site("A", accepts.Url() + "/addpad.php")});
    TestProgram p;
    p.dir.Write("data/products.dat", "\r\nAlpha|http://pad.example/alpha.xml|Utilities|\r\n");
    auto form = p.Start(&table);
    ASSERT_EQ(form->ProductsList().Count(), 2);
    form->ProductsList().SetAllChecked(true);
    TFormProgress::setExecHook([](TFormProgress& f) { WaitFor([&] { return !f.isVisible(); }); });
    FindAction(form.get(), "ASubmitAllAuto")->trigger();
    EXPECT_EQ(p.Messages(),
              (std::vector<std::string>{"1 product without a PAD link: skipped", "Finished.\rSuccess: 1\nFailed: 0"}));
    EXPECT_EQ(accepts.Connections(), 1u);
    TFormProgress::setExecHook(nullptr);

    // Test PADs and Validate PADs leave it out too: the blank row's Status stays as it was.
    form->ProductsList().SetText(0, 3, "?");
    for (const char* command : {"ATestPads", "AValidatePads"}) {
        FindAction(form.get(), command)->trigger();
        EXPECT_EQ(p.Messages(), std::vector<std::string>{"1 product without a PAD link: skipped"}) << command;
        EXPECT_EQ(form->ProductsList().Text(0, 3), "?") << command;
    }
    form->Submission().StopAll(std::chrono::seconds(5));
}

TEST(RetryFailedThroughWindow, OpenReportsFolderCreatesTheFolderAndOpensIt)
{
    TestProgram p;
    auto form = p.Start();
    FindAction(form.get(), "AOpenReportsAuto")->trigger();
    EXPECT_TRUE(std::filesystem::is_directory(p.dir.File("reports")));
    ASSERT_EQ(p.opened.size(), 1u);
    EXPECT_EQ(std::filesystem::path(p.opened[0].first), std::filesystem::path(p.dir.File("reports/")));
    EXPECT_TRUE(p.opened[0].second);
    EXPECT_TRUE(p.Messages().empty());

    // A desktop that opens no folders: the user is told where the reports are.
    ShellOpen::setHook([](const QString&, bool) { return false; });
    FindAction(form.get(), "AOpenReportsAuto")->trigger();
    EXPECT_EQ(p.Messages(),
              std::vector<std::string>{std::string(SubmitCommands::NoFolderProgramText) + p.dir.File("reports/") +
                                       " (Submit > History... shows every run)."});
}
