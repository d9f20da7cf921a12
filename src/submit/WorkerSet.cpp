#include "submit/WorkerSet.h"

#include "common/Synchronize.h"
#include "submit/WorkerGate.h"

#include <algorithm>

WorkerSet::WorkerSet(WorkerFactory factory, Synchronize& sync)
    : factory_(std::move(factory)), sync_(sync), gate_(std::make_shared<WorkerGate>(sync))
{}

WorkerSet::~WorkerSet()
{
    // Only this class's own functions take reports from here on (the owner's part is gone),
    // and they pass on nothing of a cancelled worker.
    CancelWorkers();
    sync_.ServeUntil([this] { return LiveWorkers() == 0; }, StopBound);
    gate_->Close();
    for (auto& worker : workers_)
        if (!worker->Ended()) TDownload::Abandon(std::move(worker));
    workers_.clear();
}

TDownload& WorkerSet::Start(WorkRequest request, std::uint64_t tag)
{
    Reap();
    std::unique_ptr<TDownload> worker = factory_(*this);
    worker->Request = std::move(request);
    worker->Tag = tag;
    worker->SetGate(gate_);
    TDownload& started = *worker;
    workers_.push_back(std::move(worker));
    started.Resume();
    return started;
}

void WorkerSet::Reap()
{
    std::erase_if(workers_,
                  [this](const std::unique_ptr<TDownload>& w) { return w->Ended() && w.get() != inLastCall_; });
}

bool WorkerSet::Held(const TDownload& worker) const
{
    return !worker.Ended() && !(worker.Terminated() && worker.PastNetwork());
}

int WorkerSet::LiveWorkers() const
{
    return static_cast<int>(std::count_if(workers_.begin(), workers_.end(),
                                          [this](const std::unique_ptr<TDownload>& w) { return Held(*w); }));
}

void WorkerSet::CancelWorkers()
{
    for (auto& worker : workers_)
        if (!worker->Ended()) worker->Terminate();
}

void WorkerSet::Cancel()
{
    CancelWorkers();
}

void WorkerSet::GiveUpUnheld()
{
    // A cancelled worker checking a file is not waited for: it ends on its own, and its report
    // (if the gate is still open then) goes nowhere.
    for (auto& worker : workers_)
        if (!worker->Ended() && !Held(*worker) && worker.get() != inLastCall_) TDownload::Abandon(std::move(worker));
    std::erase(workers_, nullptr);
}

bool WorkerSet::StopAll(std::chrono::milliseconds timeout)
{
    Cancel();
    const bool done = sync_.ServeUntil([this] { return LiveWorkers() == 0; }, timeout);
    GiveUpUnheld();
    Reap();
    return done;
}

void WorkerSet::DownloadConnected(TDownload& worker)
{
    if (!worker.Terminated()) WorkConnected(worker);
}

void WorkerSet::DownloadInvalidHost(TDownload& worker)
{
    if (!worker.Terminated()) WorkInvalidHost(worker);
}

void WorkerSet::DownloadEnded(TDownload& worker, const WorkResult& result)
{
    const TDownload* outer = inLastCall_;
    inLastCall_ = &worker;
    Reap(); // those that ended before; this one's thread is still in its last call
    if (!worker.Terminated()) WorkEnded(worker, result);
    inLastCall_ = outer;
}
