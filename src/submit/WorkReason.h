#pragma once

#include <string>

struct WorkResult;

// Why a request did not go through, in the words the user reads in tool tips ("no answer in
// 10 s", "host name not found", "server answered 404", ...). Empty for a request that went
// through. `timeoutMs` is the wait the worker had (0: none).
//
// Plain functions of their arguments; any thread.
class WorkReason {
public:
    static constexpr const char* HttpsRefused = "https sites are not allowed (Settings > Allow https sites)";
    static constexpr const char* CancelledText = "Cancelled";

    static std::string Words(const WorkResult& result, int timeoutMs);
    // A site row's tip for the pair sent to it last: the product, its outcome (the row's
    // Status word), the HTTP status when a reply came, and why, one a line.
    static std::string Tip(const std::string& product, const std::string& outcome, int httpStatus,
                           const std::string& why);
};
