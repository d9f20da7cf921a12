#include "catalogue/ListRows.h"

#include "catalogue/CaptionCollator.h"

#include <algorithm>
#include <stdexcept>

ListRows::ListRows(int columnCount, bool sorted, const CaptionCollator* collator)
    : columnCount_(columnCount), sorted_(sorted), collator_(collator ? collator : &CaptionCollator::Default())
{
    if (columnCount < 1) throw std::invalid_argument("A list needs at least one column");
}

void ListRows::CheckRow(int row) const
{
    if (row < 0 || row >= Count()) throw std::out_of_range("List row index out of range");
}

const ListRow& ListRows::Row(int index) const
{
    CheckRow(index);
    return rows_[static_cast<size_t>(index)];
}

const std::string& ListRows::Text(int row, int column) const
{
    CheckRow(row);
    if (column < 0 || column >= columnCount_) throw std::out_of_range("List column index out of range");
    const ListRow& r = rows_[static_cast<size_t>(row)];
    return column == 0 ? r.Caption : r.SubItems[static_cast<size_t>(column - 1)];
}

void ListRows::Changed(int row)
{
    if (observer_ && updateDepth_ == 0) observer_->RowChanged(row);
}

void ListRows::SetText(int row, int column, std::string text)
{
    if (column == 0) {
        SetCaption(row, std::move(text));
        return;
    }
    CheckRow(row);
    if (column < 0 || column >= columnCount_) throw std::out_of_range("List column index out of range");
    std::string& now = rows_[static_cast<size_t>(row)].SubItems[static_cast<size_t>(column - 1)];
    if (now != text) modified_ = true;
    now = std::move(text);
    Changed(row);
}

int ListRows::SetCaption(int row, std::string caption)
{
    CheckRow(row);
    std::string& now = rows_[static_cast<size_t>(row)].Caption;
    if (now != caption) modified_ = true;
    now = std::move(caption);
    if (sorted_ && updateDepth_ == 0) return MoveToSortedPlace(row);
    Changed(row);
    return row;
}

int ListRows::MoveToSortedPlace(int row)
{
    // The other rows are in order; find where this one belongs among them.
    ListRow moving = std::move(rows_[static_cast<size_t>(row)]);
    rows_.erase(rows_.begin() + row);
    auto pos = std::upper_bound(rows_.begin(), rows_.end(), moving, [this](const ListRow& a, const ListRow& b) {
        return collator_->Compare(a.Caption, b.Caption) < 0;
    });
    int target = static_cast<int>(pos - rows_.begin());
    rows_.insert(pos, std::move(moving));
    if (target == row) {
        Changed(row);
    } else if (observer_ && updateDepth_ == 0) {
        observer_->AboutToReset();
        observer_->ResetDone();
    }
    return target;
}

int ListRows::Add(std::string caption)
{
    ListRow row;
    row.Caption = std::move(caption);
    return Add(std::move(row));
}

int ListRows::Add(ListRow row)
{
    row.Id = ++lastId_;
    row.SubItems.resize(static_cast<size_t>(columnCount_ - 1));
    int index = Count();
    if (sorted_ && updateDepth_ == 0) {
        auto pos = std::upper_bound(rows_.begin(), rows_.end(), row, [this](const ListRow& a, const ListRow& b) {
            return collator_->Compare(a.Caption, b.Caption) < 0;
        });
        index = static_cast<int>(pos - rows_.begin());
    }
    modified_ = true;
    bool tell = observer_ && updateDepth_ == 0;
    if (tell) observer_->RowsAboutToBeInserted(index, index);
    rows_.insert(rows_.begin() + index, std::move(row));
    if (tell) observer_->RowsInserted(index, index);
    return index;
}

void ListRows::Delete(int row)
{
    CheckRow(row);
    modified_ = true;
    bool tell = observer_ && updateDepth_ == 0;
    if (tell) observer_->RowsAboutToBeRemoved(row, row);
    rows_.erase(rows_.begin() + row);
    if (tell) observer_->RowsRemoved(row, row);
}

int ListRows::DeleteIf(const std::function<bool(const ListRow&)>& pred)
{
    BeginUpdate();
    auto before = rows_.size();
    rows_.erase(std::remove_if(rows_.begin(), rows_.end(), pred), rows_.end());
    int gone = static_cast<int>(before - rows_.size());
    if (gone > 0) modified_ = true;
    EndUpdate();
    return gone;
}

void ListRows::Clear()
{
    BeginUpdate();
    if (!rows_.empty()) modified_ = true;
    rows_.clear();
    EndUpdate();
}

void ListRows::SetChecked(int row, bool on)
{
    CheckRow(row);
    rows_[static_cast<size_t>(row)].Checked = on;
    Changed(row);
}

void ListRows::SetSelected(int row, bool on)
{
    CheckRow(row);
    rows_[static_cast<size_t>(row)].Selected = on;
}

void ListRows::SetAllChecked(bool on)
{
    BeginUpdate();
    for (auto& r : rows_) r.Checked = on;
    EndUpdate();
}

int ListRows::CheckedCount() const
{
    return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const ListRow& r) { return r.Checked; }));
}

int ListRows::SelectedCount() const
{
    return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const ListRow& r) { return r.Selected; }));
}

int ListRows::FirstSelected() const
{
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].Selected) return static_cast<int>(i);
    return -1;
}

int ListRows::SetSorted(bool on, int follow)
{
    sorted_ = on;
    if (on && updateDepth_ == 0) return Sort(follow);
    return follow;
}

int ListRows::Sort(int follow)
{
    if (observer_ && updateDepth_ == 0) observer_->AboutToReset();
    // One key per row, then a stable sort on the keys: rows with equal captions keep
    // their relative order.
    std::vector<std::pair<std::string, size_t>> keys;
    keys.reserve(rows_.size());
    bool ordered = true;
    for (size_t i = 0; i < rows_.size(); ++i) {
        keys.emplace_back(collator_->SortKey(rows_[i].Caption), i);
        if (i > 0 && keys[i].first < keys[i - 1].first) ordered = false;
    }
    if (!ordered) {
        modified_ = true;
        std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<ListRow> sorted;
        sorted.reserve(rows_.size());
        int followed = follow;
        for (size_t i = 0; i < keys.size(); ++i) {
            if (static_cast<int>(keys[i].second) == follow) followed = static_cast<int>(i);
            sorted.push_back(std::move(rows_[keys[i].second]));
        }
        rows_ = std::move(sorted);
        follow = followed;
    }
    if (observer_ && updateDepth_ == 0) observer_->ResetDone();
    return follow;
}

void ListRows::BeginUpdate()
{
    if (updateDepth_++ == 0 && observer_) observer_->AboutToReset();
}

void ListRows::EndUpdate()
{
    if (updateDepth_ == 0) return;
    if (--updateDepth_ > 0) return;
    ListRowsObserver* observer = observer_;
    observer_ = nullptr; // the Reset below covers the sort
    if (sorted_) Sort();
    observer_ = observer;
    if (observer_) observer_->ResetDone();
}

void ListRows::MarkLoadFailed(const std::string& path)
{
    if (std::find(failedPaths_.begin(), failedPaths_.end(), path) == failedPaths_.end()) failedPaths_.push_back(path);
}

void ListRows::ClearLoadFailed(const std::string& path)
{
    failedPaths_.erase(std::remove(failedPaths_.begin(), failedPaths_.end(), path), failedPaths_.end());
}

int ListRows::IndexOfId(std::uint64_t id) const
{
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].Id == id) return static_cast<int>(i);
    return -1;
}
