#pragma once

#include "common/Outcome.h"
#include "common/Phrase.h"
#include "common/ReasonWords.h"

#include <cstddef>
#include <string>

struct WorkResult;

// Why a request did not go through, in the words the user reads: the one text the tool tips,
// the history, the run reports and the command line all show ("no answer in 10 s", "host name
// not found", "server answered 404 Not Found", ...; for a reply without the success marker,
// the start of what the site said). Empty for a request that went through. `timeoutMs` is the
// wait the worker had (0: none). The network layer's own message stays beside it as the detail.
//
// Plain functions of their arguments; any thread.
class WorkReason {
public:
    static constexpr const char* HttpsRefused = ReasonWords::HttpsRefused;
    static constexpr const char* CancelledText = ReasonWords::Cancelled;

    // The most of a site's answer a reason shows.
    static constexpr std::size_t AnswerLength = 200;

    static std::string Words(const WorkResult& result, int timeoutMs);
    // The network layer's message ("Socket readln aborted", "10054:Connection reset by peer"),
    // empty when none came.
    static std::string Detail(const WorkResult& result);
    // The start of a reply as text: tags (and what script and style elements hold), control
    // bytes and text-direction overrides removed, each run of blanks one space, at most
    // AnswerLength bytes, never a UTF-8 character cut.
    static std::string AnswerText(const std::string& body);
    // A site row's tip for the pair sent to it last: the product, its outcome's word
    // ("Cancelled" when none came), the HTTP status when a reply came, and why, one a line.
    static Phrase Tip(const std::string& product, Outcome outcome, int httpStatus, const std::string& why);
};
