#include "submit/RunTally.h"

#include "common/StatusWords.h"
#include "submit/SubmissionRun.h"

void RunTally::Add(const std::vector<RunPair>& pairs)
{
    for (const RunPair& pair : pairs) {
        if (pair.Outcome == StatusWords::Ok)
            ++Ok;
        else if (!pair.Outcome.empty())
            ++Failed;
        else
            ++Cancelled;
    }
}

std::string RunTally::Summary() const
{
    return "Finished.\rSuccess: " + std::to_string(Ok) + "\nFailed: " + std::to_string(Failed);
}

std::string RunTally::SummaryLine() const
{
    const std::string counts = "Success: " + std::to_string(Ok) + " Failed: " + std::to_string(Failed);
    if (Cancelled == 0) return "Finished. " + counts;
    return "Cancelled. " + counts + " Cancelled: " + std::to_string(Cancelled);
}
