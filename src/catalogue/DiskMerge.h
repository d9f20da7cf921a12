#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// What to keep when a list file changed on disk (another program wrote it, the command line's
// `sites --import` say) while the window holds changes of its own that are not in it. Rows are
// compared by their written fields, and found again by a key field: the title for sites, the
// PAD link for products.
//
// Three lists: the rows as the window read (or last wrote) them, the window's rows now, and
// the rows on disk now. The window's rows all stay, in their order. A row on disk that was not
// read and is not among the window's rows (it appeared on disk, or was changed there) is kept
// beside them: when the window left the row of the same key as it read it, the disk's row
// takes its place; otherwise both stay. A row the disk dropped stays when the window has it:
// nothing either side holds is lost. Each row counts as often as it occurs, so a title twice
// on disk and once in the window gives one row more.
//
// Pure functions.
class DiskMerge {
public:
    using Row = std::vector<std::string>;
    using Rows = std::vector<Row>;

    struct Result {
        Rows Merged; // the window's rows with the disk's changes, as below
        // The same as changes of the window's rows: row i of theirs becomes the disk's row,
        // and rows are added after them.
        std::vector<std::pair<std::size_t, Row>> Replacements;
        Rows Additions;
        // How many rows of the disk's were taken in.
        int Taken() const { return static_cast<int>(Replacements.size() + Additions.size()); }
    };

    static Result Merge(const Rows& read, const Rows& mine, const Rows& disk, std::size_t keyField);
};
