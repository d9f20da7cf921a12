#include "submit/RunTally.h"

#include "submit/RunPair.h"

void RunTally::Add(const std::vector<RunPair>& pairs)
{
    for (const RunPair& pair : pairs) {
        if (pair.Outcome == Outcome::Ok)
            ++Ok;
        else if (pair.Ended())
            ++Failed;
        else
            ++Cancelled;
    }
}

std::string RunTally::Summary() const
{
    std::string text = "Finished.\rSuccess: " + std::to_string(Ok) + "\nFailed: " + std::to_string(Failed);
    if (Skipped > 0) text += "\nSkipped: " + std::to_string(Skipped);
    return text;
}

Phrase RunTally::SummaryPhrase() const
{
    const auto n = [](int count) { return Phrase::Text(std::to_string(count)); };
    if (Cancelled == 0 && Skipped == 0) return Phrase("Finished. Success: %1 Failed: %2", {n(Ok), n(Failed)});
    if (Cancelled == 0) return Phrase("Finished. Success: %1 Failed: %2 Skipped: %3", {n(Ok), n(Failed), n(Skipped)});
    if (Skipped == 0)
        return Phrase("Cancelled. Success: %1 Failed: %2 Cancelled: %3", {n(Ok), n(Failed), n(Cancelled)});
    return Phrase("Cancelled. Success: %1 Failed: %2 Cancelled: %3 Skipped: %4",
                  {n(Ok), n(Failed), n(Cancelled), n(Skipped)});
}

std::string RunTally::SummaryLine() const
{
    std::string counts = "Success: " + std::to_string(Ok) + " Failed: " + std::to_string(Failed);
    if (Cancelled > 0) counts += " Cancelled: " + std::to_string(Cancelled);
    if (Skipped > 0) counts += " Skipped: " + std::to_string(Skipped);
    return (Cancelled == 0 ? "Finished. " : "Cancelled. ") + counts;
}
