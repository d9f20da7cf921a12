#include "submit/SendableProducts.h"

#include "catalogue/ListRows.h"
#include "catalogue/Product.h"
#include "submit/SubmissionRun.h"

SendableProducts SendableProducts::Of(const ListRows& products, const std::vector<int>& rows)
{
    SendableProducts sendable;
    for (const int row : rows)
        if (HasLink(products, row)) sendable.Rows.push_back(row);
    sendable.Warning = SkippedText(static_cast<int>(rows.size() - sendable.Rows.size()));
    return sendable;
}

bool SendableProducts::HasLink(const ListRows& products, int row)
{
    return !ProductAt(products, row).PadLink.empty();
}

RunProduct SendableProducts::Product(const ListRows& products, int row)
{
    ::Product product = ProductAt(products, row);
    return RunProduct{std::move(product.Title), std::move(product.PadLink), std::move(product.Category), {}};
}

Phrase SendableProducts::SkippedText(int count)
{
    if (count <= 0) return {};
    return Phrase(count == 1 ? "%1 product without a PAD link: skipped" : "%1 products without a PAD link: skipped",
                  {Phrase::Text(std::to_string(count))});
}
