#pragma once

#include "history/HistoryStore.h"

#include <memory>
#include <string>

// The history of runs as the window opens it at start: a new history takes in the run reports
// of the program folder's reports/. What went wrong is told, never thrown: a history that
// cannot be used leaves Store empty, and the program works on without recording.
//
// A value; the store it holds lives on the thread that opened it.
struct OpenedHistory {
    static constexpr const char* HistoryOffText = "Runs are not recorded in the history this time.";

    std::unique_ptr<HistoryStore> Store; // empty when the history cannot be used
    // What the user is to be told (a damaged file set aside, reports that could not be taken
    // in, a history that cannot be used); empty when all went well.
    std::string Told;

    static OpenedHistory Open(const std::string& path, const std::string& programFolder);
};
