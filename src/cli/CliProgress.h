#pragma once

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

// How far a command's work has come, on `err` (stderr): on a terminal one bar that redraws in
// place (at most ten times a second on outcomes, and each second between them, so that its
// time moves on a slow run) with the counts, the time elapsed and, once a tenth is done, the
// time left; on a pipe one line per outcome, "[n/total] " and the outcome's text; nothing
// when quiet. The clock is given, so that tests need not wait.
//
// Owner thread of the work: the one that hears of its outcomes.
class CliProgress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    // The names of the bar's two counts, e.g. "Ok" and "Failed".
    struct Words {
        const char* Good;
        const char* Bad;
    };

    CliProgress(std::ostream& err, bool quiet, bool terminal, int total, Words words,
                Clock now = &std::chrono::steady_clock::now);

    // One piece of work ended; `good` picks its count, `text` follows "[n/total] " on a pipe.
    void Ended(bool good, const std::string& text);
    // Redraws the bar when a second has passed since it was last drawn (or it has not been yet).
    void Tick();
    // Ends the bar's line, if one was drawn.
    void End();

    int Good() const { return good_; }
    int Bad() const { return bad_; }

private:
    void Draw();

    std::ostream& err_;
    bool quiet_;
    bool terminal_;
    int total_;
    Words words_;
    Clock now_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDrawn_{};
    bool barShown_ = false;
    bool stale_ = false; // an outcome came that the bar does not show yet
    size_t barLength_ = 0;
    int good_ = 0;
    int bad_ = 0;
};
