#pragma once

#include "history/HistoryGrid.h"
#include "history/HistoryRecords.h"

#include <cstdint>
#include <optional>
#include <vector>

class HistoryStore;
class SqliteDb;

// The queries of the history window that read a part of a large history: the grid's axes and
// a page of its cells, the number of runs and a page of them. Each is one query of the store's
// file, sorted and filtered by the database; none reads every outcome or every run into memory.
//
// Uses the store's connection: the store's owner thread only, and the store outlives it.
// Queries throw std::runtime_error (SqliteError) when the file fails them.
class HistoryPages {
public:
    explicit HistoryPages(HistoryStore& store);

    // What a grid is made of: the products and sites with a cell under the filter, each sorted
    // by title (bytes), and how many cells there are.
    struct GridAxes {
        HistoryGrid::Axis Products;
        HistoryGrid::Axis Sites;
        std::int64_t Cells = 0;
    };
    // The filter is the store's Latest filter; `until` also keeps only the pairs whose latest
    // outcome came at or before it.
    GridAxes Axes(const HistoryFilter& filter, std::optional<HistoryTime> until);
    // The cells of these products (by id) that the filter keeps, in no order.
    std::vector<OutcomeRecord> Cells(const HistoryFilter& filter, std::optional<HistoryTime> until,
                                     const std::vector<std::int64_t>& products);

    std::int64_t RunCount();
    // `count` runs from the `first`-th newest on, newest first (by start, then by id).
    std::vector<RunSummary> Runs(std::int64_t first, int count);
    // The latest `count` runs of kind Submit or Retry, oldest first.
    std::vector<RunSummary> LatestSent(int count);

private:
    SqliteDb& db_;
};
