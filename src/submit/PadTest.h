#pragma once

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
class PadTest : public WorkerSet {
public:
    // Hears the end of each test that was not broken off: the product's Id and the result
    // (Ok when the server answered; else its Reason and ErrorKind tell why not).
    using EndedHandler = std::function<void(std::uint64_t productId, const WorkResult& result)>;

    PadTest(ListRows& products, WorkerFactory factory, Synchronize& sync);

    // Tests the product at `row` (Status cleared until its server answers).
    void Test(int row);
    // Tests every checked product, top to bottom. Returns how many.
    int TestChecked();

    void SetOnEnded(EndedHandler handler) { onEnded_ = std::move(handler); }

private:
    void WorkConnected(TDownload& worker) override;
    void WorkEnded(TDownload& worker, const WorkResult& result) override;

    ListRows& products_;
    EndedHandler onEnded_;
};
