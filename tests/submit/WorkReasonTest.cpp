#include "submit/WorkReason.h"

#include "net/HttpUrl.h"
#include "submit/Work.h"

#include <gtest/gtest.h>

TEST(WorkReason, EachWayARequestEndsReadsAsTheUserWouldSayIt)
{
    struct Case {
        WorkOutcome outcome;
        NetError kind;
        std::string reason;
        int code;
        std::string words;
    };
    const Case cases[] = {
        {WorkOutcome::Ok, NetError::Other, "", 200, ""},
        {WorkOutcome::Failed, NetError::TimedOut, "Socket capture aborted", 0, "no answer in 10 s"},
        {WorkOutcome::Failed, NetError::LookupTimedOut, "Lookup timed out", 0, "no answer in 10 s"},
        {WorkOutcome::Failed, NetError::LookupFailed, "Host Lookup Failed", 0, "host name not found"},
        {WorkOutcome::InvalidHost, NetError::NoAddress, "Null Remote Address", 0, "host name not found"},
        {WorkOutcome::Failed, NetError::ConnectFailed, "Connection Failed", 0, "connection refused"},
        {WorkOutcome::Failed, NetError::Other, "", 404, "server answered 404"},
        {WorkOutcome::Failed, NetError::CutShort, "Reply cut short", 200, "reply cut short"},
        {WorkOutcome::Failed, NetError::Other, UrlErrors::Secure, 0, WorkReason::HttpsRefused},
        {WorkOutcome::NotAccepted, NetError::Other, "", 200, "the reply did not say the link was taken"},
        // An error of no known kind keeps its own words; a reply's error beats its status.
        {WorkOutcome::Failed, NetError::Other, "Proxy says no", 502, "Proxy says no"},
        {WorkOutcome::Cancelled, NetError::Canceled, "Canceled", 0, "Cancelled"},
    };
    for (const Case& c : cases) {
        WorkResult r;
        r.Outcome = c.outcome;
        r.ErrorKind = c.kind;
        r.Reason = c.reason;
        r.ReplyCode = c.code;
        EXPECT_EQ(WorkReason::Words(r, 10000), c.words) << c.reason << " " << c.code;
    }
    WorkResult slow;
    slow.ErrorKind = NetError::TimedOut;
    slow.Reason = "Timed out";
    EXPECT_EQ(WorkReason::Words(slow, 2500), "no answer in 2.5 s");
}
