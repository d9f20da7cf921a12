#pragma once

#include "history/HistoryRecords.h"
#include "history/PageCache.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

// The rows of the history window's runs list, newest first, read from the store a page at a
// time as they are shown: a history of a million runs costs its count and the pages looked at.
// How many products and sites a run named takes reading its outcomes, so that is counted
// later, for the rows shown, one run at a time (WantSpread, then NextSpread).
//
// A value of one thread: asking for a row may read a page through the reader.
class HistoryRunRows {
public:
    // `count` runs from the `first`-th newest on, newest first.
    using PageReader = std::function<std::vector<RunSummary>(std::int64_t first, int count)>;
    // How many products and sites a run named; none when it could not be read.
    using SpreadReader = std::function<std::optional<std::pair<int, int>>(std::int64_t run)>;

    static constexpr int PageRows = 256;
    static constexpr size_t PagesKept = 16;
    // How many rows may wait for their products and sites: the most recently shown.
    static constexpr size_t SpreadsWaiting = 256;

    HistoryRunRows() = default;
    HistoryRunRows(std::int64_t count, PageReader read);

    std::int64_t Count() const { return count_; }
    // How many runs are in memory now.
    size_t HeldRows() const;
    // Row `row` (0 the newest); none past the end or when its page could not be read.
    std::optional<RunSummary> Row(std::int64_t row);

    // Row's products and sites when counted.
    std::optional<std::pair<int, int>> Spread(std::int64_t row);
    // Row is shown without its counts: count them soon (the latest wanted first).
    void WantSpread(std::int64_t row);
    // Counts the products and sites of the row wanted last that still lacks them; returns that
    // row, or none when no row waits (or the reader failed, which empties the wait).
    std::optional<std::int64_t> NextSpread(const SpreadReader& read);

private:
    struct Entry {
        RunSummary Run;
        std::optional<std::pair<int, int>> Spread;
    };
    using Page = std::vector<Entry>;
    Entry* Held(std::int64_t row, bool read);

    std::int64_t count_ = 0;
    PageReader read_;
    PageCache<Page> pages_{PagesKept};
    std::deque<std::int64_t> waiting_; // the rows wanted, the latest at the back
};
