#include "submit/PadValidator.h"

#include "catalogue/ListRows.h"
#include "catalogue/Product.h"
#include "common/StatusWords.h"
#include "submit/RunReport.h"

#include <algorithm>

PadValidator::PadValidator(ListRows& products, std::vector<std::string> categories, WorkerFactory factory,
                           Synchronize& sync)
    : WorkerSet(std::move(factory), sync), products_(products), categories_(std::move(categories))
{
    MakeChecks();
}

void PadValidator::SetCategories(std::vector<std::string> categories)
{
    categories_ = std::move(categories);
    MakeChecks();
}

void PadValidator::MakeChecks()
{
    checks_ = std::make_shared<const PadCheckInput>(PadCheckInput{categories_, rules_.Rules});
}

void PadValidator::SetSpeed(int speed)
{
    speed_ = std::clamp(speed, 1, 10);
    StartWaiting();
}

void PadValidator::Validate(int row)
{
    if (!Busy()) {
        ++batch_;
        total_ = finished_ = 0;
        results_.clear();
        if (!rulesFolder_.empty()) {
            rules_ = PadSpecFile::RulesIn(rulesFolder_);
            MakeChecks();
        }
    }
    const Product product = ProductAt(products_, row);
    waiting_.push_back({products_.Row(row).Id, product.Title, product.PadLink});
    const ListRows::Step step(products_, StepName, batch_); // the batch's words are undone as one
    SetProductStatus(products_, row, "");
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
    underWay_.clear();
    WorkerSet::Cancel();
    running_ = 0; // broken off: they no longer count against the speed, and report nothing
}

void PadValidator::StartWaiting()
{
    while (running_ < speed_ && !waiting_.empty()) {
        Job job = std::move(waiting_.front());
        waiting_.pop_front();
        ++running_;
        const std::uint64_t tag = ++lastTag_;
        Start(PadDownloadRequest{job.PadLink, checks_, PadDownloadRequest::Use::Problems}, tag);
        underWay_.emplace(tag, std::move(job));
    }
}

void PadValidator::WorkEnded(TDownload& worker, const WorkResult& result)
{
    const auto found = underWay_.find(worker.Tag);
    if (found == underWay_.end()) return;
    const Job job = std::move(found->second);
    underWay_.erase(found);
    --running_;
    ++finished_;
    const int row = products_.IndexOfId(job.ProductId);
    if (row >= 0) {
        const ListRows::Step step(products_, StepName, batch_);
        SetProductStatus(products_, row, result.Problems.empty() ? StatusWords::Valid : StatusWords::NotValid);
        problems_[job.ProductId] = result.Problems;
    }
    results_.push_back({job.Title, job.PadLink, result.Problems});
    if (onEnded_) onEnded_(job.ProductId, result.Problems);
    StartWaiting();
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
