#pragma once

#include "history/HistoryRecords.h"

#include <QTableWidget>

#include <functional>
#include <vector>

class HistoryStore;
class QTimer;

// The history window's list of runs, newest first: date, kind, how many products and sites,
// the counts of each outcome word and how the run ended. How many products and sites a run
// named takes reading its outcomes, so those two columns are filled a run per event once the
// list is up. GUI thread only.
class HistoryRunsList : public QTableWidget {
    Q_OBJECT
public:
    // `read` runs a query of the store and says whether it went well (telling the user if not).
    using Reader = std::function<bool(const std::function<void()>&)>;
    HistoryRunsList(HistoryStore& store, Reader read, QWidget* parent = nullptr);

    // Reads the runs again; returns false when the store failed.
    bool Fill();
    // Oldest first, as the store gives them.
    const std::vector<RunSummary>& Runs() const { return runs_; }

private:
    void FillNextSpread();

    HistoryStore& store_;
    Reader read_;
    std::vector<RunSummary> runs_;
    size_t spreadNext_ = 0; // the next row whose products and sites to count
    QTimer* spreadTimer_ = nullptr;
};
