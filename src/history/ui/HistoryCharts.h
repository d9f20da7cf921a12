#pragma once

#include "history/HistoryRecords.h"
#include "history/SiteHealth.h"

#include <vector>

class QChart;

// The history window's two plots, made afresh from the store's answers. GUI thread only.
class HistoryCharts {
public:
    // How many of the latest submit and retry runs the outcomes plot shows.
    static constexpr int RunsShown = 30;

    // The outcomes of each of the latest runs that sent pairs, as stacked bars, oldest left.
    static QChart* OutcomesPerRun(const std::vector<RunSummary>& runs);
    // Each site's share of "Ok" in percent, the lowest share at the top.
    static QChart* OkShares(const std::vector<SiteHealth::Share>& shares);
};
