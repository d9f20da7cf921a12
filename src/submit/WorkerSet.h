#pragma once

#include <chrono>
#include <memory>
#include <vector>

class Synchronize;
class TDownload;

// The workers an owner has started and not yet freed. A worker that has ended is joined and
// freed on the owner's next turn (never from inside its own last call, which it is still
// returning from), so finished threads never pile up.
class WorkerSet {
public:
    WorkerSet() = default;
    ~WorkerSet();

    // Takes the worker and resumes it.
    TDownload& Start(std::unique_ptr<TDownload> worker);
    // Frees the workers that have ended, except the one whose last call is running now.
    void Reap(const TDownload* inLastCall = nullptr);
    void TerminateAll();
    int Live() const;
    // TerminateAll, then waits for the workers, serving their calls, for at most `timeout`.
    bool StopAll(Synchronize& sync, std::chrono::milliseconds timeout);

private:
    std::vector<std::unique_ptr<TDownload>> workers_;
};
