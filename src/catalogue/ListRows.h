#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CaptionCollator;

// A text as a list holds it: a view that stays valid until the list next changes. It
// converts to std::string wherever a caller keeps a copy.
class ListText : public std::string_view {
public:
    constexpr ListText() noexcept = default;
    constexpr ListText(std::string_view text) noexcept : std::string_view(text) {}
    operator std::string() const { return std::string(data(), size()); }
};

// One row of a list, as a caller gives it to the list: a caption (column 0), one text per
// further column, and the two flags the user sets with the mouse.
struct ListRow {
    std::string Caption;
    std::vector<std::string> SubItems; // columns 1 .. ColumnCount()-1, always all present
    bool Checked = false;
    bool Selected = false;
    // Given by the list when the row is added, never reused in that list: it names the row
    // wherever sorting or deletions move it. Set by the list, not by callers.
    std::uint64_t Id = 0;
};

// A row as the list holds it, seen through views (valid until the list next changes).
// It converts to a ListRow, a copy, for callers that keep one.
struct ListRowView {
    // The further columns: SubItems[i] is column i + 1.
    class Columns {
    public:
        Columns(const std::string_view* first, std::size_t count) : first_(first), count_(count) {}
        ListText operator[](std::size_t i) const { return first_[i]; }
        std::size_t size() const { return count_; }

    private:
        const std::string_view* first_;
        std::size_t count_;
    };

    ListText Caption;
    Columns SubItems;
    bool Checked = false;
    bool Selected = false;
    std::uint64_t Id = 0;

    operator ListRow() const;
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

class ListRows;

// Told of every change of a list's rows before it is made (after, for an insertion), so
// that the change can be undone: what an undo history listens to. Check marks, selection
// and sorting are not changes of rows.
class ListRowsRecorder {
public:
    virtual ~ListRowsRecorder() = default;
    // Rows `rows` (ascending indices) are about to leave the list, all at once.
    virtual void RowsRemoving(const ListRows& list, const std::vector<int>& rows) = 0;
    // A row was added.
    virtual void RowInserted(std::uint64_t id) = 0;
    // Text `column` of row `row` is about to change (to a different text).
    virtual void RowChanging(const ListRows& list, int row, int column) = 0;
    // The changes from BeginStep to EndStep are one step, named `name`; see ListRows::Step.
    virtual void BeginStep(const std::string& name, std::uint64_t mergeKey) = 0;
    virtual void EndStep() = 0;
    // What the list holds is what a file holds: it was read from it, or written to it
    // (`written`: then no other state of the list is what a file holds any more).
    virtual void Saved(bool written) = 0;
};

// A row and the place it takes, for putting rows back where they were.
struct PlacedRow {
    int Index = 0;
    ListRow Row;
};

// The rows of one of the program's lists, addressed by row index. While sorting is on,
// the list keeps itself in ascending caption order (locale-aware, case-sensitive); it
// re-sorts whenever a caption is set and when sorting is switched on. While sorting is
// off, rows keep their places, so a row index stays valid across changes.
//
// Storage is lean for lists of 100,000 rows: a file read into the list stays one block of
// bytes that the rows' texts point into (see KeepBytes), and only a text set afterwards
// gets memory of its own. Texts are handed out as views (ListText, ListRowView): valid
// until the list next changes, so a caller that changes the list first takes a copy.
class ListRows {
public:
    explicit ListRows(int columnCount, bool sorted = false, const CaptionCollator* collator = nullptr);
    ~ListRows();
    ListRows(const ListRows& other);
    ListRows(ListRows&& other) noexcept;
    ListRows& operator=(ListRows other) noexcept;

    int ColumnCount() const { return columnCount_; }
    int Count() const { return static_cast<int>(rows_.size()); }
    ListRowView Row(int index) const;

    // Column 0 is the caption; an index out of range throws std::out_of_range.
    ListText Text(int row, int column) const;
    void SetText(int row, int column, std::string text);
    ListText Caption(int row) const { return Text(row, 0); }
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
    int DeleteIf(const std::function<bool(const ListRowView&)>& pred);
    void Clear();

    // Bulk loads: the list keeps `bytes` (a file's contents) while it has rows, and hands
    // back a view of them. AddKept then appends a row (all columns given, unchecked or
    // checked) without copying those of its texts that lie within the kept bytes; any
    // other text is copied. Clear lets the bytes go.
    std::string_view KeepBytes(std::string bytes);
    int AddKept(std::span<const std::string_view> texts, bool checked);
    void Reserve(int rows);

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
    // Clearing the flag tells the recorder the list was read anew; MarkWritten says it was
    // written to its file.
    void SetModified(bool on);
    void MarkWritten();

    // Puts rows back, each with its own Id, texts and check mark: `rows` in ascending order
    // of the places they take in the list that results (the other rows keep their order
    // around them). While sorting is on the list sorts afterwards. Tells the observer one
    // Reset and the recorder nothing.
    void Restore(std::span<const PlacedRow> rows);

    // At most one recorder; null detaches it. Not carried over by copies.
    void SetRecorder(ListRowsRecorder* recorder) { recorder_ = recorder; }

    // For the lifetime of a scope, the changes of the list are one step of whatever records
    // them, named `name` (what the user would undo: "Validate PADs"); steps of the same
    // nonzero `mergeKey` that follow each other are one. Nothing when no recorder listens.
    class Step {
    public:
        Step(ListRows& list, const std::string& name, std::uint64_t mergeKey = 0);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        ListRowsRecorder* recorder_;
    };

    void SetObserver(ListRowsObserver* observer) { observer_ = observer; }
    const CaptionCollator& Collator() const { return *collator_; }

private:
    // A row's own parts; its texts are columnCount_ entries of texts_ from
    // row * columnCount_ on.
    struct RowState {
        std::uint64_t Id = 0;
        bool Checked = false;
        bool Selected = false;
    };
    void CheckRow(int row) const;
    void CheckColumn(int column) const;
    int MoveToSortedPlace(int row);
    int SortedPlace(std::string_view caption) const;
    void Changed(int row);
    // A text that does not lie within kept bytes is owned by the list: a heap block of
    // its own, freed when the text is replaced or its row goes. Empty texts own nothing.
    bool IsKept(std::string_view text) const;
    std::string_view Store(std::string_view text);
    void Release(std::string_view text);
    void ReleaseAll();
    void InsertRow(int index, RowState state, std::span<const std::string_view> texts);
    int AddRow(bool checked, bool selected, std::span<const std::string_view> texts);
    // The places of the rows in caption order (row order[i] goes to place i); empty when
    // they are in order already.
    std::vector<std::uint32_t> SortedOrder() const;
    void EraseRows(const std::function<bool(int)>& gone);
    const std::string_view* TextsOf(int row) const { return texts_.data() + static_cast<size_t>(row) * columnCount_; }

    int columnCount_;
    bool sorted_;
    const CaptionCollator* collator_;
    std::vector<RowState> rows_;
    std::vector<std::string_view> texts_;
    std::vector<std::shared_ptr<const std::string>> kept_;
    std::uint64_t lastId_ = 0;
    int updateDepth_ = 0;
    std::vector<std::string> failedPaths_;
    bool modified_ = false;
    ListRowsObserver* observer_ = nullptr;
    ListRowsRecorder* recorder_ = nullptr;
};
