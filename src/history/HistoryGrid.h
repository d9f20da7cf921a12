#pragma once

#include "history/HistoryRecords.h"
#include "history/PageCache.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The grid of the history window: products as rows and sites as columns, each cell the latest
// outcome of its pair. Rows and columns are the products and sites that have a cell left after
// the filters, sorted by their bytes, as the store gave them; a pair never tried is an empty
// cell. The grid is sparse and read a page of rows at a time: what it holds grows with the
// pairs of the rows looked at, never with products times sites (a history of 100,000 products
// and 100,000 sites is a grid of ten billion cells, nearly all empty).
//
// A value of one thread: reading a cell may read a page through the reader.
class HistoryGrid {
public:
    using Pair = std::pair<std::string, std::string>; // product title, site title
    // Ids as the store numbers the titles, and the titles in the order shown.
    struct Axis {
        std::vector<std::int64_t> Ids;
        std::vector<std::string> Titles;
    };
    // The cells of the products with these ids, in any order. A cell whose product or site is
    // not on the grid's axes (the history changed since) is left out.
    using CellReader = std::function<std::vector<OutcomeRecord>(const std::vector<std::int64_t>& products)>;
    // A rectangle of cells, both corners included.
    struct Range {
        int Top = 0, Left = 0, Bottom = -1, Right = -1;
    };

    static constexpr int PageRows = 64;
    static constexpr size_t PagesKept = 32;
    // The most cells (rows times columns, empty ones too) a CSV export writes.
    static constexpr std::int64_t CsvCellsMax = 20'000'000;

    HistoryGrid() = default;
    // `cells`: how many pairs the grid has, as the store counted them.
    HistoryGrid(Axis products, Axis sites, std::int64_t cells, CellReader read);

    const std::vector<std::string>& Products() const { return products_.Titles; }
    const std::vector<std::string>& Sites() const { return sites_.Titles; }
    std::int64_t CellCount() const { return cells_; }
    // How many cells are in memory now.
    size_t HeldCells() const;
    // The pair's latest outcome, or none for a pair never tried (or out of range).
    std::optional<OutcomeRecord> Cell(int row, int column) const;

    // The pairs of the cells in these ranges worth sending again: those whose outcome is not
    // "Ok", once each, in row then column order; empty and out-of-range cells are left out.
    std::vector<Pair> Retryable(const std::vector<Range>& ranges) const;

    // Whether the grid is small enough for Csv (at most CsvCellsMax cells).
    bool CsvFits() const;
    // The grid as CSV: a header "Product" and the site titles, then one record per product with
    // the outcome word of each site (empty when never tried). Cells are written safe for a
    // spreadsheet (CsvText::FormatCells).
    std::string Csv() const;

private:
    struct Held {
        int Row = 0;
        int Column = 0;
        OutcomeRecord Record;
    };
    using Page = std::vector<Held>; // sorted by row, then column

    const Page& PageOf(int row) const;
    Page Read(size_t page) const;

    Axis products_;
    Axis sites_;
    std::int64_t cells_ = 0;
    CellReader read_;
    mutable PageCache<Page> pages_{PagesKept};
};
