#include "history/HistoryRunRows.h"

#include <algorithm>

HistoryRunRows::HistoryRunRows(std::int64_t count, PageReader read) : count_(count), read_(std::move(read))
{}

size_t HistoryRunRows::HeldRows() const
{
    size_t held = 0;
    pages_.ForEach([&](const Page& page) { held += page.size(); });
    return held;
}

HistoryRunRows::Entry* HistoryRunRows::Held(std::int64_t row, bool read)
{
    if (row < 0 || row >= count_) return nullptr;
    const size_t index = static_cast<size_t>(row / PageRows);
    Page* page = pages_.Find(index);
    if (!page && read)
        page = &pages_.Get(index, [this](size_t p) {
            Page rows;
            if (read_)
                for (RunSummary& run : read_(static_cast<std::int64_t>(p) * PageRows, PageRows))
                    rows.push_back({std::move(run), std::nullopt});
            return rows;
        });
    const size_t at = static_cast<size_t>(row % PageRows);
    return page && at < page->size() ? &(*page)[at] : nullptr;
}

std::optional<RunSummary> HistoryRunRows::Row(std::int64_t row)
{
    const Entry* entry = Held(row, true);
    return entry ? std::optional<RunSummary>(entry->Run) : std::nullopt;
}

std::optional<std::pair<int, int>> HistoryRunRows::Spread(std::int64_t row)
{
    const Entry* entry = Held(row, true);
    return entry ? entry->Spread : std::nullopt;
}

void HistoryRunRows::WantSpread(std::int64_t row)
{
    if (const auto it = std::find(waiting_.begin(), waiting_.end(), row); it != waiting_.end()) waiting_.erase(it);
    waiting_.push_back(row);
    if (waiting_.size() > SpreadsWaiting) waiting_.pop_front();
}

std::optional<std::int64_t> HistoryRunRows::NextSpread(const SpreadReader& read)
{
    while (!waiting_.empty()) {
        const std::int64_t row = waiting_.back();
        waiting_.pop_back();
        // A row no longer held was scrolled away: it is wanted again when shown again.
        Entry* entry = Held(row, false);
        if (!entry || entry->Spread) continue;
        entry->Spread = read(entry->Run.Id);
        if (!entry->Spread) {
            waiting_.clear();
            return std::nullopt;
        }
        return row;
    }
    return std::nullopt;
}
