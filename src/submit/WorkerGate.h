#pragma once

#include <functional>
#include <mutex>

class Synchronize;

// The way from a set's workers to their owner, open while the owner is there. A worker's call
// goes through Synchronize as long as the gate is open; once Close has returned, no worker
// reaches Synchronize or the owner again, so an owner may go while a worker it gave up on
// (see WorkerSet) is still running.
class WorkerGate {
public:
    explicit WorkerGate(Synchronize& sync) : sync_(sync) {}

    // Worker threads: runs `fn` on the owner thread and waits for it; false, without running
    // it, once the gate is closed.
    bool Call(const std::function<void()>& fn);
    // Owner thread: closes the gate, serving the calls already under way until they are over.
    void Close();

private:
    Synchronize& sync_;
    std::mutex mutex_;
    bool open_ = true;
    int inside_ = 0; // calls that passed the gate and have not left Synchronize yet
};
