#include "submit/PadFetch.h"

PadFetch::PadFetch(WorkerFactory factory, Synchronize& sync) : WorkerSet(std::move(factory), sync)
{}

void PadFetch::Start(const std::string& link, std::vector<std::string> categories, DoneHandler done)
{
    Cancel();
    auto checks = std::make_shared<const PadCheckInput>(
        PadCheckInput{std::move(categories),
                      rulesFolder_.empty() ? PadRule::BuiltIn() : PadSpecFile::RulesIn(rulesFolder_).Rules});
    done_ = std::move(done);
    busy_ = true;
    WorkerSet::Start(PadDownloadRequest{link, std::move(checks), PadDownloadRequest::Use::Summary});
}

void PadFetch::StartFile(const std::string& link, FileHandler done)
{
    Cancel();
    fileDone_ = std::move(done);
    fileLink_ = link;
    busy_ = true;
    WorkerSet::Start(PadDownloadRequest{link, nullptr, PadDownloadRequest::Use::Problems});
}

void PadFetch::Cancel()
{
    busy_ = false;
    done_ = nullptr;
    fileDone_ = nullptr;
    WorkerSet::Cancel();
}

void PadFetch::WorkEnded(TDownload&, const WorkResult& result)
{
    busy_ = false;
    // The handler may start the next fetch or stop: it is moved out first so that it outlives
    // this call.
    DoneHandler done = std::move(done_);
    done_ = nullptr;
    FileHandler fileDone = std::move(fileDone_);
    fileDone_ = nullptr;
    if (done) done(result.Summary);
    if (!fileDone) return;
    const std::vector<PadProblem> problems = WorkResult::ReplyProblems(result, fileLink_);
    if (problems.empty())
        fileDone(result.Body, {});
    else
        fileDone(std::nullopt, problems.front().What);
}
