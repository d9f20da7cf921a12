#include "history/HistoryStore.h"
#include "common/StatusWords.h"
#include "history/HistoryFile.h"
#include "history/SqliteDb.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

HistoryTime At(int seconds)
{
    return HistoryTime(std::chrono::seconds(1'700'000'000 + seconds));
}

OutcomeRecord Pair(const std::string& product, const std::string& site, const std::string& word, int at,
                   const std::string& link = "")
{
    return OutcomeRecord{At(at),
                         product,
                         link.empty() ? "http://pad/" + product : link,
                         site,
                         "http://" + site + "/",
                         "GET",
                         StatusWords::ToOutcome(word),
                         word == "Ok" ? 200 : 0,
                         10,
                         word == "Failed" ? "connection refused" : "",
                         0,
                         ""};
}

std::vector<std::string> Keys(const std::vector<OutcomeRecord>& rows)
{
    std::vector<std::string> keys;
    for (const OutcomeRecord& o : rows) keys.push_back(o.Product + "/" + o.Site + "=" + StatusWords::Word(o.Outcome));
    return keys;
}

TEST(HistoryStoreTest, StartsAtTheCurrentSchemaInWalModeAndRefusesANewerFileUntouched)
{
    TempDir dir;
    const std::string path = dir.File("data/history.sqlite");
    EXPECT_TRUE(HistoryStore(path).Created());
    {
        SqliteDb db(path, 1000);
        EXPECT_EQ(db.Integer("PRAGMA user_version"), HistoryFile::SchemaVersion);
        EXPECT_EQ(db.Text("PRAGMA journal_mode"), "wal");
        db.Exec("PRAGMA user_version=" + std::to_string(HistoryFile::SchemaVersion + 1));
    }
    const std::string before = dir.Read("data/history.sqlite");
    EXPECT_THROW(HistoryStore{path}, HistoryError);
    EXPECT_EQ(dir.Read("data/history.sqlite"), before);
    EXPECT_FALSE(std::filesystem::exists(path + ".broken"));
}

TEST(HistoryStoreTest, ADamagedFileIsSetAsideWithItsWalUnderTheNextFreeNameAndANewOneStarted)
{
    TempDir dir;
    const std::string path = dir.File("history.sqlite");
    dir.Write("history.sqlite.broken", "set aside before");
    dir.Write("history.sqlite", "no database at all, but long enough to be read as a header...............");
    dir.Write("history.sqlite-wal", "stale wal");
    {
        HistoryStore store(path);
        EXPECT_NE(store.Notice().find("history.sqlite.broken.2"), std::string::npos) << store.Notice();
        EXPECT_TRUE(store.Created());
        store.RecordOutcomes(store.BeginRun(RunKind::Submit, 1, At(0)), {Pair("A", "S", "Ok", 0)});
    }
    EXPECT_EQ(dir.Read("history.sqlite.broken"), "set aside before");
    EXPECT_EQ(dir.Read("history.sqlite.broken.2-wal"), "stale wal");

    // A database whose pages were overwritten: only the whole-file check finds it, and that
    // runs only for a file whose last writer never closed it.
    {
        SqliteDb db(path, 1000);
        db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    }
    const auto size = std::filesystem::file_size(path);
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    for (std::uintmax_t at = 4096 * 2; at + 64 < size; at += 4096) {
        file.seekp(static_cast<std::streamoff>(at + 8));
        file.write("\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff", 12);
    }
    file.close();
    EXPECT_EQ(HistoryStore(path).Notice(), "");
    const pid_t child = ::fork();
    if (child == 0) {
        SqliteDb killed(path, 1000);
        killed.Exec("PRAGMA user_version=1");
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    HistoryStore again(path);
    EXPECT_NE(again.Notice().find("history.sqlite.broken.3"), std::string::npos) << again.Notice();
    EXPECT_TRUE(again.Latest().empty());
}

TEST(HistoryStoreTest, AnotherProgramsFileIsLeftUnchangedAndOneOfOursWithoutTheMarkIsMarked)
{
    TempDir dir;
    const std::string path = dir.File("history.sqlite");
    for (const std::string made : {"PRAGMA application_id=1234", "CREATE TABLE notes(text TEXT)"}) {
        const std::string other = std::to_string(made.size()) + ".db";
        SqliteDb(dir.File(other), 1000).Exec(made);
        std::filesystem::remove(path);
        std::filesystem::create_symlink(dir.File(other), path);
        const std::string bytes = dir.Read(other);
        EXPECT_THROW(HistoryStore{path}, HistoryError) << made;
        EXPECT_EQ(dir.Read(other), bytes) << made;
    }
    std::filesystem::remove(path);
    {
        HistoryStore store(path);
        store.RecordOutcomes(store.BeginRun(RunKind::Submit, 1, At(0)), {Pair("A", "S", "Ok", 0)});
    }
    SqliteDb(path, 1000).Exec("PRAGMA application_id=0"); // as a file of before the mark
    EXPECT_EQ(Keys(HistoryStore(path).Latest()), std::vector<std::string>{"A/S=Ok"});
    EXPECT_EQ(SqliteDb(path, 1000).Integer("PRAGMA application_id"), HistoryFile::ApplicationId);
}

TEST(HistoryStoreTest, AnIdMissingFromItsNameTableShowsAsAQuestionMarkAndNamesOfOtherWritersStillShow)
{
    TempDir dir;
    const std::string path = dir.File("history.sqlite");
    HistoryStore store(path), other(path);
    store.RecordOutcomes(store.BeginRun(RunKind::Submit, 1, At(0)),
                         {Pair("A", "S1", "Failed", 0), Pair("A", "S2", "Ok", 1)});
    other.RecordOutcomes(other.BeginRun(RunKind::Submit, 1, At(2)), {Pair("B", "S1", "X", 2)});
    SqliteDb(path, 1000).Exec("DELETE FROM words WHERE word='Failed'; DELETE FROM products WHERE title='A'");
    EXPECT_EQ(Keys(store.Latest()), (std::vector<std::string>{"?/S1=?", "?/S2=Ok", "B/S1=X"}));
    // A word this program never writes (a later version's) reads as Unknown, shown the same way.
    SqliteDb(path, 1000).Exec("UPDATE words SET word='Later' WHERE word='X'");
    EXPECT_EQ(HistoryStore(path).Latest().at(2).Outcome, Outcome::Unknown);
    other.RecordOutcomes(other.BeginRun(RunKind::Submit, 1, At(3)), {Pair("C", "S3", "Ok", 3)});
    EXPECT_EQ(Keys(store.Latest({{"C"}, {}, {}, {}, ""})), std::vector<std::string>{"C/S3=Ok"});
}

TEST(HistoryStoreTest, TwoWritersOnTheirOwnThreadsBothCommitEveryBatch)
{
    TempDir dir;
    const std::string path = dir.File("history.sqlite");
    HistoryStore{path};
    constexpr int Batches = 60, PerBatch = 10;
    auto writer = [&](const std::string& product) {
        HistoryStore store(path);
        const std::int64_t run = store.BeginRun(RunKind::Submit, PerBatch, At(0));
        for (int b = 0; b < Batches; ++b) {
            std::vector<OutcomeRecord> batch;
            for (int i = 0; i < PerBatch; ++i)
                batch.push_back(Pair(product, "Site" + std::to_string(i), b % 2 ? "Ok" : "X", b));
            store.RecordOutcomes(run, batch);
        }
        store.EndRun(run, RunEnd::Finished, At(Batches));
    };
    std::thread a(writer, "A"), b(writer, "B");
    a.join();
    b.join();
    HistoryStore store(path);
    const std::vector<RunSummary> runs = store.Runs();
    ASSERT_EQ(runs.size(), 2u);
    for (const RunSummary& r : runs) {
        EXPECT_EQ(r.Ok + r.X, Batches * PerBatch);
        EXPECT_EQ(r.End, RunEnd::Finished);
        // Its own outcomes, whatever the other writer put between them.
        const std::vector<OutcomeRecord> own = store.RunOutcomes(r.Id);
        ASSERT_EQ(own.size(), static_cast<size_t>(Batches * PerBatch));
        EXPECT_EQ(own.front().Product, own.back().Product);
    }
    EXPECT_EQ(store.Latest().size(), 2u * PerBatch);
    EXPECT_EQ(store.Attempts("B", "Site3").size(), static_cast<size_t>(Batches));
}

TEST(HistoryStoreTest, AProcessKilledDuringARunLeavesAGoodFileWithEveryBatchItHadRecorded)
{
    TempDir dir;
    const std::string path = dir.File("history.sqlite");
    int told[2];
    ASSERT_EQ(::pipe(told), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        HistoryStore store(path);
        const std::int64_t run = store.BeginRun(RunKind::Submit, 10, At(0));
        for (int b = 0;; ++b) {
            std::vector<OutcomeRecord> batch;
            for (int i = 0; i < 10; ++i)
                batch.push_back(Pair("P" + std::to_string(b), "S" + std::to_string(i), "Ok", b));
            store.RecordOutcomes(run, batch);
            if (::write(told[1], "b", 1) != 1) ::_exit(1);
        }
    }
    ::close(told[1]);
    char byte;
    int recorded = 0;
    while (recorded < 30 && ::read(told[0], &byte, 1) == 1) ++recorded;
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(told[0]);
    HistoryStore store(path);
    EXPECT_EQ(store.Notice(), "");
    const std::vector<RunSummary> runs = store.Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].End, RunEnd::Unfinished);
    EXPECT_GE(runs[0].Ok, recorded * 10);
    EXPECT_EQ(runs[0].Ok % 10, 0); // whole batches only
    EXPECT_EQ(store.RunOutcomes(runs[0].Id).size(), static_cast<size_t>(runs[0].Ok));
}

TEST(HistoryStoreTest, LatestIsEachPairsNewestOutcomeNotCancelledAndFiltersAfterPickingIt)
{
    TempDir dir;
    HistoryStore store(dir.File("history.sqlite"));
    const std::int64_t first = store.BeginRun(RunKind::Submit, 5, At(0));
    store.RecordOutcomes(first, {Pair("Beta", "S2", "Ok", 1), Pair("Alpha", "S2", "Failed", 2),
                                 Pair("Alpha", "S1", "Ok", 3), Pair("Beta", "S1", "Ok", 4)});
    store.EndRun(first, RunEnd::Finished, At(5));
    const std::int64_t second = store.BeginRun(RunKind::Retry, 5, At(100));
    // A later X replaces; a Cancelled pair and an older outcome recorded late do not.
    store.RecordOutcomes(second, {Pair("Alpha", "S2", "X", 101), Pair("Beta", "S1", "Cancelled", 102),
                                  Pair("Alpha", "S1", "Invalid", 0)});
    store.EndRun(second, RunEnd::Cancelled, At(103));

    EXPECT_EQ(Keys(store.Latest()),
              (std::vector<std::string>{"Alpha/S1=Ok", "Alpha/S2=X", "Beta/S1=Ok", "Beta/S2=Ok"}));
    const struct {
        HistoryFilter filter;
        std::vector<std::string> keys;
    } cases[] = {
        {{{"Beta", "Nobody"}, {}, {}, {}, ""}, {"Beta/S1=Ok", "Beta/S2=Ok"}},
        {{{}, {"S2"}, {"Ok", "X"}, {}, ""}, {"Alpha/S2=X", "Beta/S2=Ok"}},
        {{{}, {}, {"Failed"}, {}, ""}, {}}, // Alpha/S2 failed once, but its latest is X
        {{{}, {}, {}, At(4), ""}, {"Alpha/S2=X", "Beta/S1=Ok"}},
        {{{}, {}, {}, {}, "alp"}, {"Alpha/S1=Ok", "Alpha/S2=X"}},
        {{{"Nobody"}, {}, {}, {}, ""}, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Keys(store.Latest(c.filter)), c.keys);

    const std::vector<RunSummary> runs = store.Runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ((std::vector<int>{runs[1].Ok, runs[1].X, runs[1].Failed, runs[1].Invalid, runs[1].Cancelled}),
              (std::vector<int>{0, 1, 0, 1, 1}));
    EXPECT_EQ(store.LatestSubmitRun()->Id, second);
    EXPECT_EQ(Keys(store.Attempts("Alpha", "S1")), (std::vector<std::string>{"Alpha/S1=Invalid", "Alpha/S1=Ok"}));
    EXPECT_EQ(store.RunOutcomes(second).at(1).Reason, "");
    EXPECT_EQ(store.RunOutcomes(first).at(1).Reason, "connection refused");
    // The runs list's counts: the run's own pairs, not the other run's.
    EXPECT_EQ(store.RunSpread(first), std::make_pair(2, 2));
    EXPECT_EQ(store.RunSpread(second), std::make_pair(2, 2));
    const std::int64_t tests = store.BeginRun(RunKind::Test, 1, At(200));
    store.RecordPadTests(tests, {PadTestRecord{At(201), "Alpha", "http://a/pad.xml", Outcome::Ok, "", ""},
                                 PadTestRecord{At(202), "Alpha", "http://a/pad.xml", Outcome::Failed, "refused", ""}});
    EXPECT_EQ(store.RunSpread(tests), std::make_pair(1, 0));
}

TEST(HistoryStoreTest, SitesThatTookAPadLinkFollowTheLinkNotTheProductTitle)
{
    TempDir dir;
    HistoryStore store(dir.File("history.sqlite"));
    const std::int64_t run = store.BeginRun(RunKind::Submit, 1, At(0));
    store.RecordOutcomes(run, {Pair("Old Title", "S1", "Ok", 1, "http://pad/x.xml"),
                               Pair("New Title", "S2", "Ok", 2, "http://pad/x.xml"),
                               Pair("New Title", "S3", "Ok", 3, "http://pad/x.xml"),
                               Pair("New Title", "S3", "Failed", 4, "http://pad/x.xml"),
                               Pair("Other", "S4", "Ok", 5, "http://pad/y.xml")});
    EXPECT_EQ(store.SitesThatTook("http://pad/x.xml"), (std::set<std::string>{"S1", "S2"}));
    EXPECT_TRUE(store.SitesThatTook("http://pad/unknown.xml").empty());
    std::vector<OutcomeRecord> many;
    for (int i = 0; i < HistoryStore::RecentKept + 2; ++i) many.push_back(Pair("Other", "S3", i ? "X" : "Ok", 10 + i));
    store.RecordOutcomes(run, many);
    const std::vector<SiteRecent> recent = store.RecentBySite(HistoryStore::RecentKept + 5);
    ASSERT_EQ(recent.size(), 4u);
    EXPECT_EQ(recent[2].Site, "S3");
    EXPECT_EQ(recent[2].Outcomes, std::vector<Outcome>(HistoryStore::RecentKept, Outcome::NotAccepted));
    EXPECT_EQ(store.RecentBySite(2)[0].Outcomes, std::vector<Outcome>{Outcome::Ok});
}

} // namespace

TEST(HistoryStoreTest, AVersionOneFileKeepsItsRowsWithoutDetailAndNewRowsKeepTheirs)
{
    TempDir dir;
    const std::string path = dir.File("history.sqlite");
    HistoryStore(path).RecordOutcomes(1, {Pair("A", "S", "Failed", 0)});
    // The file as the first version left it: no detail anywhere.
    SqliteDb(path, 1000)
        .Exec("ALTER TABLE outcomes DROP COLUMN version; ALTER TABLE latest_pairs DROP COLUMN version; "
              "ALTER TABLE pad_tests DROP COLUMN version; ALTER TABLE validations DROP COLUMN version; "
              "DROP INDEX validations_by_link; ALTER TABLE outcomes DROP COLUMN detail; "
              "ALTER TABLE latest_pairs DROP COLUMN detail; ALTER TABLE pad_tests DROP COLUMN detail; "
              "PRAGMA user_version=1");
    HistoryStore store(path);
    OutcomeRecord reset = Pair("A", "S", "Failed", 5);
    reset.Detail = "10054:Connection reset by peer";
    store.RecordOutcomes(2, {reset});
    const std::vector<OutcomeRecord> attempts = store.Attempts("A", "S");
    ASSERT_EQ(attempts.size(), 2u);
    EXPECT_EQ(attempts[0].Reason + "|" + attempts[0].Detail, "connection refused|");
    EXPECT_EQ(attempts[1].Detail, reset.Detail);
    EXPECT_EQ(store.Latest().at(0).Detail, reset.Detail);
}

// A file the previous version of the program wrote (a run of two products to three sites): every
// row is kept with no version, and the rows recorded from now on keep theirs.
TEST(HistoryStoreTest, AVersionTwoFileKeepsEveryRowAndLearnsVersionsFromNowOn)
{
    TempDir dir;
    const std::string path = dir.File("history.sqlite");
    std::filesystem::copy_file(std::string(QP_SOURCE_DIR) + "/tests/history/data/history-v2.sqlite", path);
    HistoryStore store(path);
    EXPECT_EQ(SqliteDb(path, 1000).Integer("PRAGMA user_version"), HistoryFile::SchemaVersion);
    const std::vector<OutcomeRecord> before = store.Latest();
    ASSERT_EQ(before.size(), 6u);
    const std::vector<std::string> keys = Keys(before);
    EXPECT_NE(std::find(keys.begin(), keys.end(), "Tidy Notes/Alpine Downloads=X"), keys.end());
    for (const OutcomeRecord& o : before) EXPECT_EQ(o.Version, "") << o.Site;
    EXPECT_EQ(store.Runs().size(), 1u);

    OutcomeRecord again = Pair("Quick Ledger", "Acorn Software Shelf", "Ok", 200'000'000);
    again.Version = "1.1";
    store.RecordOutcomes(9, {again});
    store.RecordPadTests(9, {PadTestRecord{At(1), "Quick Ledger", "http://pad/ql.xml", Outcome::Ok, "", "", "1.1"}});
    store.RecordValidations(9, {ValidationRecord{At(1), "Quick Ledger", "http://pad/ql.xml", true, "", "1.1"}});
    const std::vector<OutcomeRecord> attempts = store.Attempts("Quick Ledger", "Acorn Software Shelf");
    ASSERT_EQ(attempts.size(), 2u);
    EXPECT_EQ(attempts[0].Version + "|" + attempts[1].Version, "|1.1");
    EXPECT_EQ(store.RunPadTests(9).at(0).Version, "1.1");
    EXPECT_EQ(store.RunValidations(9).at(0).Version, "1.1");
    EXPECT_EQ(store.LatestValidation("http://pad/ql.xml").value_or(ValidationRecord{}).Version, "1.1");
}

TEST(HistoryStoreTest, ALinksNewestValidationIsTheLaterOfTwoInOneSecond)
{
    TempDir dir;
    HistoryStore store(dir.File("history.sqlite"));
    EXPECT_FALSE(store.LatestValidation("http://pad/A").has_value());
    store.RecordValidations(1,
                            {{At(0), "A", "http://pad/A", false, "old"}, {At(9), "B", "http://pad/B", false, "B's"}});
    store.RecordValidations(2,
                            {{At(3), "A", "http://pad/A", false, "first"}, {At(3), "A", "http://pad/A", true, "new"}});
    EXPECT_EQ(store.LatestValidation("http://pad/A").value_or(ValidationRecord{}).Problems, "new");
    EXPECT_TRUE(store.LatestValidation("http://pad/A").value_or(ValidationRecord{}).Valid);
    EXPECT_FALSE(store.RunValidations(1).at(0).Valid);
}
