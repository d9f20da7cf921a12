#pragma once

#include "submit/TDownload.h"
#include "submit/WorkerSet.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ListRows;
class Synchronize;

// Test PAD and Test PADs: one worker per product tries to connect to the server of the
// product's PAD link, and the product's Status becomes "Ok" when it answers. The result goes
// to the product the test was started for, wherever sorting or edits have moved it; a product
// deleted meanwhile gets nothing. Tests count nothing and report to no run. Any number may be
// under way at once; a product may be tested again while its last test is pending.
//
// Owned by the thread that owns the Products list; the workers report through Synchronize.
class PadTest : public TDownloadOwner {
public:
    using WorkerFactory = std::function<std::unique_ptr<TDownload>(TDownloadOwner&)>;
    // Hears the end of each test that was not broken off: the product's Id, the worker (its
    // ErrorText tells why a server did not answer) and its word ("Ok" when it answered).
    using EndedHandler = std::function<void(std::uint64_t productId, const TDownload& worker, const std::string& word)>;

    PadTest(ListRows& products, WorkerFactory factory, Synchronize& sync);
    ~PadTest() override;

    // Tests the product at `row` (Status cleared until its server answers).
    void Test(int row);
    // Tests every checked product, top to bottom. Returns how many.
    int TestChecked();

    void SetOnEnded(EndedHandler handler) { onEnded_ = std::move(handler); }

    int LiveWorkers() const { return workers_.Live(); }
    // Breaks off every test and waits for the workers, serving their calls, for at most
    // `timeout`. True when none is left.
    bool StopAll(std::chrono::milliseconds timeout) { return workers_.StopAll(sync_, timeout); }

    void DownloadConnected(TDownload& worker) override;
    void DownloadInvalidHost(TDownload& worker) override;
    void DownloadEnded(TDownload& worker, const std::string& word) override;

private:
    ListRows& products_;
    WorkerFactory factory_;
    Synchronize& sync_;
    WorkerSet workers_;
    EndedHandler onEnded_;
};
