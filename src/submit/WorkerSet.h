#pragma once

#include "submit/TDownload.h"

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class Synchronize;
class WorkerGate;

// The base of every owner of workers (a run, PAD tests, validation, From PAD): it makes
// them with its factory, starts, tracks, cancels and frees them, and hands on what they
// report. A worker that has ended is joined and freed on the owner's next turn (never from
// inside its own last call, which it is still returning from), so finished threads never
// pile up. Reports of a cancelled worker never reach the owner's Work* functions.
//
// Owned by one thread, which makes every call; the workers' reports come on it through
// Synchronize. On destruction every worker is cancelled and waited for, serving their calls,
// for at most StopBound; one that is still running then (or is only checking a file it
// downloaded) is given up: it frees itself when it ends and never reports again.
class WorkerSet : public TDownloadOwner {
public:
    using WorkerFactory = std::function<std::unique_ptr<TDownload>(TDownloadOwner&)>;
    static constexpr std::chrono::seconds StopBound{10};

    WorkerSet(const WorkerSet&) = delete;
    WorkerSet& operator=(const WorkerSet&) = delete;

    // Workers that have not ended (a cancelled one counts until its thread is over or only
    // its checks are left).
    int LiveWorkers() const;
    // Breaks off everything under way at once; the owner forgets what it was waiting for.
    virtual void Cancel();
    // Cancel, then waits for the workers, serving their calls, for at most `timeout`; those
    // left with only their checks to run are given up. True when none is left.
    bool StopAll(std::chrono::milliseconds timeout);

    void DownloadConnected(TDownload& worker) final;
    void DownloadInvalidHost(TDownload& worker) final;
    void DownloadEnded(TDownload& worker, const WorkResult& result) final;

protected:
    WorkerSet(WorkerFactory factory, Synchronize& sync);
    ~WorkerSet() override;

    // Makes a worker for `request`, marked `tag`, and resumes it.
    TDownload& Start(WorkRequest request, std::uint64_t tag = 0);
    Synchronize& Sync() { return sync_; }

    virtual void WorkConnected(TDownload& worker) { (void)worker; }
    virtual void WorkInvalidHost(TDownload& worker) { (void)worker; }
    // The one result of a worker that was not cancelled. The worker is freed later.
    virtual void WorkEnded(TDownload& worker, const WorkResult& result) = 0;

private:
    void CancelWorkers();
    void Reap();
    bool Held(const TDownload& worker) const;
    void GiveUpUnheld();

    WorkerFactory factory_;
    Synchronize& sync_;
    std::shared_ptr<WorkerGate> gate_;
    std::vector<std::unique_ptr<TDownload>> workers_;
    const TDownload* inLastCall_ = nullptr; // the worker whose DownloadEnded is running
};
