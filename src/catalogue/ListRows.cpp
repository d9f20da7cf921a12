#include "catalogue/ListRows.h"

#include "catalogue/CaptionCollator.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <stdexcept>

ListRowView::operator ListRow() const
{
    ListRow row;
    row.Caption = Caption;
    row.SubItems.reserve(SubItems.size());
    for (size_t i = 0; i < SubItems.size(); ++i) row.SubItems.emplace_back(SubItems[i]);
    row.Checked = Checked;
    row.Selected = Selected;
    row.Id = Id;
    return row;
}

ListRows::ListRows(int columnCount, bool sorted, const CaptionCollator* collator)
    : columnCount_(columnCount), sorted_(sorted), collator_(collator ? collator : &CaptionCollator::Default())
{
    if (columnCount < 1) throw std::invalid_argument("A list needs at least one column");
}

ListRows::~ListRows()
{
    ReleaseAll();
}

ListRows::ListRows(const ListRows& other)
    : columnCount_(other.columnCount_),
      sorted_(other.sorted_),
      collator_(other.collator_),
      rows_(other.rows_),
      kept_(other.kept_),
      lastId_(other.lastId_),
      updateDepth_(other.updateDepth_),
      failedPaths_(other.failedPaths_),
      modified_(other.modified_),
      observer_(other.observer_)
{
    // Kept bytes are shared; texts of the list's own are copied.
    texts_.reserve(other.texts_.size());
    try {
        for (std::string_view text : other.texts_) texts_.push_back(Store(text));
    } catch (...) {
        ReleaseAll();
        throw;
    }
}

ListRows::ListRows(ListRows&& other) noexcept
    : columnCount_(other.columnCount_),
      sorted_(other.sorted_),
      collator_(other.collator_),
      rows_(std::move(other.rows_)),
      texts_(std::move(other.texts_)),
      kept_(std::move(other.kept_)),
      lastId_(other.lastId_),
      updateDepth_(other.updateDepth_),
      failedPaths_(std::move(other.failedPaths_)),
      modified_(other.modified_),
      observer_(other.observer_)
{
    other.rows_.clear();
    other.texts_.clear();
}

ListRows& ListRows::operator=(ListRows other) noexcept
{
    std::swap(columnCount_, other.columnCount_);
    std::swap(sorted_, other.sorted_);
    std::swap(collator_, other.collator_);
    rows_.swap(other.rows_);
    texts_.swap(other.texts_);
    kept_.swap(other.kept_);
    std::swap(lastId_, other.lastId_);
    std::swap(updateDepth_, other.updateDepth_);
    failedPaths_.swap(other.failedPaths_);
    std::swap(modified_, other.modified_);
    std::swap(observer_, other.observer_);
    return *this;
}

bool ListRows::IsKept(std::string_view text) const
{
    const std::less_equal<const char*> le;
    for (const auto& bytes : kept_) {
        const char* begin = bytes->data();
        if (le(begin, text.data()) && le(text.data() + text.size(), begin + bytes->size())) return true;
    }
    return false;
}

std::string_view ListRows::Store(std::string_view text)
{
    if (text.empty()) return {};
    if (IsKept(text)) return text;
    char* own = new char[text.size()];
    std::memcpy(own, text.data(), text.size());
    return {own, text.size()};
}

void ListRows::Release(std::string_view text)
{
    if (!text.empty() && !IsKept(text)) delete[] text.data();
}

void ListRows::ReleaseAll()
{
    for (std::string_view text : texts_) Release(text);
    texts_.clear();
}

void ListRows::CheckRow(int row) const
{
    if (row < 0 || row >= Count()) throw std::out_of_range("List row index out of range");
}

void ListRows::CheckColumn(int column) const
{
    if (column < 0 || column >= columnCount_) throw std::out_of_range("List column index out of range");
}

ListRowView ListRows::Row(int index) const
{
    CheckRow(index);
    const RowState& state = rows_[static_cast<size_t>(index)];
    const std::string_view* texts = TextsOf(index);
    return {texts[0], ListRowView::Columns(texts + 1, static_cast<size_t>(columnCount_ - 1)), state.Checked,
            state.Selected, state.Id};
}

ListText ListRows::Text(int row, int column) const
{
    CheckRow(row);
    CheckColumn(column);
    return TextsOf(row)[column];
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
    CheckColumn(column);
    std::string_view& now = texts_[static_cast<size_t>(row) * columnCount_ + static_cast<size_t>(column)];
    if (now != text) {
        if (recorder_) recorder_->RowChanging(*this, row, column);
        modified_ = true;
        const std::string_view stored = Store(text);
        Release(now);
        now = stored;
    }
    Changed(row);
}

int ListRows::SetCaption(int row, std::string caption)
{
    CheckRow(row);
    std::string_view& now = texts_[static_cast<size_t>(row) * columnCount_];
    if (now != caption) {
        if (recorder_) recorder_->RowChanging(*this, row, 0);
        modified_ = true;
        const std::string_view stored = Store(caption);
        Release(now);
        now = stored;
    }
    if (sorted_ && updateDepth_ == 0) return MoveToSortedPlace(row);
    Changed(row);
    return row;
}

int ListRows::SortedPlace(std::string_view caption) const
{
    // After every row with an equal caption.
    int lo = 0, hi = Count();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (collator_->Compare(caption, TextsOf(mid)[0]) < 0)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

void ListRows::InsertRow(int index, RowState state, std::span<const std::string_view> texts)
{
    rows_.insert(rows_.begin() + index, state);
    try {
        texts_.insert(texts_.begin() + static_cast<std::ptrdiff_t>(index) * columnCount_, texts.begin(), texts.end());
    } catch (...) {
        rows_.erase(rows_.begin() + index);
        throw;
    }
}

int ListRows::MoveToSortedPlace(int row)
{
    // The other rows are in order; find where this one belongs among them.
    const RowState state = rows_[static_cast<size_t>(row)];
    const auto first = texts_.begin() + static_cast<std::ptrdiff_t>(row) * columnCount_;
    const std::vector<std::string_view> texts(first, first + columnCount_);
    rows_.erase(rows_.begin() + row);
    texts_.erase(first, first + columnCount_);
    const int target = SortedPlace(texts[0]);
    InsertRow(target, state, texts); // takes no more room than the row gave up
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
    std::vector<std::string_view> texts;
    texts.reserve(static_cast<size_t>(columnCount_));
    texts.push_back(row.Caption);
    for (size_t c = 1; c < static_cast<size_t>(columnCount_); ++c)
        texts.push_back(c - 1 < row.SubItems.size() ? std::string_view(row.SubItems[c - 1]) : std::string_view());
    return AddRow(row.Checked, row.Selected, texts);
}

int ListRows::AddKept(std::span<const std::string_view> texts, bool checked)
{
    return AddRow(checked, false, texts);
}

int ListRows::AddRow(bool checked, bool selected, std::span<const std::string_view> given)
{
    // The program's lists have up to four columns: no allocation for the row's texts.
    std::string_view few[8];
    std::vector<std::string_view> many;
    const size_t columns = static_cast<size_t>(columnCount_);
    if (columns > std::size(few)) many.resize(columns);
    const std::span<std::string_view> stored =
        many.empty() ? std::span<std::string_view>(few, columns) : std::span<std::string_view>(many);
    try {
        for (size_t c = 0; c < stored.size() && c < given.size(); ++c) stored[c] = Store(given[c]);
    } catch (...) {
        for (std::string_view text : stored) Release(text);
        throw;
    }
    int index = Count();
    if (sorted_ && updateDepth_ == 0) index = SortedPlace(stored[0]);
    const bool tell = observer_ && updateDepth_ == 0;
    if (tell) observer_->RowsAboutToBeInserted(index, index);
    try {
        InsertRow(index, RowState{lastId_ + 1, checked, selected}, stored);
    } catch (...) {
        for (std::string_view text : stored) Release(text);
        throw;
    }
    ++lastId_;
    modified_ = true;
    if (recorder_) recorder_->RowInserted(lastId_);
    if (tell) observer_->RowsInserted(index, index);
    return index;
}

void ListRows::Reserve(int rows)
{
    rows_.reserve(static_cast<size_t>(rows));
    texts_.reserve(static_cast<size_t>(rows) * static_cast<size_t>(columnCount_));
}

std::string_view ListRows::KeepBytes(std::string bytes)
{
    auto kept = std::make_shared<const std::string>(std::move(bytes));
    kept_.push_back(kept);
    return *kept;
}

void ListRows::EraseRows(const std::function<bool(int)>& gone)
{
    // Compacts both arrays in one pass, freeing the texts of the rows that go.
    const size_t columns = static_cast<size_t>(columnCount_);
    size_t to = 0;
    for (size_t from = 0; from < rows_.size(); ++from) {
        if (gone(static_cast<int>(from))) {
            for (size_t c = 0; c < columns; ++c) Release(texts_[from * columns + c]);
            continue;
        }
        if (to != from) {
            rows_[to] = rows_[from];
            std::copy_n(texts_.begin() + static_cast<std::ptrdiff_t>(from * columns), columns,
                        texts_.begin() + static_cast<std::ptrdiff_t>(to * columns));
        }
        ++to;
    }
    rows_.resize(to);
    texts_.resize(to * columns);
    if (rows_.empty()) {
        // Nothing points into the kept bytes any more.
        kept_.clear();
        std::vector<RowState>().swap(rows_);
        std::vector<std::string_view>().swap(texts_);
    }
}

void ListRows::Delete(int row)
{
    CheckRow(row);
    if (recorder_) recorder_->RowsRemoving(*this, {row});
    modified_ = true;
    bool tell = observer_ && updateDepth_ == 0;
    if (tell) observer_->RowsAboutToBeRemoved(row, row);
    const auto first = texts_.begin() + static_cast<std::ptrdiff_t>(row) * columnCount_;
    for (auto t = first; t != first + columnCount_; ++t) Release(*t);
    texts_.erase(first, first + columnCount_);
    rows_.erase(rows_.begin() + row);
    if (rows_.empty()) kept_.clear();
    if (tell) observer_->RowsRemoved(row, row);
}

int ListRows::DeleteIf(const std::function<bool(const ListRowView&)>& pred)
{
    BeginUpdate();
    const auto before = rows_.size();
    try {
        // Asked of every row before any goes, so that the predicate sees the list whole.
        std::vector<bool> goes(rows_.size());
        for (size_t i = 0; i < rows_.size(); ++i) goes[i] = pred(Row(static_cast<int>(i)));
        if (recorder_) {
            std::vector<int> going;
            for (size_t i = 0; i < goes.size(); ++i)
                if (goes[i]) going.push_back(static_cast<int>(i));
            if (!going.empty()) recorder_->RowsRemoving(*this, going);
        }
        EraseRows([&goes](int row) { return goes[static_cast<size_t>(row)]; });
    } catch (...) {
        EndUpdate();
        throw;
    }
    const int gone = static_cast<int>(before - rows_.size());
    if (gone > 0) modified_ = true;
    EndUpdate();
    return gone;
}

void ListRows::Clear()
{
    BeginUpdate();
    if (!rows_.empty()) {
        modified_ = true;
        if (recorder_) {
            std::vector<int> all(rows_.size());
            std::iota(all.begin(), all.end(), 0);
            recorder_->RowsRemoving(*this, all);
        }
    }
    EraseRows([](int) { return true; });
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
    return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const RowState& r) { return r.Checked; }));
}

int ListRows::SelectedCount() const
{
    return static_cast<int>(std::count_if(rows_.begin(), rows_.end(), [](const RowState& r) { return r.Selected; }));
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

namespace {

// Where a row's collation key lies in the key bytes of one sort.
struct SortEntry {
    std::uint32_t Offset;
    std::uint32_t Length;
    std::uint32_t Row;
};

} // namespace

std::vector<std::uint32_t> ListRows::SortedOrder() const
{
    // One collation key per caption, made once; ties (captions the collation calls equal)
    // go by their bytes, as Compare does, then by their places, so that the sort is stable.
    // Keys run to about one and a half bytes per caption byte.
    size_t captionBytes = 0;
    for (size_t i = 0; i < rows_.size(); ++i) captionBytes += TextsOf(static_cast<int>(i))[0].size();
    std::string keys;
    keys.reserve(captionBytes * 2 + rows_.size() * 8);
    std::u16string scratch;
    std::vector<SortEntry> entries(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) {
        const size_t at = keys.size();
        collator_->AppendCollationKey(TextsOf(static_cast<int>(i))[0], keys, scratch);
        entries[i] = {static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(keys.size() - at),
                      static_cast<std::uint32_t>(i)};
    }
    const auto before = [&](const SortEntry& a, const SortEntry& b) {
        const std::string_view ka(keys.data() + a.Offset, a.Length), kb(keys.data() + b.Offset, b.Length);
        if (int c = ka.compare(kb)) return c < 0;
        if (int c = TextsOf(static_cast<int>(a.Row))[0].compare(TextsOf(static_cast<int>(b.Row))[0])) return c < 0;
        return a.Row < b.Row;
    };
    std::vector<std::uint32_t> order;
    if (std::is_sorted(entries.begin(), entries.end(), before)) return order;
    std::sort(entries.begin(), entries.end(), before);
    order.resize(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) order[i] = entries[i].Row;
    return order;
}

int ListRows::Sort(int follow)
{
    if (observer_ && updateDepth_ == 0) observer_->AboutToReset();
    std::vector<std::uint32_t> order = SortedOrder(); // empty: already in order
    if (!order.empty()) {
        modified_ = true;
        // Put row order[i] at place i, one cycle of the permutation at a time, so that no
        // second copy of the rows is needed.
        const size_t columns = static_cast<size_t>(columnCount_);
        std::vector<std::string_view> held(columns);
        int followed = follow;
        for (size_t start = 0; start < order.size(); ++start) {
            if (order[start] == start) continue;
            const RowState heldState = rows_[start];
            std::copy_n(texts_.begin() + static_cast<std::ptrdiff_t>(start * columns), columns, held.begin());
            size_t place = start;
            while (true) {
                const size_t from = order[place];
                order[place] = static_cast<std::uint32_t>(place);
                if (static_cast<int>(from) == follow) followed = static_cast<int>(place);
                if (from == start) {
                    rows_[place] = heldState;
                    std::copy_n(held.begin(), columns, texts_.begin() + static_cast<std::ptrdiff_t>(place * columns));
                    break;
                }
                rows_[place] = rows_[from];
                std::copy_n(texts_.begin() + static_cast<std::ptrdiff_t>(from * columns), columns,
                            texts_.begin() + static_cast<std::ptrdiff_t>(place * columns));
                place = from;
            }
        }
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

void ListRows::SetModified(bool on)
{
    modified_ = on;
    if (!on && recorder_) recorder_->Saved(false);
}

void ListRows::MarkWritten()
{
    modified_ = false;
    if (recorder_) recorder_->Saved(true);
}

void ListRows::Restore(std::span<const PlacedRow> rows)
{
    if (rows.empty()) return;
    BeginUpdate();
    if (rows.size() < 64) {
        // A few rows: each moves the rows after it, cheaper than building the list anew.
        try {
            for (const PlacedRow& placed : rows) {
                std::vector<std::string_view> texts(static_cast<size_t>(columnCount_));
                texts[0] = Store(placed.Row.Caption);
                for (size_t c = 1; c < texts.size() && c - 1 < placed.Row.SubItems.size(); ++c)
                    texts[c] = Store(placed.Row.SubItems[c - 1]);
                try {
                    InsertRow(std::clamp(placed.Index, 0, Count()), RowState{placed.Row.Id, placed.Row.Checked, false},
                              texts);
                } catch (...) {
                    for (std::string_view text : texts) Release(text);
                    throw;
                }
                lastId_ = std::max(lastId_, placed.Row.Id);
            }
        } catch (...) {
            EndUpdate();
            throw;
        }
        modified_ = true;
        EndUpdate();
        return;
    }
    try {
        // One merge of the rows as they are with the rows that come back.
        const size_t columns = static_cast<size_t>(columnCount_);
        const size_t total = rows_.size() + rows.size();
        std::vector<RowState> states;
        std::vector<std::string_view> texts;
        states.reserve(total);
        texts.reserve(total * columns);
        size_t from = 0;
        std::vector<std::string_view> stored; // texts of rows put back so far, freed on failure
        try {
            for (const PlacedRow& placed : rows) {
                const size_t target = std::min(static_cast<size_t>(std::max(placed.Index, 0)), total);
                while (states.size() < target && from < rows_.size()) {
                    states.push_back(rows_[from]);
                    texts.insert(texts.end(), TextsOf(static_cast<int>(from)),
                                 TextsOf(static_cast<int>(from)) + columns);
                    ++from;
                }
                states.push_back(RowState{placed.Row.Id, placed.Row.Checked, false});
                for (size_t c = 0; c < columns; ++c) {
                    const std::string_view text =
                        c == 0 ? std::string_view(placed.Row.Caption)
                               : (c - 1 < placed.Row.SubItems.size() ? std::string_view(placed.Row.SubItems[c - 1])
                                                                     : std::string_view());
                    stored.push_back(Store(text));
                    texts.push_back(stored.back());
                }
                lastId_ = std::max(lastId_, placed.Row.Id);
            }
        } catch (...) {
            for (std::string_view text : stored) Release(text);
            throw;
        }
        for (; from < rows_.size(); ++from) {
            states.push_back(rows_[from]);
            texts.insert(texts.end(), TextsOf(static_cast<int>(from)), TextsOf(static_cast<int>(from)) + columns);
        }
        rows_.swap(states);
        texts_.swap(texts);
        modified_ = true;
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

ListRows::Step::Step(ListRows& list, const std::string& name, std::uint64_t mergeKey) : recorder_(list.recorder_)
{
    if (recorder_) recorder_->BeginStep(name, mergeKey);
}

ListRows::Step::~Step()
{
    if (recorder_) recorder_->EndStep();
}
