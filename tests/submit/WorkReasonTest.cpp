#include "submit/WorkReason.h"

#include "net/HttpUrl.h"
#include "submit/Work.h"

#include <gtest/gtest.h>

TEST(WorkReason, EachWayARequestEndsReadsAsTheUserWouldSayItWithTheSocketsMessageAsDetail)
{
    struct Case {
        WorkOutcome outcome;
        NetError kind;
        std::string reason;
        int code;
        std::string words;
        int socketCode = 0;
        std::string statusLine = {};
        std::string body = {};
    };
    const Case cases[] = {
        {WorkOutcome::Ok, NetError::Other, "", 200, ""},
        {WorkOutcome::Failed, NetError::TimedOut, "Socket readln aborted", 0, "no answer in 10 s"},
        {WorkOutcome::Failed, NetError::LookupTimedOut, "Lookup timed out", 0, "no answer in 10 s"},
        {WorkOutcome::Failed, NetError::LookupFailed, "Host Lookup Failed", 0, "host name not found"},
        {WorkOutcome::InvalidHost, NetError::NoAddress, "Null Remote Address", 0, "host name not found"},
        {WorkOutcome::Failed, NetError::ConnectFailed, "Connection Failed", 0, "connection refused"},
        {WorkOutcome::Failed, NetError::SocketError, "10054:Connection reset by peer", 200,
         "connection reset by the server", 10054},
        {WorkOutcome::Failed, NetError::Other, "", 404, "server answered 404 Not Found", 0, "HTTP/1.1 404 Not Found"},
        {WorkOutcome::Failed, NetError::Other, "", 503, "server answered 503", 0, "HTTP/1.0 503"},
        {WorkOutcome::Failed, NetError::CutShort, "Reply cut short", 200, "reply cut short"},
        {WorkOutcome::Failed, NetError::Other, UrlErrors::Secure, 0, WorkReason::HttpsRefused},
        {WorkOutcome::NotAccepted, NetError::Other, "", 200, "the reply did not say the link was taken", 0, "",
         "<html> <br> </html>"},
        {WorkOutcome::NotAccepted, NetError::Other, "", 200, "Sorry: your PAD file is known already.", 0, "",
         "<html><head><style>p{x:1}</style><SCRIPT>var a='<b>';</SCRIPT></head>\r\n<body><h1>Sorry:</h1>\t "
         "<p>your PAD\r\n\r\nfile is <b>known</b> already.</p></body>"},
        {WorkOutcome::Failed, NetError::Other, "Proxy says no", 502, "Proxy says no"},
        {WorkOutcome::Cancelled, NetError::Canceled, "Canceled", 0, "Cancelled"},
    };
    for (const Case& c : cases) {
        WorkResult r;
        r.Outcome = c.outcome;
        r.ErrorKind = c.kind;
        r.Reason = c.reason;
        r.ReplyCode = c.code;
        r.SocketCode = c.socketCode;
        r.ReplyText = c.statusLine;
        r.Body = c.body;
        EXPECT_EQ(WorkReason::Words(r, 10000), c.words) << c.reason << " " << c.code;
        EXPECT_EQ(WorkReason::Detail(r), c.reason);
    }
    WorkResult slow;
    slow.ErrorKind = NetError::TimedOut;
    slow.Reason = "Timed out";
    EXPECT_EQ(WorkReason::Words(slow, 2500), "no answer in 2.5 s");
}

TEST(WorkReason, ASitesAnswerIsCutAtTheLimitAndNeverInsideACharacter)
{
    const std::string words(WorkReason::AnswerLength - 1, 'a');
    EXPECT_EQ(WorkReason::AnswerText("<p>\n\n" + words + "b</p>c"), words + "b");
    EXPECT_EQ(WorkReason::AnswerText(words + "bc"), words + "b");
    EXPECT_EQ(WorkReason::AnswerText(words + "\xC3\xA9"), words);
    EXPECT_EQ(WorkReason::AnswerText(words.substr(1) + "\xC3\xA9z"), words.substr(1) + "\xC3\xA9");
    // A tag left open, or a script never closed, hides the rest.
    EXPECT_EQ(WorkReason::AnswerText("Denied <a href='x"), "Denied");
    EXPECT_EQ(WorkReason::AnswerText("Denied<script>alert(1)"), "Denied");
    EXPECT_EQ(WorkReason::AnswerText("\x1b[1m\xE2\x80\xAE"
                                     "evil\xE2\x81\xA9 \xE2\x80\x94"),
              "[1mevil \xE2\x80\x94");
}

// A reason read back from a run or the history: only our own words become a phrase of ours
// (so the window translates them); everything else is data, shown as it is.
TEST(WorkReason, ReadTakesBackOnlyItsOwnWordsAndLeavesEverythingElseAsItIs)
{
    const struct {
        std::string Words;
        bool FromSite;
        Phrase::Kind Kind;
        std::string Template; // of ours; empty for data
    } cases[] = {
        {"host name not found", false, Phrase::Kind::Ours, "host name not found"},
        {"connection reset by the server", false, Phrase::Kind::Ours, "connection reset by the server"},
        {WorkReason::HttpsRefused, false, Phrase::Kind::Ours, WorkReason::HttpsRefused},
        {"no answer in 10 s", false, Phrase::Kind::Ours, "no answer in %1 s"},
        {"no answer in 2.5 s", false, Phrase::Kind::Ours, "no answer in %1 s"},
        {"no answer in  s", false, Phrase::Kind::Text, ""},
        {"no answer in ten s", false, Phrase::Kind::Text, ""},
        {"no answer in 2.55 s", false, Phrase::Kind::Text, ""},
        {"server answered 404 Not Found", false, Phrase::Kind::Ours, "server answered %1"},
        {"server answered ", false, Phrase::Kind::Text, ""},
        {"server answered by mail", false, Phrase::Kind::Text, ""},
        {"Host name not found", false, Phrase::Kind::Text, ""}, // exact: the network layer's own words
        {"10054:Connection reset by peer", false, Phrase::Kind::Text, ""},
        // An "X": the site's words, even when they are ours word for word; only our sentence
        // for a reply that said nothing is ours.
        {"no answer in 10 s", true, Phrase::Kind::Text, ""},
        {"host name not found", true, Phrase::Kind::Text, ""},
        {"the reply did not say the link was taken", true, Phrase::Kind::Ours,
         "the reply did not say the link was taken"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Words);
        const Phrase read = WorkReason::Read(c.Words, c.FromSite);
        EXPECT_EQ(read.Type(), c.Kind);
        if (c.Kind == Phrase::Kind::Ours) {
            EXPECT_EQ(read.Words(), c.Template);
        }
        EXPECT_EQ(read.English(), c.Words); // nothing lost or changed
    }
}
