#include "submit/SubmissionRun.h"

#include "common/OwnerThreadQueue.h"
#include "common/PreparedSubmission.h"
#include "submit/RunView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

// What the run showed.
struct RecordingView : RunView {
    std::map<int, std::string> status;
    std::vector<std::string> messages;
    std::string productLabel, siteLabel;
    int currentMax = -1, totalMax = -1, current = -1, total = -1;
    std::vector<std::pair<int, int>> barsAtReport; // (current, total) after each report
    int over = 0;

    void SiteStatus(int row, const std::string& word) override { status[row] = word; }
    void ProductLabel(const std::string& t) override { productLabel = t; }
    void SiteLabel(const std::string& t) override { siteLabel = t; }
    void BarMaxima(int c, int t) override { currentMax = c, totalMax = t; }
    void CurrentBar(int p) override { current = p; }
    void TotalBar(int p) override { total = p; }
    void RunOver() override { ++over; }
    void Message(const std::string& t) override { messages.push_back(t); }
};

// What a worker was given when it was resumed.
struct Started {
    int row;
    std::string query;
};

// A worker that does nothing on its own: the test decides when and how it ends. The run
// frees it some time after it ended, so the test keeps only the live ones.
class FakeDownload : public TDownload {
public:
    FakeDownload(TDownloadOwner& owner, Synchronize& sync, std::vector<FakeDownload*>& live,
                 std::vector<Started>& started)
        : TDownload(owner, sync), live_(live), started_(started)
    {
        live_.push_back(this);
    }
    ~FakeDownload() override { std::erase(live_, this); }
    void Resume() override
    {
        const auto& request = std::get<SubmissionRequest>(Request);
        // "http://s<row>.example/add.php"
        started_.push_back({std::stoi(request.Url.substr(8)), request.Query});
    }
    int Row() const { return std::stoi(std::get<SubmissionRequest>(Request).Url.substr(8)); }
    void End(const std::string& word)
    {
        WorkResult result;
        result.Outcome = word == "Ok"  ? Outcome::Ok
                         : word == "X" ? Outcome::NotAccepted
                         : word == ""  ? Outcome::Cancelled
                                       : Outcome::Failed;
        Finish(result);
    }

private:
    std::vector<FakeDownload*>& live_;
    std::vector<Started>& started_;
};

SiteTable Sites(int count)
{
    std::vector<SiteRecord> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back({"Site " + std::to_string(i), "http://s" + std::to_string(i) + ".example/add.php", "GET",
                        "padurl", "padcat", "email", "successfully"});
    return SiteTable(std::move(rows));
}

class SubmissionRunTest : public ::testing::Test {
protected:
    void Make(int siteCount)
    {
        sites = Sites(siteCount);
        run = std::make_unique<SubmissionRun>(
            sites,
            [this](TDownloadOwner& owner) { return std::make_unique<FakeDownload>(owner, queue, live, started); },
            queue, view);
        run->SetPrepared(&prepared);
    }
    void TearDown() override
    {
        // Whatever the test left under way ends now, so the run can be destroyed.
        if (run) run->Cancel();
        // Ending one may free others, so look again each time.
        for (auto it = live.begin(); it != live.end(); it = live.begin()) {
            while (it != live.end() && (*it)->Ended()) ++it;
            if (it == live.end()) break;
            (*it)->End("");
        }
        run.reset();
    }
    std::vector<RunProduct> Products(int n)
    {
        std::vector<RunProduct> p;
        for (int i = 0; i < n; ++i)
            p.push_back({"Product " + std::to_string(i), "http://pad.example/p" + std::to_string(i) + ".xml",
                         "Audio & Video Tools"});
        return p;
    }
    std::vector<bool> All(int n) { return std::vector<bool>(static_cast<size_t>(n), true); }
    // The live worker started for site row `row` most recently.
    FakeDownload* For(int row)
    {
        for (auto it = live.rbegin(); it != live.rend(); ++it)
            if ((*it)->Row() == row && !(*it)->Ended()) return *it;
        ADD_FAILURE() << "no worker for row " << row;
        return nullptr;
    }

    OwnerThreadQueue queue;
    RecordingView view;
    SiteTable sites;
    PreparedSubmission prepared;
    std::vector<FakeDownload*> live;
    std::vector<Started> started;
    std::unique_ptr<SubmissionRun> run;
};

TEST_F(SubmissionRunTest, NothingCheckedShowsItsMessageAfterClearingEverySiteStatus)
{
    Make(3);
    view.status = {{0, "Ok"}, {1, "X"}, {2, "Failed"}};
    EXPECT_FALSE(run->SubmitAll({}, {false, false, false}));
    EXPECT_EQ(view.messages, std::vector<std::string>{"Check products to submit !"});
    EXPECT_EQ(view.status, (std::map<int, std::string>{{0, ""}, {1, ""}, {2, ""}}));
    EXPECT_FALSE(run->SubmitAll(Products(1), {false, false, false}));
    EXPECT_EQ(view.messages.back(), "Check sites to submit !");
    EXPECT_TRUE(started.empty());
    EXPECT_FALSE(run->Running());
}

TEST_F(SubmissionRunTest, BatchesOfTheSpeedStartWhenTheLastStartedWorkerOfABatchReports)
{
    Make(7);
    run->SetSpeed(3);
    ASSERT_TRUE(run->SubmitAll(Products(1), All(7)));
    ASSERT_EQ(started.size(), 3u);
    EXPECT_EQ(view.siteLabel, "(3 of 7)  Site 2");
    EXPECT_EQ(view.productLabel, "(1 of 1)  Product 0");
    // The first and second of the batch report: nothing new starts.
    For(0)->End("Ok");
    For(1)->End("X");
    EXPECT_EQ(started.size(), 3u);
    // The third (last started) reports: the next batch of three, then one.
    For(2)->End("Ok");
    ASSERT_EQ(started.size(), 6u);
    EXPECT_EQ(started[3].row, 3);
    // Only the last started of a batch starts the next one.
    For(4)->End("Ok");
    EXPECT_EQ(started.size(), 6u);
    For(5)->End("Ok");
    ASSERT_EQ(started.size(), 7u);
    EXPECT_EQ(started[6].row, 6);
    EXPECT_EQ(view.siteLabel, "(7 of 7)  Site 6");
    EXPECT_EQ(started[0].query, "padurl=http://pad.example/p0.xml&padcat=Audio+%26+Video+Tools");
}

TEST_F(SubmissionRunTest, BarsMoveBeforeTheCursorsAndTheRunEndsWhenTheLastStragglerReports)
{
    Make(5);
    run->SetSpeed(10);
    ASSERT_TRUE(run->SubmitAll(Products(2), All(5)));
    EXPECT_EQ(view.currentMax, 5);
    EXPECT_EQ(view.totalMax, 10);
    ASSERT_EQ(started.size(), 5u);
    // The last site of the first product reports first: the run moves on to the second
    // product at once, the total bar still at 0.
    For(4)->End("Ok");
    EXPECT_EQ(view.total, 0);
    EXPECT_EQ(view.current, 0);
    EXPECT_EQ(run->ProductCursor(), 1);
    ASSERT_EQ(started.size(), 10u);
    EXPECT_EQ(view.productLabel, "(2 of 2)  Product 1");
    // The next report shows the first product done.
    For(0)->End("Failed");
    EXPECT_EQ(view.total, 5);
    EXPECT_EQ(view.current, 5);
    // The second product's last site reports while earlier workers are still out: the run
    // is not over until every one of them has reported.
    For(4)->End("X");
    EXPECT_EQ(view.over, 0);
    EXPECT_TRUE(run->Running());
    std::vector<FakeDownload*> rest;
    for (FakeDownload* w : live)
        if (!w->Ended()) rest.push_back(w);
    EXPECT_EQ(rest.size(), 7u);
    for (FakeDownload* w : rest) {
        if (std::find(live.begin(), live.end(), w) != live.end()) w->End("Ok");
    }
    EXPECT_EQ(view.over, 1);
    EXPECT_FALSE(run->Running());
    EXPECT_EQ(view.current, 0);
    EXPECT_EQ(view.total, 0);
    EXPECT_EQ(run->SuccessCount(), 8);
    EXPECT_EQ(run->FailureCount(), 2);
    EXPECT_EQ(run->Summary(), "Finished.\rSuccess: 8\nFailed: 2");
    // Every pair has its outcome, in product-then-site order.
    ASSERT_EQ(run->Pairs().size(), 10u);
    EXPECT_EQ(run->Pairs()[4].Outcome, Outcome::Ok);
    EXPECT_EQ(run->Pairs()[5].Outcome, Outcome::Failed);
    EXPECT_EQ(run->Pairs()[9].Outcome, Outcome::NotAccepted);
    EXPECT_EQ(run->Pairs()[9].Product, 1);
    EXPECT_EQ(run->Pairs()[9].SiteRow, 4);
    // The last request started is the submission last prepared.
    EXPECT_EQ(prepared.ScriptUrl, "http://s4.example/add.php");
    EXPECT_EQ(prepared.PadLink, "http://pad.example/p1.xml");
}

TEST_F(SubmissionRunTest, CancelStopsEveryWorkerStillOutAndNoneWritesAfterwards)
{
    Make(4);
    run->SetSpeed(2);
    ASSERT_TRUE(run->SubmitAll(Products(1), All(4)));
    FakeDownload* straggler = For(0);
    For(1)->End("Ok"); // the second batch starts; site 0 no longer holds a slot
    ASSERT_EQ(started.size(), 4u);
    const auto statusBefore = view.status;
    const int currentBefore = view.current;
    run->Cancel();
    EXPECT_FALSE(run->Running());
    for (FakeDownload* w : live) {
        if (!w->Ended()) {
            EXPECT_TRUE(w->Terminated()) << w->Row();
        }
    }
    EXPECT_TRUE(straggler->Terminated());
    // Reports that come after the cancel change nothing.
    run->DownloadConnected(*For(2));
    For(0)->End("Ok");
    For(2)->End("Failed");
    EXPECT_EQ(view.status, statusBefore);
    EXPECT_EQ(view.current, currentBefore);
    EXPECT_EQ(run->SuccessCount(), 1);
    EXPECT_EQ(run->FailureCount(), 0);
    EXPECT_EQ(view.over, 0);
    EXPECT_EQ(started.size(), 4u);
    // Only the pair that reported before the cancel has an outcome.
    std::vector<Outcome> outcomes;
    for (const RunPair& pair : run->Pairs()) outcomes.push_back(pair.Outcome);
    EXPECT_EQ(outcomes, (std::vector<Outcome>{Outcome::None, Outcome::Ok, Outcome::None, Outcome::None}));

    // A new run starts clean while the old one's last worker is still finishing.
    ASSERT_TRUE(run->SubmitAll(Products(1), All(4)));
    For(3)->End("Ok"); // the old run's worker for site 3: no effect on the new run
    EXPECT_EQ(run->SuccessCount(), 0);
}

} // namespace
