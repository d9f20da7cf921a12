#pragma once

#include "history/HistoryGrid.h"
#include "history/HistoryRecords.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class HistoryGridModel;
class HistoryPages;
class HistoryRunsList;
class HistoryTitlesModel;
class HistoryStore;
class QChartView;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QTableView;
class QTableWidget;
class QTimer;

// What the history window asks of the rest of the program.
struct HistoryWindowCalls {
    // Send these (product title, site title) pairs again, as Retry Failed sends its pairs.
    std::function<void(std::vector<std::pair<std::string, std::string>>)> RetrySelected;
    // Uncheck these sites (by title) on the Auto Submit page.
    std::function<void(std::vector<std::string>)> UncheckSites;
    // The titles of the sites checked on the Auto Submit page now (when not given, every site
    // may be found dead).
    std::function<std::vector<std::string>()> CheckedSites;
};

// The history window: the grid of each product-site pair's latest outcome with its filters,
// the attempts of the pair under the cursor, the runs, and the plots of outcomes per run and
// of each site's share of "Ok". Not modal; a window of its own (Qt::Window) even with a
// parent. It reads the store when it opens and on Refresh, on the GUI thread that owns the
// store (which the caller keeps alive for the window's life): the titles and the number of
// runs then, the grid's cells and the runs a page at a time as they are shown. A store that
// fails a query leaves what is shown and says why in the window's status line.
class THistoryWindow : public QWidget {
    Q_OBJECT
public:
    THistoryWindow(HistoryStore& store, HistoryWindowCalls calls, QWidget* parent = nullptr);
    ~THistoryWindow() override;

    // A new window, deleted when closed, shown and raised.
    static THistoryWindow* Open(HistoryStore& store, HistoryWindowCalls calls, QWidget* parent);

    // Reads everything again (the filters stay).
    void Refresh();

    const HistoryGrid& Grid() const;

protected:
    // Escape that no control of the window takes closes it, as Close does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Build();
    // Every caption of the window in the language applied last; again at each change of language.
    void Recaption();
    HistoryFilter Filter() const;
    std::optional<HistoryTime> Until() const;
    // The grid as the filters keep it: its axes read from the store, or given.
    void FillGrid();
    void FillGrid(HistoryGrid::Axis products, HistoryGrid::Axis sites, std::int64_t cells);
    void FillCharts();
    // Sets the widths of the grid's columns in [first, last] not set yet / of those in view.
    void SizeColumns(int first, int last);
    void SizeColumnsInView();
    void ShowAttempts();
    void RetrySelected();
    void ExportCsv();
    void UncheckDeadSites();
    // Runs `read`; on failure says so in the status line and returns false.
    bool Read(const std::function<void()>& read);

    HistoryStore& store_;
    std::unique_ptr<HistoryPages> queries_;
    HistoryWindowCalls calls_;
    bool chartsStale_ = true;
    // A grid of at most this many sites has its columns sized when filled.
    static constexpr size_t ColumnsSizedAtOnce = 2000;
    std::vector<bool> sized_; // by column: its width was set

    QTabWidget* pages_ = nullptr;
    QComboBox* product_ = nullptr;
    QComboBox* site_ = nullptr;
    HistoryTitlesModel* products_ = nullptr;
    HistoryTitlesModel* sites_ = nullptr;
    QComboBox* outcome_ = nullptr;
    QCheckBox* fromCheck_ = nullptr;
    QDateEdit* from_ = nullptr;
    QCheckBox* toCheck_ = nullptr;
    QDateEdit* to_ = nullptr;
    QLineEdit* search_ = nullptr;
    QTimer* searchDelay_ = nullptr;
    HistoryGridModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    QLabel* attemptsLabel_ = nullptr;
    QTableWidget* attempts_ = nullptr;
    HistoryRunsList* runsList_ = nullptr;
    QChartView* runsChart_ = nullptr;
    QChartView* sitesChart_ = nullptr;
    QScrollArea* sitesScroll_ = nullptr;
    QLabel* status_ = nullptr;
};
