#pragma once

#include "history/HistoryRecords.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The grid of the history window: products as rows and sites as columns, each cell the latest
// outcome of its pair, made from what HistoryStore::Latest gave back. Rows and columns are the
// products and sites that have a cell left after the filters, sorted by their bytes; a pair
// never tried is an empty cell. A plain value; any thread.
class HistoryGrid {
public:
    using Pair = std::pair<std::string, std::string>; // product title, site title

    HistoryGrid() = default;
    // Keeps the outcomes that came at or before `until` (all when none): with the store's
    // Since, the grid shows the pairs whose latest outcome lies in a date range.
    explicit HistoryGrid(std::vector<OutcomeRecord> latest, std::optional<HistoryTime> until = std::nullopt);

    const std::vector<std::string>& Products() const { return products_; }
    const std::vector<std::string>& Sites() const { return sites_; }
    int CellCount() const { return static_cast<int>(records_.size()); }
    // The pair's latest outcome, or null for a pair never tried (or out of range).
    const OutcomeRecord* Cell(int row, int column) const;

    // The pairs of the given cells worth sending again: those whose outcome is not "Ok", once
    // each, in row then column order; empty and out-of-range cells are left out.
    std::vector<Pair> Retryable(std::vector<std::pair<int, int>> cells) const;

    // The grid as CSV: a header "Product" and the site titles, then one record per product with
    // the outcome word of each site (empty when never tried). Cells are written safe for a
    // spreadsheet (CsvText::FormatCells).
    std::string Csv() const;

private:
    std::vector<OutcomeRecord> records_;
    std::vector<std::string> products_;
    std::vector<std::string> sites_;
    std::vector<int> cells_; // row-major index into records_, -1 when never tried
};
