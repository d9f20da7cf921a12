#include "submit/PadFetch.h"

#include "common/Synchronize.h"
#include "submit/PadValidator.h"

PadFetch::PadFetch(WorkerFactory factory, Synchronize& sync) : factory_(std::move(factory)), sync_(sync)
{}

PadFetch::~PadFetch()
{
    while (!StopAll(std::chrono::seconds(1))) {
    }
}

void PadFetch::Start(const std::string& link, std::vector<std::string> categories, DoneHandler done)
{
    Cancel();
    workers_.Reap(ending_);
    std::unique_ptr<TDownload> worker = factory_(*this);
    worker->Mode = TDownload::ValidatePad;
    worker->Active = true;
    worker->Url = link;
    worker->PadLink = link;
    categories_ = std::move(categories);
    rules_ = rulesFolder_.empty() ? PadRule::BuiltIn() : PadSpecFile::RulesIn(rulesFolder_).Rules;
    done_ = std::move(done);
    current_ = &workers_.Start(std::move(worker));
}

void PadFetch::Cancel()
{
    current_ = nullptr;
    done_ = nullptr;
    workers_.TerminateAll();
}

bool PadFetch::StopAll(std::chrono::milliseconds timeout)
{
    Cancel();
    const bool over = sync_.ServeUntil([this] { return workers_.Live() == 0; }, timeout);
    workers_.Reap(ending_);
    return over;
}

void PadFetch::DownloadConnected(TDownload&)
{}

void PadFetch::DownloadInvalidHost(TDownload&)
{}

void PadFetch::DownloadEnded(TDownload& worker, const std::string&)
{
    if (&worker != current_) return; // broken off: reaped on the next Start or StopAll
    current_ = nullptr;
    PadSummary summary;
    if (worker.ReplyCode != 200 || !worker.ErrorText.empty())
        summary.Problems = PadValidator::ProblemsOf(worker, categories_); // the reply's own problem
    else
        summary = PadSummary::Of(worker.Reply, categories_, rules_);
    // The handler may start the next fetch or stop: it is moved out first so that it outlives
    // this call, and the worker, still returning from this call, is not freed meanwhile.
    DoneHandler done = std::move(done_);
    done_ = nullptr;
    ending_ = &worker;
    if (done) done(summary);
    ending_ = nullptr;
}
