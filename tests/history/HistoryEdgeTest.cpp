#include "common/StatusWords.h"
#include "history/HistoryStore.h"
#include "history/SqliteDb.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

// The history's edges: equal times, the limits themselves, and two writers on one file.

namespace {

HistoryTime Second(int s)
{
    return HistoryTime(std::chrono::seconds(1'800'000'000 + s));
}

OutcomeRecord Record(const std::string& site, const std::string& word, int at)
{
    OutcomeRecord o;
    o.Time = Second(at);
    o.Product = "P";
    o.PadLink = "http://pad/P.xml";
    o.Site = site;
    o.ScriptUrl = "http://" + site + "/add";
    o.Method = "POST";
    o.Outcome = StatusWords::ToOutcome(word);
    return o;
}

std::vector<std::string> Words(const std::vector<OutcomeRecord>& rows)
{
    std::vector<std::string> words;
    for (const OutcomeRecord& o : rows) words.push_back(o.Site + "=" + StatusWords::Word(o.Outcome));
    return words;
}

std::vector<std::string> Recent(HistoryStore& store, int count)
{
    const std::vector<SiteRecent> sites = store.RecentBySite(count);
    std::vector<std::string> words;
    if (!sites.empty())
        for (const Outcome o : sites.front().Outcomes) words.push_back(StatusWords::Word(o));
    return words;
}

} // namespace

TEST(HistoryEdgeTest, OfTwoOutcomesInOneSecondTheLaterRecordedIsLatestAndAReportTakenInLateNeverIs)
{
    TempDir dir;
    HistoryStore store(dir.File("history.sqlite"));
    store.RecordOutcomes(store.BeginRun(RunKind::Submit, 1, Second(0)),
                         {Record("S", "Failed", 5), Record("S", "Ok", 5)});
    EXPECT_EQ(Words(store.Latest()), std::vector<std::string>{"S=Ok"});
    EXPECT_EQ(store.SitesThatTook("http://pad/P.xml"), std::set<std::string>{"S"});
    EXPECT_EQ(Recent(store, 10), (std::vector<std::string>{"Ok", "Failed"}));

    // A report of an earlier run, taken in now: its outcome is older than the pair's.
    RunSummary report;
    report.Started = report.Ended = Second(4);
    EXPECT_TRUE(store.ImportRun(1, "old.csv", report, {Record("S", "X", 4)}));
    EXPECT_EQ(Words(store.Latest()), std::vector<std::string>{"S=Ok"});
    EXPECT_EQ(store.SitesThatTook("http://pad/P.xml"), std::set<std::string>{"S"});
    EXPECT_EQ(Recent(store, 10), (std::vector<std::string>{"Ok", "Failed"}));
    // One of the same second counts as the later, everywhere alike.
    EXPECT_TRUE(store.ImportRun(2, "same.csv", report, {Record("S", "Invalid", 5)}));
    EXPECT_EQ(Words(store.Latest()), std::vector<std::string>{"S=Invalid"});
    EXPECT_TRUE(store.SitesThatTook("http://pad/P.xml").empty());
    EXPECT_EQ(Recent(store, 10), (std::vector<std::string>{"Invalid", "Ok", "Failed"}));
    EXPECT_EQ(Recent(store, 2), (std::vector<std::string>{"Invalid", "Ok"})); // exactly the count asked
}

TEST(HistoryEdgeTest, RunsFromATimeIncludeTheRunStartedAtIt)
{
    TempDir dir;
    HistoryStore store(dir.File("history.sqlite"));
    store.BeginRun(RunKind::Submit, 1, Second(10));
    store.BeginRun(RunKind::Test, 1, Second(20));
    const struct {
        int since;
        size_t runs;
    } cases[] = {{10, 2}, {11, 1}, {20, 1}, {21, 0}};
    for (const auto& c : cases) EXPECT_EQ(store.Runs(Second(c.since)).size(), c.runs) << c.since;
}

TEST(HistoryEdgeTest, ARunsOutcomesAreOnlyItsOwnWhenAnotherWriterRecordedBetweenItsFirstAndLast)
{
    TempDir dir;
    const std::string path = dir.File("history.sqlite");
    HistoryStore mine(path), other(path);
    const std::int64_t run = mine.BeginRun(RunKind::Submit, 1, Second(0));
    const std::int64_t theirs = other.BeginRun(RunKind::Submit, 1, Second(0));
    mine.RecordOutcomes(run, {Record("S1", "Ok", 1)});
    other.RecordOutcomes(theirs, {Record("T1", "X", 2), Record("T2", "X", 2)});
    mine.RecordOutcomes(run, {Record("S2", "Failed", 3)});
    EXPECT_EQ(Words(mine.RunOutcomes(run)), (std::vector<std::string>{"S1=Ok", "S2=Failed"}));
    EXPECT_EQ(mine.RunSpread(run), std::make_pair(1, 2));
    EXPECT_EQ(Words(mine.RunOutcomes(theirs)), (std::vector<std::string>{"T1=X", "T2=X"}));
}

TEST(HistoryEdgeTest, AWriteTransactionTakesTheLockAtItsStartSoAnotherWriterWaitsInsteadOfFailingLater)
{
    TempDir dir;
    const std::string path = dir.File("history.sqlite");
    HistoryStore{path};
    SqliteDb first(path, 0), second(path, 0);
    SqliteTransaction holding(first);
    try {
        second.Exec("INSERT INTO products(title) VALUES('B')");
        ADD_FAILURE() << "a second writer got in while a transaction was open";
    } catch (const SqliteError& e) {
        EXPECT_TRUE(e.Busy()) << e.what();
    }
}
