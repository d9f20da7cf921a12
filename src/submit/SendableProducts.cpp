#include "submit/SendableProducts.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"
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
    return !products.Text(row, ProductColumn::PadLink).empty();
}

RunProduct SendableProducts::Product(const ListRows& products, int row)
{
    return RunProduct{std::string(products.Caption(row)), std::string(products.Text(row, ProductColumn::PadLink)),
                      std::string(products.Text(row, ProductColumn::Category))};
}

std::string SendableProducts::SkippedText(int count)
{
    if (count <= 0) return {};
    return std::to_string(count) + (count == 1 ? " product" : " products") + " without a PAD link: skipped";
}
