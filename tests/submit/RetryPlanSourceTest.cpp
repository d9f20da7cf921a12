#include "submit/RetryPlanSource.h"
#include "common/StatusWords.h"

#include "history/HistoryStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const HistoryTime T0(std::chrono::seconds(1'800'000'000));

ReportRow Row(const std::string& product, const std::string& outcome, HistoryTime at = T0)
{
    return ReportRow{at, product, "http://pad/", "S", "http://s/", "GET", StatusWords::ToOutcome(outcome), 0, -1,
                     "", ""};
}

// A submit run of the history; an Unfinished one was killed.
void Recorded(HistoryStore& store, HistoryTime started, RunEnd end, const std::vector<ReportRow>& rows)
{
    const std::int64_t run = store.BeginRun(RunKind::Submit, 1, started);
    for (const ReportRow& r : rows)
        store.RecordOutcomes(run, {{r.Time, r.Product, r.PadLink, r.Site, r.ScriptUrl, r.Method, r.Outcome, 0, -1, "",
                                    0, "", ""}});
    if (end != RunEnd::Unfinished) store.EndRun(run, end, started);
}

std::string Products(const RetryPlanSource& source)
{
    std::string out;
    for (const ReportPair& p : source.Pairs) out += p.Product;
    return out + " " + std::to_string(source.NotSent) + "/" + std::to_string(source.Total);
}

} // namespace

TEST(RetryPlanSource, AKilledRunsReportIsTheLastRunUnlessTheHistoryHoldsANewerOne)
{
    TempDir dir;
    HistoryStore store(dir.File("data/history.sqlite"));
    EXPECT_FALSE(RetryPlanSource::Find("", &store, dir.Path()).Found);
    Recorded(store, T0, RunEnd::Finished, {Row("A", "Failed"), Row("B", "Ok"), Row("A", "X")});
    dir.Write("reports/run-20270115-080000.csv", RunReport::Format({Row("A", "Failed"), Row("B", "Ok")}));
    EXPECT_EQ(Products(RetryPlanSource::Find("", &store, dir.Path())), "A 0/2");

    // Killed a second later: the history kept A's and B's outcomes, C and D were never sent.
    const HistoryTime killedAt = T0 + std::chrono::seconds(1);
    Recorded(store, killedAt, RunEnd::Unfinished, {Row("A", "Ok", killedAt), Row("B", "X", killedAt)});
    std::vector<ReportRow> planned;
    for (const char* product : {"A", "B", "C", "D"}) planned.push_back(Row(product, "", killedAt));
    dir.Write("reports/run-20270115-080001.csv", RunReport::Format(planned));
    EXPECT_EQ(Products(RetryPlanSource::Find("", &store, dir.Path())), "BCD 2/4");
    EXPECT_EQ(Products(RetryPlanSource::Find("", nullptr, dir.Path())), "ABCD 4/4"); // no history to ask

    // A later run in the history: the report is an older run's.
    Recorded(store, killedAt + std::chrono::seconds(1), RunEnd::Finished, {Row("E", "Invalid")});
    EXPECT_EQ(Products(RetryPlanSource::Find("", &store, dir.Path())), "E 0/1");

    // The newest report is the last of its second to be written.
    for (const char* name : {"run-20270115-080001-2.csv", "run-20270115-080001-10.csv", "validate-20280101.txt"})
        dir.Write(std::string("reports/") + name, "");
    EXPECT_EQ(RetryPlanSource::NewestReport(dir.Path()), dir.File("reports/run-20270115-080001-10.csv"));
}
