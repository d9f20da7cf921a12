#include "submit/PadTest.h"

#include "catalogue/ListRows.h"
#include "catalogue/Product.h"
#include "common/StatusWords.h"

PadTest::PadTest(ListRows& products, WorkerFactory factory, Synchronize& sync)
    : WorkerSet(std::move(factory), sync), products_(products)
{}

void PadTest::Test(int row)
{
    const Product product = ProductAt(products_, row);
    const std::uint64_t id = products_.Row(row).Id;
    SetProductStatus(products_, row, "");
    Start(PadTestRequest{product.PadLink}, id);
}

int PadTest::TestChecked()
{
    int count = 0;
    for (int row = 0; row < products_.Count(); ++row) {
        if (!products_.Row(row).Checked) continue;
        Test(row);
        ++count;
    }
    return count;
}

void PadTest::WorkConnected(TDownload& worker)
{
    const int row = products_.IndexOfId(worker.Tag);
    if (row >= 0) SetProductStatus(products_, row, StatusWords::Ok);
}

void PadTest::WorkEnded(TDownload& worker, const WorkResult& result)
{
    if (onEnded_) onEnded_(worker.Tag, result);
}
