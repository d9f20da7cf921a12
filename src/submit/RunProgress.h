#pragma once

#include "common/Outcome.h"
#include "common/Phrase.h"

#include <chrono>
#include <optional>
#include <string>

// How far a run has come, told alike by the command line's bar and the progress window: the
// outcomes counted so far, the time elapsed and the time left at the rate so far. Texts are
// English; the window shows them in its language through its templates.
//
// A plain value, owned by the thread that hears of the run's outcomes.
struct RunProgress {
    int Ok = 0;
    int X = 0;
    int Failed = 0; // "Failed" and "Invalid"

    // Counts one outcome a run's request ended with (Ok, NotAccepted, Failed or Invalid);
    // others are not counted.
    void Add(Outcome outcome);
    int Done() const { return Ok + X + Failed; }

    // The progress window's line for a run of `total` pairs, e.g.
    // "Ok 3  X 1  Failed 0  0:42 elapsed, 1:10 left".
    std::string Line(std::chrono::milliseconds elapsed, long long total) const;
    // The same line for the window's language.
    Phrase LinePhrase(std::chrono::milliseconds elapsed, long long total) const;

    // The time left at the rate so far, rounded up to a second; only once a tenth of `total`
    // is done (before that the rate says little) and while some is left.
    static std::optional<std::chrono::seconds> Left(std::chrono::milliseconds elapsed, long long done, long long total);
    // "0:42 elapsed", and ", 1:10 left" when there is a time left to tell.
    static std::string Times(std::chrono::milliseconds elapsed, long long done, long long total);
    // "0:42", "12:05", "1:02:03"; a negative time is 0:00.
    static std::string Duration(std::chrono::seconds time);
};
