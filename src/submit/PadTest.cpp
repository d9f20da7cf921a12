#include "submit/PadTest.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"
#include "common/StatusWords.h"
#include "common/Synchronize.h"

PadTest::PadTest(ListRows& products, WorkerFactory factory, Synchronize& sync)
    : products_(products), factory_(std::move(factory)), sync_(sync)
{}

PadTest::~PadTest()
{
    while (!StopAll(std::chrono::seconds(1))) {
    }
}

void PadTest::Test(int row)
{
    workers_.Reap();
    const ListRow& product = products_.Row(row);
    products_.SetText(row, ProductColumn::Status, "");
    std::unique_ptr<TDownload> worker = factory_(*this);
    worker->Mode = TDownload::CheckProducts;
    worker->RowIndex = row;
    worker->Active = true;
    worker->Url = product.SubItems[ProductColumn::PadLink - 1];
    worker->ProductId = product.Id;
    workers_.Start(std::move(worker));
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

void PadTest::DownloadConnected(TDownload& worker)
{
    if (worker.Terminated()) return;
    const int row = products_.IndexOfId(worker.ProductId);
    if (row >= 0) products_.SetText(row, ProductColumn::Status, StatusWords::Ok);
}

void PadTest::DownloadInvalidHost(TDownload&)
{}

void PadTest::DownloadEnded(TDownload& worker, const std::string& word)
{
    workers_.Reap(&worker);
    if (onEnded_ && !worker.Terminated()) onEnded_(worker.ProductId, worker, word);
}
