#include "submit/CancelToken.h"
#include "submit/Work.h"
#include "submit/WorkerGate.h"

#include "common/OwnerThreadQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <utility>

TEST(CancelToken, ABreakerRunsOnceWhetherItCameBeforeOrAfterTheCancelAndNeverOnceCleared)
{
    int runs = 0;
    CancelToken before;
    before.SetBreaker([&] { ++runs; });
    before.Cancel();
    before.Cancel();
    EXPECT_EQ(runs, 1);
    // A cancel that came before the worker made its client still reaches the client.
    CancelToken after;
    after.Cancel();
    after.SetBreaker([&] { ++runs; });
    EXPECT_EQ(runs, 2);
    CancelToken cleared;
    cleared.SetBreaker([&] { ++runs; });
    cleared.ClearBreaker();
    cleared.Cancel();
    EXPECT_EQ(runs, 2);
    EXPECT_TRUE(cleared.Cancelled());
}

TEST(WorkerGate, ACallUnderWayAtCloseIsServedAndNoneRunsAfterwards)
{
    std::atomic<bool> queued{false};
    OwnerThreadQueue queue([&] { queued = true; });
    WorkerGate gate(queue);
    int ran = 0;
    bool passed = false;
    std::thread worker([&] { passed = gate.Call([&] { ++ran; }); });
    while (!queued) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    gate.Close(); // serves the call waiting in the queue
    worker.join();
    EXPECT_TRUE(passed);
    EXPECT_EQ(ran, 1);
    std::thread late([&] { passed = gate.Call([&] { ++ran; }); });
    late.join();
    EXPECT_FALSE(passed);
    EXPECT_EQ(ran, 1);
}

TEST(WorkResult, TheWordsOfTheOutcomesAndTheProblemsOfAReplyThatIsNoPadFile)
{
    const WorkRequest submission = SubmissionRequest{};
    const WorkRequest test = PadTestRequest{};
    // The lists show nothing for a cancelled request, and of a PAD test only its Ok.
    EXPECT_EQ(StatusWord(submission, Outcome::Invalid), "Invalid");
    EXPECT_EQ(StatusWord(submission, Outcome::Cancelled), "");
    EXPECT_EQ(StatusWord(test, Outcome::Ok), "Ok");
    EXPECT_EQ(StatusWord(test, Outcome::Failed), "");
    // A site's method word is matched exactly; any other sends nothing.
    for (const auto& [word, method] :
         {std::pair{"GET", Method::Get}, std::pair{"POST", Method::Post}, std::pair{"get", Method::Other},
          std::pair{"PUT", Method::Other}, std::pair{"", Method::Other}})
        EXPECT_EQ(SubmissionRequest::MethodOf(word), method) << word;

    struct Case {
        int code;
        NetError kind;
        const char* reason;
        const char* what; // "" : no problem
    };
    for (const Case& c : {Case{200, NetError::Other, "", ""},
                          Case{404, NetError::Other, "", "the server answered 404 instead of the file"},
                          Case{0, NetError::ConnectFailed, "Connection refused", "no reply: Connection refused"},
                          Case{0, NetError::Other, "", "no reply"},
                          Case{200, NetError::BodyTooLarge, "Reply body exceeds 1 MiB",
                               "the file is larger than 1 MiB (it was not read past that)"},
                          Case{200, NetError::CutShort, "Reply cut short", "the reply was cut: Reply cut short"}}) {
        WorkResult result;
        result.ReplyCode = c.code;
        result.ErrorKind = c.kind;
        result.Reason = c.reason;
        const std::vector<PadProblem> problems = WorkResult::ReplyProblems(result, "http://a/p.xml");
        if (*c.what == '\0') {
            EXPECT_TRUE(problems.empty()) << c.code;
            continue;
        }
        ASSERT_EQ(problems.size(), 1u) << c.what;
        EXPECT_EQ(problems[0], (PadProblem{"PAD file", "http://a/p.xml", c.what}));
    }
}
