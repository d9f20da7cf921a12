#include "submit/OpenedHistory.h"

#include "submit/HistoryImport.h"

#include <exception>

OpenedHistory OpenedHistory::Open(const std::string& path, const std::string& programFolder)
{
    OpenedHistory opened;
    try {
        opened.Store = std::make_unique<HistoryStore>(path);
    } catch (const std::exception& e) {
        opened.Store.reset();
        opened.Told = std::string(e.what()) + "\r" + HistoryOffText;
        return opened;
    }
    std::string told = opened.Store->Notice();
    if (opened.Store->Created()) {
        std::string problems;
        try {
            problems = HistoryImport::ImportFolder(*opened.Store, programFolder);
        } catch (const std::exception& e) {
            problems = e.what();
        }
        if (!problems.empty()) told += (told.empty() ? "" : "\r") + problems;
    }
    opened.Told = told;
    return opened;
}
