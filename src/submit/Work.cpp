#include "submit/Work.h"

#include "common/StatusWords.h"

std::vector<PadProblem> WorkResult::ReplyProblems(const WorkResult& result, const std::string& padLink)
{
    if (result.ReplyCode != 200) {
        std::string what;
        if (result.ReplyCode > 0)
            what = "the server answered " + std::to_string(result.ReplyCode) + " instead of the file";
        else
            what = "no reply" + (result.Reason.empty() ? std::string() : ": " + result.Reason);
        return {{"PAD file", padLink, what}};
    }
    // Only the first MiB of a longer file was read.
    if (result.ErrorKind == NetError::BodyTooLarge)
        return {{"PAD file", padLink, "the file is larger than 1 MiB (it was not read past that)"}};
    if (!result.Reason.empty()) return {{"PAD file", padLink, "the reply was cut: " + result.Reason}};
    return {};
}

Method SubmissionRequest::MethodOf(std::string_view word)
{
    return word == "GET" ? Method::Get : word == "POST" ? Method::Post : Method::Other;
}

std::string StatusWord(const WorkRequest& request, Outcome outcome)
{
    // A list shows nothing for a cancelled request, and only "Ok" of a PAD test.
    if (outcome == Outcome::Cancelled) return "";
    if (!std::holds_alternative<SubmissionRequest>(request)) return outcome == Outcome::Ok ? StatusWords::Ok : "";
    return StatusWords::Word(outcome);
}
