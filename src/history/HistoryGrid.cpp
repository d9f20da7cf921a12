#include "history/HistoryGrid.h"

#include "common/CsvText.h"
#include "common/StatusWords.h"

#include <algorithm>

namespace {

// The index of `text` among `sorted[first, last)`, or -1.
int IndexIn(const std::vector<std::string>& sorted, size_t first, size_t last, const std::string& text)
{
    const auto end = sorted.begin() + static_cast<std::ptrdiff_t>(last);
    const auto it = std::lower_bound(sorted.begin() + static_cast<std::ptrdiff_t>(first), end, text);
    return it == end || *it != text ? -1 : static_cast<int>(it - sorted.begin());
}

} // namespace

HistoryGrid::HistoryGrid(Axis products, Axis sites, std::int64_t cells, CellReader read)
    : products_(std::move(products)), sites_(std::move(sites)), cells_(cells), read_(std::move(read))
{}

size_t HistoryGrid::HeldCells() const
{
    size_t held = 0;
    pages_.ForEach([&](const Page& page) { held += page.size(); });
    return held;
}

HistoryGrid::Page HistoryGrid::Read(size_t page) const
{
    const size_t first = page * PageRows, last = std::min(first + PageRows, products_.Ids.size());
    Page cells;
    if (!read_ || first >= last) return cells;
    const std::vector<std::int64_t> ids(products_.Ids.begin() + static_cast<std::ptrdiff_t>(first),
                                        products_.Ids.begin() + static_cast<std::ptrdiff_t>(last));
    for (OutcomeRecord& r : read_(ids)) {
        const int row = IndexIn(products_.Titles, first, last, r.Product);
        const int column = IndexIn(sites_.Titles, 0, sites_.Titles.size(), r.Site);
        if (row >= 0 && column >= 0) cells.push_back({row, column, std::move(r)});
    }
    // Two records of one pair: the later one is the pair's latest.
    std::stable_sort(cells.begin(), cells.end(), [](const Held& a, const Held& b) {
        return a.Row != b.Row         ? a.Row < b.Row
               : a.Column != b.Column ? a.Column < b.Column
                                      : a.Record.Time > b.Record.Time;
    });
    cells.erase(std::unique(cells.begin(), cells.end(),
                            [](const Held& a, const Held& b) { return a.Row == b.Row && a.Column == b.Column; }),
                cells.end());
    return cells;
}

const HistoryGrid::Page& HistoryGrid::PageOf(int row) const
{
    return pages_.Get(static_cast<size_t>(row) / PageRows, [this](size_t page) { return Read(page); });
}

std::optional<OutcomeRecord> HistoryGrid::Cell(int row, int column) const
{
    if (row < 0 || column < 0 || row >= static_cast<int>(products_.Titles.size()) ||
        column >= static_cast<int>(sites_.Titles.size()))
        return std::nullopt;
    const Page& page = PageOf(row);
    const auto it = std::lower_bound(page.begin(), page.end(), std::make_pair(row, column),
                                     [](const Held& h, auto key) { return std::make_pair(h.Row, h.Column) < key; });
    if (it == page.end() || it->Row != row || it->Column != column) return std::nullopt;
    return it->Record;
}

std::vector<HistoryGrid::Pair> HistoryGrid::Retryable(const std::vector<Range>& ranges) const
{
    // The pages the ranges cross, each read once, in order.
    const int rows = static_cast<int>(products_.Titles.size());
    std::vector<size_t> pages;
    for (const Range& r : ranges)
        for (int row = std::max(r.Top, 0); row <= std::min(r.Bottom, rows - 1); row += PageRows - row % PageRows)
            pages.push_back(static_cast<size_t>(row) / PageRows);
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
    std::vector<Pair> pairs;
    for (const size_t page : pages)
        for (const Held& h : PageOf(static_cast<int>(page * PageRows))) {
            const bool chosen = std::any_of(ranges.begin(), ranges.end(), [&](const Range& r) {
                return h.Row >= r.Top && h.Row <= r.Bottom && h.Column >= r.Left && h.Column <= r.Right;
            });
            if (chosen && h.Record.Outcome != Outcome::Ok) pairs.emplace_back(h.Record.Product, h.Record.Site);
        }
    return pairs;
}

bool HistoryGrid::CsvFits() const
{
    return static_cast<std::int64_t>(products_.Titles.size()) * static_cast<std::int64_t>(sites_.Titles.size()) <=
           CsvCellsMax;
}

std::string HistoryGrid::Csv() const
{
    CsvText::Record header{"Product"};
    header.insert(header.end(), sites_.Titles.begin(), sites_.Titles.end());
    std::string out = CsvText::FormatCells(header);
    for (size_t first = 0; first < products_.Titles.size(); first += PageRows) {
        const Page& page = PageOf(static_cast<int>(first));
        auto cell = page.begin();
        for (size_t row = first; row < std::min(first + PageRows, products_.Titles.size()); ++row) {
            CsvText::Record record(sites_.Titles.size() + 1);
            record[0] = products_.Titles[row];
            for (; cell != page.end() && cell->Row == static_cast<int>(row); ++cell)
                record[static_cast<size_t>(cell->Column) + 1] = StatusWords::Word(cell->Record.Outcome);
            out += CsvText::FormatCells(record);
        }
    }
    return out;
}
