#pragma once

#include "common/Outcome.h"

#include <chrono>
#include <cstdint>
#include <string>

// A checked product as the run sends it.
struct RunProduct {
    std::string Title;
    std::string PadLink;
    std::string Category;
    std::string Version{}; // as its PAD file named it when the run began; empty: not known
};

// One product sent to one site in a run, and what became of it.
struct RunPair {
    int Product = 0;                     // index into the run's products
    int SiteRow = 0;                     // row of the site table
    ::Outcome Outcome = ::Outcome::None; // None while none came (or never will: cancelled)
    int HttpStatus = 0;                  // 0 when no reply came
    std::int64_t Ms = 0;                 // how long the request took
    std::string Error;                   // the network layer's message for the error that ended it, if one did
    std::chrono::system_clock::time_point EndedAt{};
    std::string Why;      // why it did not go through, in the user's words (WorkReason)
    bool Started = false; // its request went out

    // An outcome came that counts: anything but None and Cancelled.
    bool Ended() const { return Outcome != ::Outcome::None && Outcome != ::Outcome::Cancelled; }
};
