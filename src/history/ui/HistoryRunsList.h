#pragma once

#include <QTableView>

#include <functional>

class HistoryPages;
class HistoryRunsModel;
class HistoryStore;

// The history window's list of runs, newest first, over HistoryRunsModel. GUI thread only.
class HistoryRunsList : public QTableView {
    Q_OBJECT
public:
    // `read` runs a query of the store and says whether it went well (telling the user if not).
    using Reader = std::function<bool(const std::function<void()>&)>;
    HistoryRunsList(HistoryStore& store, HistoryPages& pages, Reader read, QWidget* parent = nullptr);

    // Reads the runs again; returns false when the store failed.
    bool Fill();
    HistoryRunsModel& Model() const { return *model_; }

private:
    HistoryRunsModel* model_ = nullptr;
};
