#include "history/HistoryGrid.h"

#include "common/CsvText.h"
#include "common/StatusWords.h"

#include <algorithm>

namespace {

// The index of `text` in the sorted, unique `sorted`.
int IndexIn(const std::vector<std::string>& sorted, const std::string& text)
{
    return static_cast<int>(std::lower_bound(sorted.begin(), sorted.end(), text) - sorted.begin());
}

std::vector<std::string> SortedUnique(std::vector<std::string> texts)
{
    std::sort(texts.begin(), texts.end());
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    return texts;
}

} // namespace

HistoryGrid::HistoryGrid(std::vector<OutcomeRecord> latest, std::optional<HistoryTime> until)
{
    if (until) std::erase_if(latest, [&](const OutcomeRecord& r) { return r.Time > *until; });
    records_ = std::move(latest);
    std::vector<std::string> products, sites;
    products.reserve(records_.size());
    sites.reserve(records_.size());
    for (const OutcomeRecord& r : records_) {
        products.push_back(r.Product);
        sites.push_back(r.Site);
    }
    products_ = SortedUnique(std::move(products));
    sites_ = SortedUnique(std::move(sites));
    cells_.assign(products_.size() * sites_.size(), -1);
    for (size_t i = 0; i < records_.size(); ++i) {
        const size_t row = static_cast<size_t>(IndexIn(products_, records_[i].Product));
        const size_t column = static_cast<size_t>(IndexIn(sites_, records_[i].Site));
        int& cell = cells_[row * sites_.size() + column];
        // Two records of one pair: the later one is the pair's latest.
        if (cell < 0 || records_[static_cast<size_t>(cell)].Time <= records_[i].Time) cell = static_cast<int>(i);
    }
}

const OutcomeRecord* HistoryGrid::Cell(int row, int column) const
{
    if (row < 0 || column < 0 || row >= static_cast<int>(products_.size()) || column >= static_cast<int>(sites_.size()))
        return nullptr;
    const int index = cells_[static_cast<size_t>(row) * sites_.size() + static_cast<size_t>(column)];
    return index < 0 ? nullptr : &records_[static_cast<size_t>(index)];
}

std::vector<HistoryGrid::Pair> HistoryGrid::Retryable(std::vector<std::pair<int, int>> cells) const
{
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    std::vector<Pair> pairs;
    for (const auto& [row, column] : cells) {
        const OutcomeRecord* r = Cell(row, column);
        if (r && r->Outcome != StatusWords::Ok) pairs.emplace_back(r->Product, r->Site);
    }
    return pairs;
}

std::string HistoryGrid::Csv() const
{
    CsvText::Record header{"Product"};
    header.insert(header.end(), sites_.begin(), sites_.end());
    std::string out = CsvText::FormatCells(header);
    for (size_t row = 0; row < products_.size(); ++row) {
        CsvText::Record record{products_[row]};
        for (size_t column = 0; column < sites_.size(); ++column) {
            const OutcomeRecord* r = Cell(static_cast<int>(row), static_cast<int>(column));
            record.push_back(r ? r->Outcome : std::string());
        }
        out += CsvText::FormatCells(record);
    }
    return out;
}
