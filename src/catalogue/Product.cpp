#include "catalogue/Product.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"

Product ProductAt(const ListRows& products, int row)
{
    return {products.Caption(row), products.Text(row, ProductColumn::PadLink),
            products.Text(row, ProductColumn::Category), products.Text(row, ProductColumn::Status)};
}

void SetProductStatus(ListRows& products, int row, std::string word)
{
    products.SetText(row, ProductColumn::Status, std::move(word));
}
