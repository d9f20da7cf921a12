#include "submit/RetryPlanSource.h"

#include "history/HistoryStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Clock = std::chrono::system_clock;
const Clock::time_point T0 = Clock::time_point(std::chrono::seconds(1'800'000'000));

ReportRow Row(const std::string& product, const std::string& site, const std::string& outcome,
              Clock::time_point at = T0)
{
    ReportRow row;
    row.Time = at;
    row.Product = product;
    row.Site = site;
    row.Outcome = outcome;
    return row;
}

// A run of the history started at `started`, ended unless `end` is Unfinished.
void Recorded(HistoryStore& store, Clock::time_point started, RunEnd end, const std::vector<ReportRow>& rows)
{
    const std::int64_t run = store.BeginRun(RunKind::Submit, 1, started);
    std::vector<OutcomeRecord> outcomes;
    for (const ReportRow& r : rows)
        outcomes.push_back(OutcomeRecord{r.Time, r.Product, "http://pad/", r.Site, "http://s/", "GET", r.Outcome});
    store.RecordOutcomes(run, outcomes);
    if (end != RunEnd::Unfinished) store.EndRun(run, end, started + std::chrono::seconds(5));
}

std::vector<std::string> Names(const RetryPlanSource& source)
{
    std::vector<std::string> out;
    for (const ReportPair& p : source.Pairs) out.push_back(p.Product + " " + p.Site);
    return out;
}

} // namespace

TEST(RetryPlanSource, EachPairCountsOnceAndThoseWithoutAnOutcomeWereNotSent)
{
    const RetryPlanSource source =
        RetryPlanSource::FromRows({Row("A", "s1", "Ok"), Row("A", "s2", "Failed"), Row("A", "s2", "Ok"),
                                   Row("B", "s1", RunReport::NotSent), Row("B", "s2", "Cancelled")});
    EXPECT_TRUE(source.Found);
    EXPECT_EQ(Names(source), (std::vector<std::string>{"A s2", "B s1", "B s2"}));
    EXPECT_EQ(source.Total, 4);
    EXPECT_EQ(source.NotSent, 1);
}

TEST(RetryPlanSource, AfterARestartAKilledRunsReportIsTheLastRunUnlessTheHistoryHasANewerOne)
{
    TempDir dir;
    EXPECT_FALSE(RetryPlanSource::Find("", nullptr, dir.Path()).Found);
    HistoryStore store(dir.File("data/history.sqlite"));
    EXPECT_FALSE(RetryPlanSource::Find("", &store, dir.Path()).Found);

    // A finished run, and its report: the history's outcomes count.
    Recorded(store, T0, RunEnd::Finished, {Row("A", "s1", "Failed"), Row("A", "s2", "Ok")});
    dir.Write("reports/run-20270115-080000.csv", RunReport::Format({Row("A", "s1", "Failed"), Row("A", "s2", "Ok")}));
    EXPECT_EQ(Names(RetryPlanSource::Find("", &store, dir.Path())), std::vector<std::string>{"A s1"});

    // A run killed a second later, before it sent B anywhere: the history kept A's outcomes.
    const auto killedAt = T0 + std::chrono::seconds(1);
    Recorded(store, killedAt, RunEnd::Unfinished, {Row("A", "s1", "Ok"), Row("A", "s2", "X")});
    const std::vector<ReportRow> planned = {Row("A", "s1", "", killedAt), Row("A", "s2", "", killedAt),
                                            Row("B", "s1", "", killedAt), Row("B", "s2", "", killedAt)};
    dir.Write("reports/run-20270115-080001.csv", RunReport::Format(planned));
    RetryPlanSource killed = RetryPlanSource::Find("", &store, dir.Path());
    EXPECT_EQ(Names(killed), (std::vector<std::string>{"A s2", "B s1", "B s2"}));
    EXPECT_EQ(killed.NotSent, 2);
    EXPECT_EQ(killed.Total, 4);

    // Without the history (one that could not be opened), the report alone: nothing was sent.
    killed = RetryPlanSource::Find("", nullptr, dir.Path());
    EXPECT_EQ(killed.NotSent, 4);

    // A run the history holds that started after that report: the report is an older run's.
    Recorded(store, killedAt + std::chrono::seconds(1), RunEnd::Finished, {Row("C", "s1", "Failed")});
    EXPECT_EQ(Names(RetryPlanSource::Find("", &store, dir.Path())), std::vector<std::string>{"C s1"});

    // This session's report comes first, whatever the history holds.
    const std::string session = dir.Write("elsewhere.csv", RunReport::Format({Row("D", "s1", "Invalid")}));
    EXPECT_EQ(Names(RetryPlanSource::Find(session, &store, dir.Path())), std::vector<std::string>{"D s1"});
}

TEST(RetryPlanSource, TheNewestReportIsTheLastOfItsSecondToBeWritten)
{
    TempDir dir;
    EXPECT_EQ(RetryPlanSource::NewestReport(dir.Path()), "");
    for (const char* name : {"run-20270115-080000-2.csv", "run-20270115-080000.csv", "run-20270115-075959-9.csv",
                             "run-20270115-080000-10.csv", "validate-20270116-000000.txt", "run-.csv"})
        dir.Write(std::string("reports/") + name, "");
    EXPECT_EQ(RetryPlanSource::NewestReport(dir.Path()), dir.File("reports/run-20270115-080000-10.csv"));
}
