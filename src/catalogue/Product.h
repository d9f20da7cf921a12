#pragma once

#include <string>

class ListRows;

// One product of the Products list as the rest of the program reads it: its title (the
// caption), its PAD link, its category and its Status word ("?" when just added, "Ok" after
// a PAD test, "Yes" or "No" after a validation; empty when unknown).
struct Product {
    std::string Title;
    std::string PadLink;
    std::string Category;
    std::string Validation;

    bool operator==(const Product&) const = default;
};

// The product at `row` of a products list (four columns); throws std::out_of_range for a row
// outside it.
Product ProductAt(const ListRows& products, int row);
// Sets the Status word of the product at `row`.
void SetProductStatus(ListRows& products, int row, std::string word);
