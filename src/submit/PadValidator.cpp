#include "submit/PadValidator.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"
#include "common/StatusWords.h"
#include "common/Synchronize.h"
#include "submit/RunReport.h"

#include <algorithm>

PadValidator::PadValidator(ListRows& products, std::vector<std::string> categories, WorkerFactory factory,
                           Synchronize& sync)
    : products_(products), categories_(std::move(categories)), factory_(std::move(factory)), sync_(sync)
{}

PadValidator::~PadValidator()
{
    while (!StopAll(std::chrono::seconds(1))) {
    }
}

void PadValidator::SetSpeed(int speed)
{
    speed_ = std::clamp(speed, 1, 10);
    StartWaiting();
}

void PadValidator::Validate(int row)
{
    if (!Busy()) {
        total_ = finished_ = 0;
        results_.clear();
        if (!rulesFolder_.empty()) rules_ = PadSpecFile::RulesIn(rulesFolder_);
    }
    const ListRow& product = products_.Row(row);
    waiting_.push_back({product.Id, product.Caption, product.SubItems[ProductColumn::PadLink - 1]});
    products_.SetText(row, ProductColumn::Status, "");
    ++total_;
    StartWaiting();
}

int PadValidator::ValidateChecked()
{
    int count = 0;
    for (int row = 0; row < products_.Count(); ++row) {
        if (!products_.Row(row).Checked) continue;
        Validate(row);
        ++count;
    }
    return count;
}

std::vector<PadProblem> PadValidator::Problems(std::uint64_t productId) const
{
    const auto found = problems_.find(productId);
    return found == problems_.end() ? std::vector<PadProblem>{} : found->second;
}

void PadValidator::Cancel()
{
    waiting_.clear();
    workers_.TerminateAll();
    running_ = 0; // broken off: they no longer count against the speed, and report nothing
}

bool PadValidator::StopAll(std::chrono::milliseconds timeout)
{
    Cancel();
    return workers_.StopAll(sync_, timeout);
}

void PadValidator::StartWaiting(const TDownload* inLastCall)
{
    workers_.Reap(inLastCall);
    while (running_ < speed_ && !waiting_.empty()) {
        const Job job = waiting_.front();
        waiting_.pop_front();
        std::unique_ptr<TDownload> worker = factory_(*this);
        worker->Mode = TDownload::ValidatePad;
        worker->Active = true;
        worker->Url = job.PadLink;
        worker->PadLink = job.PadLink;
        worker->ProductId = job.ProductId;
        worker->ProductTitle = job.Title;
        ++running_;
        workers_.Start(std::move(worker));
    }
}

std::vector<PadProblem> PadValidator::ProblemsOf(const TDownload& worker, const std::vector<std::string>& categories,
                                                 const std::vector<PadRule>& rules)
{
    if (worker.ReplyCode != 200) {
        std::string what;
        if (worker.ReplyCode > 0)
            what = "the server answered " + std::to_string(worker.ReplyCode) + " instead of the file";
        else
            what = "no reply" + (worker.ErrorText.empty() ? std::string() : ": " + worker.ErrorText);
        return {{"PAD file", worker.PadLink, what}};
    }
    // Only the first MiB of a longer file was read.
    if (worker.ReplyTooLarge)
        return {{"PAD file", worker.PadLink, "the file is larger than 1 MiB (it was not read past that)"}};
    if (!worker.ErrorText.empty()) return {{"PAD file", worker.PadLink, "the reply was cut: " + worker.ErrorText}};
    return PadValidation::Check(worker.Reply, worker.PadLink, categories, rules);
}

void PadValidator::DownloadConnected(TDownload&)
{}

void PadValidator::DownloadInvalidHost(TDownload&)
{}

void PadValidator::DownloadEnded(TDownload& worker, const std::string&)
{
    if (worker.Terminated()) {
        workers_.Reap(&worker);
        return;
    }
    --running_;
    ++finished_;
    std::vector<PadProblem> problems = ProblemsOf(worker, categories_, rules_.Rules);
    const int row = products_.IndexOfId(worker.ProductId);
    if (row >= 0) {
        products_.SetText(row, ProductColumn::Status, problems.empty() ? StatusWords::Valid : StatusWords::NotValid);
        problems_[worker.ProductId] = problems;
    }
    results_.push_back({worker.ProductTitle, worker.PadLink, problems});
    if (onEnded_) onEnded_(worker.ProductId, problems);
    StartWaiting(&worker);
}

std::string PadValidator::ReportText(const std::vector<Result>& results, const std::string& notice)
{
    std::string text = notice.empty() ? std::string() : notice + "\n\n";
    for (const Result& r : results) {
        text.append(r.Problems.empty() ? StatusWords::Valid : StatusWords::NotValid).append("\t");
        text.append(r.Title).append("\n\t").append(r.PadLink).append("\n");
        for (const PadProblem& p : r.Problems) text.append("\t").append(PadValidation::Line(p)).append("\n");
        text += "\n";
    }
    return text;
}

std::string PadValidator::ReportPath(const std::string& programFolder, std::chrono::system_clock::time_point when)
{
    return RunReport::StampedPath(programFolder, "validate", ".txt", when);
}
