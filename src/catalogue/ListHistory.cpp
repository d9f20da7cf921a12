#include "catalogue/ListHistory.h"

#include <algorithm>

ListHistory::ListHistory(ListRows& list) : list_(list)
{
    if (!list_.Modified()) clean_.insert(0);
    list_.SetRecorder(this);
}

ListHistory::~ListHistory()
{
    list_.SetRecorder(nullptr);
}

ListHistory::Step::Step(ListHistory& history, const std::string& name, std::uint64_t mergeKey) : history_(history)
{
    history_.Begin(name, mergeKey);
}

ListHistory::Step::~Step()
{
    history_.End();
}

void ListHistory::Begin(const std::string& name, std::uint64_t mergeKey)
{
    CloseImplicit();
    if (depth_++ > 0) return;
    openName_ = name;
    openKey_ = mergeKey;
}

void ListHistory::End()
{
    if (depth_ == 0 || --depth_ > 0) return;
    if (made_ && steps_[done_ - 1].Empty()) {
        steps_.pop_back();
        --done_;
    }
    if (cleanAfterOpen_) MarkClean(writtenInOpen_);
    cleanAfterOpen_ = writtenInOpen_ = false;
    made_ = false;
    implicit_ = false;
    openAdded_.clear(); // the places stay, for a step that continues this one
    Changed();
}

void ListHistory::Clear()
{
    CloseImplicit();
    steps_.clear();
    done_ = 0;
    clean_.clear();
    if (!list_.Modified()) clean_.insert(0);
    Changed();
}

void ListHistory::Changed()
{
    for (const auto& onChange : onChange_) onChange();
}

void ListHistory::CloseImplicit()
{
    if (implicit_) {
        depth_ = 1;
        End();
    }
}

ListHistory::StepData& ListHistory::Recording()
{
    if (depth_ == 0) {
        depth_ = 1;
        implicit_ = true;
        openName_.clear();
        openKey_ = 0;
    }
    if (!made_) {
        made_ = true;
        const bool merge =
            openKey_ != 0 && done_ > 0 && done_ == steps_.size() && steps_[done_ - 1].MergeKey == openKey_;
        if (merge) {
            openAdded_.insert(steps_[done_ - 1].Added.begin(), steps_[done_ - 1].Added.end());
        } else {
            // A new step: what was undone can no longer be redone.
            steps_.resize(done_);
            clean_.erase(clean_.upper_bound(done_), clean_.end());
            steps_.push_back(StepData{openName_, openKey_, {}, {}, {}});
            placesKnown_ = false;
            ++done_;
        }
    }
    return steps_[done_ - 1];
}

void ListHistory::RowsRemoving(const ListRows& list, const std::vector<int>& rows)
{
    if (applying_) return;
    StepData& step = Recording();
    Removal removal;
    // Undo takes the step's own rows out before it puts removed rows back, so a row's place
    // is counted without them. The rows come in ascending order: one pass counts them.
    int own = 0, counted = 0;
    for (int index : rows) {
        for (; !openAdded_.empty() && counted < index; ++counted) own += openAdded_.count(list.Row(counted).Id) > 0;
        const ListRowView row = list.Row(index);
        // A row the step added (or changed: its first state is kept already) goes without a trace.
        if (openAdded_.erase(row.Id) > 0) {
            step.Added.erase(std::find(step.Added.begin(), step.Added.end(), row.Id));
            ++own;
            ++counted;
            continue;
        }
        removal.Rows.push_back(PlacedRow{index - own, row});
    }
    if (!removal.Rows.empty()) step.Removed.push_back(std::move(removal));
    placesKnown_ = false;
}

void ListHistory::RowInserted(std::uint64_t id)
{
    if (applying_) return;
    Recording().Added.push_back(id);
    openAdded_.insert(id);
    placesKnown_ = false;
}

void ListHistory::RowChanging(const ListRows& list, int row, int column)
{
    if (applying_ || (column == statusColumn_ && (depth_ == 0 || implicit_))) return;
    StepData& step = Recording();
    const ListRowView view = list.Row(row);
    if (openAdded_.count(view.Id) > 0) return;
    // A change is the row's old state taken out and its new state added, under one Id; its
    // place is counted without the step's own rows, as for a removal.
    const int own = OwnBefore(list, row);
    openAdded_.insert(view.Id);
    if (column == 0) // a new caption may move the row in a sorted list
        placesKnown_ = false;
    else if (placesKnown_)
        ownPlaces_.insert(ownPlaces_.begin() + own, row);
    step.Removed.push_back(Removal{{PlacedRow{row - own, view}}});
    step.Added.push_back(view.Id);
}

int ListHistory::OwnBefore(const ListRows& list, int index)
{
    if (openAdded_.empty()) {
        ownPlaces_.clear();
        placesKnown_ = true;
        return 0;
    }
    if (!placesKnown_) {
        ownPlaces_.clear();
        for (int i = 0; i < list.Count(); ++i)
            if (openAdded_.count(list.Row(i).Id) > 0) ownPlaces_.push_back(i);
        placesKnown_ = true;
    }
    return static_cast<int>(std::lower_bound(ownPlaces_.begin(), ownPlaces_.end(), index) - ownPlaces_.begin());
}

void ListHistory::Saved(bool written)
{
    if (applying_) return;
    if (depth_ > 0 && !implicit_) {
        cleanAfterOpen_ = true;
        writtenInOpen_ = writtenInOpen_ || written;
        return;
    }
    CloseImplicit();
    MarkClean(written);
}

void ListHistory::MarkClean(bool written)
{
    if (written) clean_.clear();
    clean_.insert(done_);
}

std::string ListHistory::UndoName() const
{
    return CanUndo() ? steps_[done_ - 1].Name : std::string();
}

std::string ListHistory::RedoName() const
{
    return CanRedo() ? steps_[done_].Name : std::string();
}

std::vector<PlacedRow> ListHistory::TakeOut(const std::vector<std::uint64_t>& ids)
{
    std::vector<PlacedRow> taken;
    if (ids.empty()) return taken;
    if (ids.size() == 1) {
        const int index = list_.IndexOfId(ids[0]);
        if (index >= 0) {
            taken.push_back(PlacedRow{index, list_.Row(index)});
            list_.Delete(index);
        }
        return taken;
    }
    const std::unordered_set<std::uint64_t> wanted(ids.begin(), ids.end());
    taken.reserve(ids.size());
    for (int i = 0; i < list_.Count(); ++i) {
        const ListRowView row = list_.Row(i);
        if (wanted.count(row.Id) > 0) taken.push_back(PlacedRow{i, row});
    }
    list_.DeleteIf([&wanted](const ListRowView& row) { return wanted.count(row.Id) > 0; });
    return taken;
}

void ListHistory::Undo()
{
    CloseImplicit();
    if (depth_ > 0 || !CanUndo()) return;
    StepData& step = steps_[done_ - 1];
    applying_ = true;
    try {
        step.AddedRows = TakeOut(step.Added);
        for (auto removal = step.Removed.rbegin(); removal != step.Removed.rend(); ++removal)
            list_.Restore(removal->Rows);
    } catch (...) {
        applying_ = false;
        throw;
    }
    applying_ = false;
    placesKnown_ = false;
    --done_;
    Settle();
    Changed();
}

void ListHistory::Redo()
{
    CloseImplicit();
    if (depth_ > 0 || !CanRedo()) return;
    StepData& step = steps_[done_];
    std::vector<std::uint64_t> before;
    for (const Removal& removal : step.Removed)
        for (const PlacedRow& placed : removal.Rows) before.push_back(placed.Row.Id);
    applying_ = true;
    try {
        TakeOut(before);
        list_.Restore(step.AddedRows);
    } catch (...) {
        applying_ = false;
        throw;
    }
    applying_ = false;
    placesKnown_ = false;
    step.AddedRows.clear();
    step.AddedRows.shrink_to_fit();
    ++done_;
    Settle();
    Changed();
}

void ListHistory::Settle()
{
    applying_ = true;
    list_.SetModified(clean_.count(done_) == 0);
    applying_ = false;
}

std::size_t ListHistory::KeptBytes() const
{
    const auto bytes = [](const PlacedRow& placed) {
        std::size_t n = placed.Row.Caption.size();
        for (const std::string& text : placed.Row.SubItems) n += text.size();
        return n;
    };
    std::size_t total = 0;
    for (const StepData& step : steps_) {
        for (const Removal& removal : step.Removed)
            for (const PlacedRow& placed : removal.Rows) total += bytes(placed);
        for (const PlacedRow& placed : step.AddedRows) total += bytes(placed);
    }
    return total;
}
