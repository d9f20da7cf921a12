#include "common/StatusWords.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Each outcome and the word reports and the history store for it: a word read back must give
// the outcome that wrote it, whatever else is read.
TEST(StatusWords, EachOutcomeReadsBackFromItsWordAndAnyOtherWordIsUnknown)
{
    const struct {
        Outcome outcome;
        std::string word;
    } known[] = {{Outcome::None, ""},         {Outcome::Ok, "Ok"},           {Outcome::NotAccepted, "X"},
                 {Outcome::Failed, "Failed"}, {Outcome::Invalid, "Invalid"}, {Outcome::Cancelled, "Cancelled"},
                 {Outcome::Unknown, "?"}};
    for (const auto& k : known) {
        EXPECT_EQ(StatusWords::Word(k.outcome), k.word);
        EXPECT_EQ(StatusWords::ToOutcome(k.word), k.outcome) << k.word;
    }
    // Compared exactly: no other case, no blanks, no words of the other lists.
    for (const char* other : {"ok", "OK", " Ok", "Ok ", "x", "failed", "Cancel", "->", "Yes", "No", "Later"})
        EXPECT_EQ(StatusWords::ToOutcome(other), Outcome::Unknown) << other;
    EXPECT_EQ(StatusWords::ToOutcome(std::string("Ok\0", 3)), Outcome::Unknown);
}

} // namespace
