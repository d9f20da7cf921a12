#pragma once

#include "catalogue/ListRows.h"

#include <string>
#include <vector>

struct RunProduct;

// The products a command works on: a products file read into a list as the program reads
// it (sorted by title, so runs go in the order the Products page shows), and the rows picked
// from it by exact title.
class ProductSelection {
public:
    ProductSelection();

    // Reads the file. False, and the reason in `error`, when it cannot be read.
    bool Load(const std::string& path, std::string& error);
    // Picks every row whose title is one of `titles` (a title shared by several rows picks
    // them all), or every row when `titles` is empty, top to bottom. False when a title
    // names no row: `error` names each such title, and nothing is picked. Rows without a PAD
    // link (a blank line of the file) are never picked: Warning() counts them.
    bool Pick(const std::vector<std::string>& titles, std::string& error);
    // Load, then Pick, and at least one row picked; otherwise false with the reason in
    // `error` (the file named where it helps).
    bool Open(const std::string& path, const std::vector<std::string>& titles, std::string& error);

    ListRows& List() { return list_; }
    const ListRows& List() const { return list_; }
    const std::vector<int>& Rows() const { return rows_; }
    // "n product(s) without a PAD link: skipped" after a Pick that left some out; else empty.
    const std::string& Warning() const { return warning_; }

    // The product of `row` as a run sends it.
    static RunProduct Product(const ListRows& list, int row);

private:
    ListRows list_;
    std::vector<int> rows_;
    std::string warning_;
};
