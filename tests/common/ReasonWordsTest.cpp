#include "common/ReasonWords.h"

#include <gtest/gtest.h>

// A reason read back from a run or the history: only our own words become a phrase of ours
// (so the window translates them); everything else is data, shown as it is.
TEST(ReasonWords, ReadTakesBackOnlyOurOwnWordsAndLeavesEverythingElseAsItIs)
{
    const struct {
        std::string Words;
        bool FromSite;
        Phrase::Kind Kind;
        std::string Template; // of ours; empty for data
    } cases[] = {
        {"host name not found", false, Phrase::Kind::Ours, "host name not found"},
        {"connection reset by the server", false, Phrase::Kind::Ours, "connection reset by the server"},
        {ReasonWords::HttpsRefused, false, Phrase::Kind::Ours, ReasonWords::HttpsRefused},
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
        const Phrase read = ReasonWords::Read(c.Words, c.FromSite);
        EXPECT_EQ(read.Type(), c.Kind);
        if (c.Kind == Phrase::Kind::Ours) {
            EXPECT_EQ(read.Words(), c.Template);
        }
        EXPECT_EQ(read.English(), c.Words); // nothing lost or changed
    }
}
