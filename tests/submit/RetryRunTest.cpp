#include "submit/RetryRun.h"
#include "common/StatusWords.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"
#include "common/OwnerThreadQueue.h"
#include "history/HistoryStore.h"
#include "submit/RunRecorder.h"
#include "submit/RunReport.h"
#include "submit/RunView.h"
#include "submit/SiteTable.h"
#include "submit/SubmissionRun.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using S = ScriptedServer;
using namespace std::chrono_literals;

// Serves the workers until each batch's run ends (the hooks may break it off first), and
// shows nothing.
struct Host : RetryRun::Host, RunView {
    explicit Host(OwnerThreadQueue& q) : queue(q) {}
    void BatchStarting(const RetryBatch&) override
    {
        ++started;
        if (atStart) atStart();
    }
    void WaitForRun(SubmissionRun& run) override
    {
        if (whileWaiting) whileWaiting(run);
        queue.ServeUntil([&run] { return !run.Running(); }, 10s);
    }
    void PairCancelled(const std::string& product, const std::string& site) override
    {
        cancelled.push_back(product + " " + site);
    }
    void SiteStatus(int, const std::string&) override {}
    void ProductLabel(const std::string&) override {}
    void SiteLabel(const std::string&) override {}
    void BarMaxima(int, int) override {}
    void CurrentBar(int) override {}
    void TotalBar(int) override {}
    void RunOver() override {}
    void Message(const std::string&) override {}

    OwnerThreadQueue& queue;
    std::function<void()> atStart;
    std::function<void(SubmissionRun&)> whileWaiting;
    int started = 0;
    std::vector<std::string> cancelled;
};

// "product site outcome" per record.
std::vector<std::string> Outcomes(const std::string& records)
{
    std::vector<std::string> out;
    for (const ReportRow& r : RunReport::Parse(std::string(RunReport::Header) + "\r\n" + records, "records"))
        out.push_back(r.Product + " " + r.Site + " " + StatusWords::Word(r.Outcome));
    return out;
}

class RetryRunTest : public ::testing::Test {
protected:
    RetryRunTest() : products(4, true)
    {
        for (const char* title : {"Alpha", "Beta"})
            products.SetText(products.Add(title), ProductColumn::PadLink, "http://pad.example/p.xml");
    }
    // Sites A and B at the two servers, and a run over them.
    SubmissionRun& Make(const S& a, const S& b)
    {
        sites = SiteTable({{"A", a.Url() + "/add.php", "GET", "padurl", "padcat", "", "successfully"},
                           {"B", b.Url() + "/add.php", "GET", "padurl", "padcat", "", "successfully"}});
        run = std::make_unique<SubmissionRun>(
            sites, [this](TDownloadOwner& owner) { return std::make_unique<TDownload>(owner, queue); }, queue, host);
        return *run;
    }

    S::Script accept{S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 200 OK\r\n\r\nsuccessfully"), S::Close()};
    OwnerThreadQueue queue;
    Host host{queue};
    ListRows products; // Alpha 0, Beta 1
    SiteTable sites;
    std::unique_ptr<SubmissionRun> run;
};

TEST_F(RetryRunTest, BatchesGoInTheirOrderIntoOneReportAndOneTally)
{
    S accepts(accept);
    S rejects({S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 200 OK\r\n\r\nlater"), S::Close()});
    RetryRun retry(products, sites, Make(accepts, rejects), host);
    retry.Send({{{1}, {0, 1}}, {{0}, {1}}});
    EXPECT_EQ(Outcomes(retry.Records()), (std::vector<std::string>{"Beta A Ok", "Beta B X", "Alpha B X"}));
    EXPECT_FALSE(retry.Cancelled());
    EXPECT_EQ(retry.Tally().SummaryLine(), "Finished. Success: 1 Failed: 2");
    EXPECT_TRUE(host.cancelled.empty());
}

TEST_F(RetryRunTest, ACancelStopsTheWholeRetryAndEveryPairNotSentIsCancelled)
{
    S accepts(accept);
    S holds({S::ReadUntil("\r\n\r\n"), S::Hold()});
    // The window's Cancel breaks off the run itself, once B has the request.
    host.whileWaiting = [&](SubmissionRun& r) {
        queue.ServeUntil([&] { return holds.Connections() == 1; }, 10s);
        r.Cancel();
    };
    TempDir dir;
    HistoryStore history(dir.File("history.sqlite"));
    RunRecorder recorder(&history, RunKind::Retry, 1);
    RetryRun retry(products, sites, Make(accepts, holds), host);
    run->SetRecorder(&recorder);
    retry.Send({{{0}, {0, 1}}, {{1}, {0}}});
    EXPECT_EQ(Outcomes(retry.Records()),
              (std::vector<std::string>{"Alpha A Ok", "Alpha B Cancelled", "Beta A Cancelled"}));
    // The history has the run as the report has it.
    recorder.End(RunEnd::Cancelled);
    std::vector<std::string> recorded;
    for (const OutcomeRecord& o : history.RunOutcomes(history.Runs().at(0).Id))
        recorded.push_back(o.Product + " " + o.Site + " " + StatusWords::Word(o.Outcome));
    EXPECT_EQ(recorded, Outcomes(retry.Records()));
    run->SetRecorder(nullptr);
    EXPECT_EQ(host.started, 1);
    EXPECT_EQ(host.cancelled, (std::vector<std::string>{"Alpha B", "Beta A"}));
    EXPECT_EQ(retry.Tally().SummaryLine(), "Cancelled. Success: 1 Failed: 0 Cancelled: 2");

    // The command line's Ctrl+C before a batch: nothing more goes out.
    RetryRun stopped(products, sites, *run, host);
    host.atStart = [&] { stopped.Cancel(); };
    stopped.Send({{{0, 1}, {0}}});
    EXPECT_EQ(Outcomes(stopped.Records()), (std::vector<std::string>{"Alpha A Cancelled", "Beta A Cancelled"}));
    EXPECT_TRUE(stopped.Cancelled());
    EXPECT_EQ(accepts.Connections(), 1u);
}

} // namespace
