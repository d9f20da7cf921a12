#include "submit/PadVersions.h"

#include "common/OwnerThreadQueue.h"
#include "pad/PadDocument.h"

#include <algorithm>

PadVersions::PadVersions(WorkerFactory factory, Synchronize& sync) : WorkerSet(std::move(factory), sync)
{}

void PadVersions::SetSpeed(int speed)
{
    speed_ = std::clamp(speed, 1, 10);
}

std::string PadVersions::VersionIn(std::string_view bytes)
{
    PadDocument document;
    std::string error;
    if (!document.Open(bytes, error)) return {};
    const std::string value = document.Value("Program_Info/Program_Version").value_or(std::string());
    const auto first = value.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return value.substr(first, value.find_last_not_of(" \t\r\n") - first + 1);
}

void PadVersions::Read(const std::vector<std::string>& links, std::function<void()> done)
{
    done_ = std::move(done);
    for (const std::string& link : links)
        if (versions_.emplace(link, std::string()).second) waiting_.push_back(link);
    StartWaiting();
    EndIfIdle();
}

void PadVersions::StartWaiting()
{
    while (running_ < speed_ && !waiting_.empty()) {
        std::string link = std::move(waiting_.front());
        waiting_.pop_front();
        const std::uint64_t tag = ++lastTag_;
        ++running_;
        underWay_.emplace(tag, link);
        Start(PadDownloadRequest{std::move(link), nullptr, PadDownloadRequest::Use::Problems}, tag);
    }
}

void PadVersions::WorkEnded(TDownload& worker, const WorkResult& result)
{
    const auto found = underWay_.find(worker.Tag);
    if (found == underWay_.end()) return;
    // Only a 200 reply leaves its body: anything else keeps the version unknown.
    versions_[found->second] = VersionIn(result.Body);
    underWay_.erase(found);
    --running_;
    StartWaiting();
    EndIfIdle();
}

void PadVersions::EndIfIdle()
{
    if (Busy() || !done_) return;
    auto done = std::move(done_);
    done_ = nullptr;
    done();
}

void PadVersions::Cancel()
{
    WorkerSet::Cancel();
    waiting_.clear();
    underWay_.clear();
    running_ = 0;
    done_ = nullptr;
}

std::string PadVersions::Of(const std::string& link) const
{
    const auto found = versions_.find(link);
    return found == versions_.end() ? std::string() : found->second;
}

std::map<std::string, std::string> PadVersions::ReadAll(const std::vector<std::string>& links, WorkerFactory factory,
                                                        OwnerThreadQueue& queue, int speed)
{
    PadVersions versions(std::move(factory), queue);
    versions.SetSpeed(speed);
    bool over = false;
    versions.Read(links, [&over] { over = true; });
    while (!over) queue.ServeUntil([&over] { return over; }, std::chrono::seconds(1));
    return versions.Versions();
}
