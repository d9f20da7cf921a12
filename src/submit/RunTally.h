#pragma once

#include "common/Phrase.h"

#include <string>
#include <vector>

struct RunPair;

// What became of a run's pairs, counted together over every batch of a retry: "Ok", any
// other outcome (failed), and no outcome at all (cancelled under way, or never started); and
// the pairs left out because their site had taken the PAD link already (skipped).
// The end-of-run texts of the window and the command line are made here and nowhere else.
struct RunTally {
    int Ok = 0;
    int Failed = 0;
    int Cancelled = 0;
    int Skipped = 0;

    void Add(const std::vector<RunPair>& pairs);

    // "Finished." CR "Success: n" LF "Failed: m": the message at the end of a run; LF
    // "Skipped: k" follows when some pair was skipped.
    std::string Summary() const;
    // The same on one line ("Finished. Success: n Failed: m"); when some pair was
    // cancelled, "Cancelled. Success: n Failed: m Cancelled: k"; " Skipped: k" follows when
    // some pair was skipped.
    std::string SummaryLine() const;
    // SummaryLine as a phrase, for the window's language.
    Phrase SummaryPhrase() const;
};
