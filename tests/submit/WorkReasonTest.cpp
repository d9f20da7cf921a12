#include "submit/WorkReason.h"

#include "net/HttpUrl.h"
#include "submit/Work.h"

#include <gtest/gtest.h>

TEST(WorkReason, EachWayARequestEndsReadsAsTheUserWouldSayItWithTheSocketsMessageAsDetail)
{
    struct Case {
        Outcome outcome;
        NetError kind;
        std::string reason;
        int code;
        std::string words;
        int socketCode = 0;
        std::string statusLine = {};
        std::string body = {};
    };
    const Case cases[] = {
        {Outcome::Ok, NetError::Other, "", 200, ""},
        {Outcome::Failed, NetError::TimedOut, "Socket readln aborted", 0, "no answer in 10 s"},
        {Outcome::Failed, NetError::LookupTimedOut, "Lookup timed out", 0, "no answer in 10 s"},
        {Outcome::Failed, NetError::LookupFailed, "Host Lookup Failed", 0, "host name not found"},
        {Outcome::Invalid, NetError::NoAddress, "Null Remote Address", 0, "host name not found"},
        {Outcome::Failed, NetError::ConnectFailed, "Connection Failed", 0, "connection refused"},
        {Outcome::Failed, NetError::SocketError, "10054:Connection reset by peer", 200,
         "connection reset by the server", 10054},
        {Outcome::Failed, NetError::Other, "", 404, "server answered 404 Not Found", 0, "HTTP/1.1 404 Not Found"},
        {Outcome::Failed, NetError::Other, "", 503, "server answered 503", 0, "HTTP/1.0 503"},
        {Outcome::Failed, NetError::CutShort, "Reply cut short", 200, "reply cut short"},
        {Outcome::Failed, NetError::Other, UrlErrors::Secure, 0, WorkReason::HttpsRefused},
        {Outcome::NotAccepted, NetError::Other, "", 200, "the reply did not say the link was taken", 0, "",
         "<html> <br> </html>"},
        {Outcome::NotAccepted, NetError::Other, "", 200, "Sorry: your PAD file is known already.", 0, "",
         "<html><head><style>p{x:1}</style><SCRIPT>var a='<b>';</SCRIPT></head>\r\n<body><h1>Sorry:</h1>\t "
         "<p>your PAD\r\n\r\nfile is <b>known</b> already.</p></body>"},
        {Outcome::Failed, NetError::Other, "Proxy says no", 502, "Proxy says no"},
        {Outcome::Cancelled, NetError::Canceled, "Canceled", 0, "Cancelled"},
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
