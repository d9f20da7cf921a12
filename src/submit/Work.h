#pragma once

#include "common/Outcome.h"
#include "net/ESockError.h"
#include "pad/PadRule.h"
#include "pad/PadSummary.h"
#include "pad/PadValidation.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// How a submission is sent. Other: the site table names neither; nothing is sent, it fails.
enum class Method { Get, Post, Other };

// One submission of a run: the site's script address, the query, the method and the text a
// reply must hold to count as accepted. https addresses are refused unless the worker allows
// them.
struct SubmissionRequest {
    std::string Url;
    std::string Query;
    ::Method Method = ::Method::Get;
    std::string SuccessMarker;

    // The method a site table's word names: "GET" or "POST", exactly; any other is Other.
    static ::Method MethodOf(std::string_view word);
};

// Test PAD: a connection to the server a PAD link names (see PadServer), closed as soon as
// it is made (https: once its handshake is through); nothing is sent.
struct PadTestRequest {
    std::string PadLink;
};

// What the checks of a downloaded PAD file need: the category list and the rules in use.
// Made once per batch and shared read-only by its workers.
struct PadCheckInput {
    std::vector<std::string> Categories;
    std::vector<PadRule> Rules;
};

// A GET of a PAD link, read no further than the largest PAD file the checks take. With
// `Checks`, the worker's own thread then checks the reply: Validate PADs wants its problems,
// From PAD its summary.
struct PadDownloadRequest {
    enum class Use { Problems, Summary };
    std::string PadLink;
    std::shared_ptr<const PadCheckInput> Checks; // null: the body only
    Use For = Use::Problems;
};

using WorkRequest = std::variant<SubmissionRequest, PadTestRequest, PadDownloadRequest>;

// What became of one request.
struct WorkResult {
    ::Outcome Outcome = ::Outcome::Failed;
    std::string Reason;                   // the network layer's own message for the error that ended it, if one did
    NetError ErrorKind = NetError::Other; // its kind, when the network layer raised it
    int SocketCode = 0;                   // the Winsock-style code of a SocketError (10054: reset)
    int ReplyCode = 0;                    // the HTTP status of the (last) reply; 0 when none came
    std::string ReplyText;                // that reply's status line ("HTTP/1.1 404 Not Found")
    std::string Body;                     // a download's 200 reply body; a submission's reply when not accepted
    std::int64_t ElapsedMs = 0;           // from the start of the request to its end
    std::vector<PadProblem> Problems;     // a checked download's problems: its reply's, or else the file's
    PadSummary Summary;                   // a download checked for From PAD

    // A download that gave no whole 200 reply: that one problem, in the words of the report.
    static std::vector<PadProblem> ReplyProblems(const WorkResult& result, const std::string& padLink);
};

// The Status column's word for an outcome: of the Auto Submit list for a submission, of the
// Products list for a PAD test ("Ok" or nothing).
std::string StatusWord(const WorkRequest& request, Outcome outcome);
