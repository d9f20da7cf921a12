#pragma once

// What became of one request, compared as this type from the worker through the run, its
// tally and report, the history and the command line. The words a user reads or a file
// holds ("Ok", "X", ...) are made from it only where they are shown or stored, through
// StatusWords::Word and StatusWords::ToOutcome.
enum class Outcome {
    None,        // none came yet: a pair under way or not sent, a report's pair of a killed run
    Ok,          // accepted; the PAD server answered; a whole 200 reply came
    NotAccepted, // a submission's reply came without the site's success marker
    Failed,      // anything else: no connection, an error reply, a cut reply, ...
    Invalid,     // the host name did not resolve (a submission's asked twice)
    Cancelled,   // broken off by its owner; nothing of it counts
    Unknown,     // read from a word this program does not write (an edited file, a later version)
};
