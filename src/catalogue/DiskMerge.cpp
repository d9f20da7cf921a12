#include "catalogue/DiskMerge.h"

#include <map>

namespace {

// Rows counted as often as they occur, taken out one at a time.
class RowCount {
public:
    explicit RowCount(const DiskMerge::Rows& rows)
    {
        for (const DiskMerge::Row& r : rows) ++count_[r];
    }
    bool Take(const DiskMerge::Row& row)
    {
        const auto it = count_.find(row);
        if (it == count_.end() || it->second == 0) return false;
        --it->second;
        return true;
    }

private:
    std::map<DiskMerge::Row, int> count_;
};

} // namespace

DiskMerge::Result DiskMerge::Merge(const Rows& read, const Rows& mine, const Rows& disk, std::size_t keyField)
{
    Result result;
    result.Merged = mine;
    RowCount inMine(mine);
    // The rows read that the window no longer has: it deleted or changed them.
    Rows gone;
    RowCount kept(mine);
    for (const Row& r : read)
        if (!kept.Take(r)) gone.push_back(r);
    RowCount wasRead(gone);
    // The window's rows that are still as they were read: the disk may replace those.
    RowCount untouched(read);
    std::multimap<std::string, std::size_t> untouchedByKey;
    for (std::size_t i = 0; i < mine.size(); ++i)
        if (untouched.Take(mine[i]) && keyField < mine[i].size()) untouchedByKey.emplace(mine[i][keyField], i);

    for (const Row& row : disk) {
        if (inMine.Take(row)) { // the window has it as it is: that row is the disk's too
            if (keyField < row.size()) {
                auto [first, last] = untouchedByKey.equal_range(row[keyField]);
                for (auto it = first; it != last; ++it)
                    if (mine[it->second] == row) {
                        untouchedByKey.erase(it);
                        break;
                    }
            }
            continue;
        }
        if (wasRead.Take(row)) continue; // the window changed or deleted it
        const auto it = keyField < row.size() ? untouchedByKey.find(row[keyField]) : untouchedByKey.end();
        if (it != untouchedByKey.end()) {
            result.Merged[it->second] = row;
            result.Replacements.emplace_back(it->second, row);
            untouchedByKey.erase(it);
        } else {
            result.Merged.push_back(row);
            result.Additions.push_back(row);
        }
    }
    return result;
}
