#pragma once

#include "catalogue/ListRows.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

// The undo history of one list: every change of its rows, grouped into steps that the user
// undoes and redoes one at a time, for as long as the program runs. A command opens a step
// (Step, or Begin and End) around the changes it makes; changes made outside any step form
// a step of their own that ends with the next command. Check marks, selection and sorting are
// not steps, but rows that come back bring their check marks with them.
//
// What a step keeps is what it changed: the rows it removed or changed (their texts once)
// and the Ids of the rows it added, not a copy of the list. Rows are found again by Id, so
// a step is undone right even when the list was sorted since.
//
// The list counts as unmodified where it stands as a file holds it: where it was read, and
// where it was last written. So Undo gives back the modified state a step found, except that
// after a save, undoing away from what was written makes the list modified (the file no
// longer holds it), and redoing back to it makes it unmodified again.
//
// Lives on the list's thread; attaches itself to the list as its recorder for its lifetime.
class ListHistory : private ListRowsRecorder {
public:
    explicit ListHistory(ListRows& list);
    ~ListHistory() override;
    ListHistory(const ListHistory&) = delete;
    ListHistory& operator=(const ListHistory&) = delete;

    // Opens a step named `name` (the command, as the Undo entry names it: "Delete All").
    // Steps do not nest: an inner Begin joins the open step. A nonzero `mergeKey` continues
    // the last step when it was opened with the same key and nothing came after it (the
    // validation words of one run arriving product by product).
    void Begin(const std::string& name, std::uint64_t mergeKey = 0);
    // Closes the step; a step that changed nothing is dropped.
    void End();

    // A step for the lifetime of a scope.
    class Step {
    public:
        Step(ListHistory& history, const std::string& name, std::uint64_t mergeKey = 0);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        ListHistory& history_;
    };

    bool CanUndo() const { return done_ > 0; }
    bool CanRedo() const { return done_ < steps_.size(); }
    // The names of the step Undo and Redo would take back or make again; empty when none.
    std::string UndoName() const;
    std::string RedoName() const;
    void Undo();
    void Redo();
    // Changes of text `column` made outside any step are not steps (a status word that a test
    // writes); inside a step they are. -1: every change counts.
    void SetStatusColumn(int column) { statusColumn_ = column; }

    // Forgets every step: the list as it stands is where the history begins (after the
    // program's own read at start, which is not the user's to undo).
    void Clear();
    // Calls `onChange` after every change of what Undo and Redo would do (a step ended, undone,
    // redone, or the history cleared), after those added before it.
    void AddOnChange(std::function<void()> onChange) { onChange_.push_back(std::move(onChange)); }

    // How many steps there are (done and undone), and the bytes of row texts they keep.
    std::size_t StepCount() const { return steps_.size(); }
    std::size_t KeptBytes() const;

private:
    struct Removal {
        std::vector<PlacedRow> Rows; // at their places at the time, ascending
    };
    struct StepData {
        std::string Name;
        std::uint64_t MergeKey = 0;
        std::vector<Removal> Removed;     // in the order they happened
        std::vector<std::uint64_t> Added; // Ids of rows that the step added or changed
        std::vector<PlacedRow> AddedRows; // those rows as the step left them (known once undone)
        bool Empty() const { return Removed.empty() && Added.empty(); }
    };

    void RowsRemoving(const ListRows& list, const std::vector<int>& rows) override;
    void RowInserted(std::uint64_t id) override;
    void RowChanging(const ListRows& list, int row, int column) override;
    void BeginStep(const std::string& name, std::uint64_t mergeKey) override { Begin(name, mergeKey); }
    void EndStep() override { End(); }
    void Saved(bool written) override;

    // The step that changes go into: the open one, or a new unnamed one.
    StepData& Recording();
    void CloseImplicit();
    void MarkClean(bool written);
    // Takes the rows with these Ids out of the list, returning them at their places.
    std::vector<PlacedRow> TakeOut(const std::vector<std::uint64_t>& ids);
    void Settle();
    void Changed();
    // How many of the open step's own rows stand before `index` in the list.
    int OwnBefore(const ListRows& list, int index);

    ListRows& list_;
    std::vector<std::function<void()>> onChange_;
    int statusColumn_ = -1;
    std::vector<StepData> steps_; // steps_[0, done_) are done, the rest undone
    std::size_t done_ = 0;
    // The open step: named by Begin (or unnamed, opened by a change outside any command),
    // made only when the first change comes, so that an empty one never costs the redo list.
    int depth_ = 0;
    bool implicit_ = false;
    bool made_ = false; // steps_[done_ - 1] is the open step
    std::string openName_;
    std::uint64_t openKey_ = 0;
    std::unordered_set<std::uint64_t> openAdded_; // the open step's Added, for lookups
    // The places of those rows in the list, ascending, kept while no row came, went or moved
    // since they were counted (also from a step to the one that continues it): a step that
    // changes row after row (the words of a run) places each change without a pass over the list.
    std::vector<int> ownPlaces_;
    bool placesKnown_ = false;
    bool applying_ = false;       // Undo or Redo is changing the list: nothing is recorded
    std::set<std::size_t> clean_; // numbers of steps done at which the list is as a file holds it
    bool cleanAfterOpen_ = false; // read or written while a step was open: clean once it closes
    bool writtenInOpen_ = false;
};
