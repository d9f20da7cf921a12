#pragma once

#include "pad/PadSpecFile.h"
#include "pad/PadValidation.h"
#include "submit/WorkerSet.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class ListRows;
class Synchronize;

// Validate PAD and Validate PADs: each product's PAD file is downloaded on a worker thread
// (at most Speed at once, the others wait their turn in the order they were asked for) and
// checked by PadValidation on that same thread, so that no check holds up the owner; the product's Status becomes "Yes"
// when the file has no problem and "No" otherwise, and the problems are kept by product until it is validated again.
// The result goes to the product it was started for, wherever sorting or edits have moved it; a product deleted
// meanwhile gets nothing.
//
// Owned by the thread that owns the Products list; the workers report through Synchronize.
class PadValidator : public WorkerSet {
public:
    // The step of a list's undo history that a batch's words make.
    static constexpr const char* StepName = "Validate PADs";
    // Hears the end of each validation that was not cancelled (also of a product deleted
    // meanwhile): the product's Id and its problems.
    using EndedHandler = std::function<void(std::uint64_t productId, const std::vector<PadProblem>& problems)>;

    // One ended validation, for the report.
    struct Result {
        std::string Title;
        std::string PadLink;
        std::vector<PadProblem> Problems;
    };

    PadValidator(ListRows& products, std::vector<std::string> categories, WorkerFactory factory, Synchronize& sync);

    // The category list Program_Category_Class must be one of, from the next download on.
    void SetCategories(std::vector<std::string> categories);

    // The program folder whose pad_spec.xml, when usable, replaces the built-in rules: read
    // again at the start of each batch (see PadSpecFile::RulesIn). Unset: the built-in rules.
    void SetRulesFolder(std::string programFolder) { rulesFolder_ = std::move(programFolder); }
    // The rules of the current (or last) batch, with the notice of a pad_spec.xml not used.
    const PadRuleSet& Rules() const { return rules_; }

    // How many downloads run at once, 1 to 10 (the submission speed).
    void SetSpeed(int speed);
    // Validates the product at `row` (its Status cleared until the result is known).
    void Validate(int row);
    // Validates every checked product, top to bottom. Returns how many.
    int ValidateChecked();

    // Validations asked for since the last time none was pending, and how many of them ended.
    int Total() const { return total_; }
    int Finished() const { return finished_; }
    bool Busy() const { return running_ > 0 || !waiting_.empty(); }
    int Running() const { return running_; }

    // The validations of the current batch that ended, in the order they ended (a batch: what
    // was asked for since the last time none was pending).
    const std::vector<Result>& Results() const { return results_; }
    // The report of a batch: the rules' notice on the first line when there is one, then one
    // block per product, "Yes" or "No" and the title, its PAD link, then one line per problem
    // (field, path, what is wrong).
    static std::string ReportText(const std::vector<Result>& results, const std::string& notice = "");
    // `programFolder`/reports/validate-YYYYMMDD-HHMMSS.txt, the time in UTC; "-2", "-3", ...
    // before the extension when that name is taken.
    static std::string ReportPath(const std::string& programFolder, std::chrono::system_clock::time_point when);

    // The problems found at the product's last validation (empty when it passed or never ran).
    std::vector<PadProblem> Problems(std::uint64_t productId) const;

    // Breaks off every download and forgets the waiting ones; their Status stays empty and
    // Busy is false at once. A worker busy with its checks is not waited for (StopAll).
    void Cancel() override;

    void SetOnEnded(EndedHandler handler) { onEnded_ = std::move(handler); }

private:
    struct Job {
        std::uint64_t ProductId;
        std::string Title;
        std::string PadLink;
    };
    void WorkEnded(TDownload& worker, const WorkResult& result) override;
    void StartWaiting();
    void MakeChecks();

    ListRows& products_;
    std::vector<std::string> categories_;
    std::string rulesFolder_;
    PadRuleSet rules_{PadRule::BuiltIn(), ""};
    std::shared_ptr<const PadCheckInput> checks_; // categories_ and rules_, for the workers
    std::deque<Job> waiting_;
    std::map<std::uint64_t, Job> underWay_; // by their workers' tags
    std::uint64_t lastTag_ = 0;
    std::uint64_t batch_ = 0; // counts the batches: the words of one are one step to undo
    std::vector<Result> results_;
    int speed_ = 1;
    int running_ = 0;
    int total_ = 0;
    int finished_ = 0;
    std::map<std::uint64_t, std::vector<PadProblem>> problems_;
    EndedHandler onEnded_;
};
