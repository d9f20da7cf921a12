#include "submit/WorkerSet.h"

#include "common/Synchronize.h"
#include "submit/TDownload.h"

#include <algorithm>

WorkerSet::~WorkerSet() = default;

TDownload& WorkerSet::Start(std::unique_ptr<TDownload> worker)
{
    TDownload& started = *worker;
    workers_.push_back(std::move(worker));
    started.Resume();
    return started;
}

void WorkerSet::Reap(const TDownload* inLastCall)
{
    std::erase_if(workers_,
                  [inLastCall](const std::unique_ptr<TDownload>& w) { return w->Ended() && w.get() != inLastCall; });
}

void WorkerSet::TerminateAll()
{
    for (auto& worker : workers_)
        if (!worker->Ended() && !worker->Terminated()) worker->Terminate();
}

int WorkerSet::Live() const
{
    return static_cast<int>(std::count_if(workers_.begin(), workers_.end(),
                                          [](const std::unique_ptr<TDownload>& w) { return !w->Ended(); }));
}

bool WorkerSet::StopAll(Synchronize& sync, std::chrono::milliseconds timeout)
{
    TerminateAll();
    const bool done = sync.ServeUntil([this] { return Live() == 0; }, timeout);
    Reap();
    return done;
}
