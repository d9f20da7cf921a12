#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CaptionCollator;

// One row of a list: a caption (column 0), one text per further column, and the two
// flags the user sets with the mouse.
struct ListRow {
    std::string Caption;
    std::vector<std::string> SubItems; // columns 1 .. ColumnCount()-1, always all present
    bool Checked = false;
    bool Selected = false;
    // Given by the list when the row is added, never reused in that list: it names the row
    // wherever sorting or deletions move it. Set by the list, not by callers.
    std::uint64_t Id = 0;
};

// Told about every change of a list, so that a view can follow it. Changes that move
// many rows at once (sorting, Clear, a bulk load) come as one Reset.
class ListRowsObserver {
public:
    virtual ~ListRowsObserver() = default;
    virtual void RowsAboutToBeInserted(int first, int last) = 0;
    virtual void RowsInserted(int first, int last) = 0;
    virtual void RowsAboutToBeRemoved(int first, int last) = 0;
    virtual void RowsRemoved(int first, int last) = 0;
    virtual void RowChanged(int row) = 0;
    virtual void AboutToReset() = 0;
    virtual void ResetDone() = 0;
};

// The rows of one of the program's lists, addressed by row index. While sorting is on,
// the list keeps itself in ascending caption order (locale-aware, case-sensitive); it
// re-sorts whenever a caption is set and when sorting is switched on. While sorting is
// off, rows keep their places, so a row index stays valid across changes.
class ListRows {
public:
    explicit ListRows(int columnCount, bool sorted = false, const CaptionCollator* collator = nullptr);

    int ColumnCount() const { return columnCount_; }
    int Count() const { return static_cast<int>(rows_.size()); }
    const ListRow& Row(int index) const;

    // Column 0 is the caption; an index out of range throws std::out_of_range.
    const std::string& Text(int row, int column) const;
    void SetText(int row, int column, std::string text);
    const std::string& Caption(int row) const { return Text(row, 0); }
    // Sets the caption; while sorting is on the row moves to its place. Returns the
    // row's index afterwards.
    int SetCaption(int row, std::string caption);

    // Appends a row (all further columns empty); while sorting is on it goes to its
    // sorted place, after any rows with an equal caption. Returns its index.
    int Add(std::string caption);
    int Add(ListRow row);
    void Delete(int row);
    // Deletes every row for which the predicate holds, keeping the others in order.
    // Returns how many went.
    int DeleteIf(const std::function<bool(const ListRow&)>& pred);
    void Clear();

    void SetChecked(int row, bool on);
    void SetSelected(int row, bool on);
    void SetAllChecked(bool on);
    int CheckedCount() const;
    int SelectedCount() const;
    int FirstSelected() const; // -1 when none
    // Where the row with this Id stands now; -1 when it is gone.
    int IndexOfId(std::uint64_t id) const;

    bool Sorted() const { return sorted_; }
    // Switching sorting on sorts at once. Both return where row `follow` stands
    // afterwards (-1 when no row is followed).
    int SetSorted(bool on, int follow = -1);
    int Sort(int follow = -1);

    // Bulk changes: between BeginUpdate and EndUpdate the list neither sorts nor tells
    // its observer row by row; EndUpdate sorts once (when on) and sends one Reset.
    void BeginUpdate();
    void EndUpdate();

    // The files that a load of this list failed to read, so that nobody writes the list
    // over one of them. Each stays marked until it is read successfully or the user saves
    // over it; a failure with another file does not lift the mark of an earlier one.
    bool LoadFailed() const { return !failedPaths_.empty(); }
    const std::vector<std::string>& FailedPaths() const { return failedPaths_; }
    void MarkLoadFailed(const std::string& path);
    void ClearLoadFailed(const std::string& path);

    // Whether what a save would write changed since the flag was last cleared (by a load
    // or a save of the list): rows added or deleted, a text changed, rows reordered. Check
    // marks, selection and texts set to what they were do not count.
    bool Modified() const { return modified_; }
    void SetModified(bool on) { modified_ = on; }

    void SetObserver(ListRowsObserver* observer) { observer_ = observer; }
    const CaptionCollator& Collator() const { return *collator_; }

private:
    void CheckRow(int row) const;
    int MoveToSortedPlace(int row);
    void Changed(int row);

    int columnCount_;
    bool sorted_;
    const CaptionCollator* collator_;
    std::vector<ListRow> rows_;
    std::uint64_t lastId_ = 0;
    int updateDepth_ = 0;
    std::vector<std::string> failedPaths_;
    bool modified_ = false;
    ListRowsObserver* observer_ = nullptr;
};
