#pragma once

#include "common/Phrase.h"

#include <string>
#include <vector>

class ListRows;
struct RunProduct;

// The products that a run, a PAD test or a validation can work on: the rows with a PAD link.
// A blank line of products.dat reads as a row with neither title nor link; sending it would
// put an empty link on the wire, so such rows are left out, and one warning says how many.
//
// Plain functions of their arguments; any thread.
struct SendableProducts {
    std::vector<int> Rows; // the given rows that have a PAD link, in their order
    Phrase Warning;        // "n product(s) without a PAD link: skipped"; empty when none was

    static SendableProducts Of(const ListRows& products, const std::vector<int>& rows);
    static bool HasLink(const ListRows& products, int row);
    // The product of `row` as a run sends it.
    static RunProduct Product(const ListRows& products, int row);
    // The warning for `count` products left out; empty for none.
    static Phrase SkippedText(int count);
};
