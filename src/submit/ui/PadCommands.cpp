#include "submit/ui/PadCommands.h"

#include "catalogue/ListCommands.h"
#include "catalogue/ListRows.h"
#include "catalogue/Product.h"
#include "common/FileReplace.h"
#include "common/StatusWords.h"
#include "common/ui/MessageBoxes.h"
#include "history/HistoryStore.h"
#include "pad/PadSpecFile.h"
#include "submit/RunHistory.h"
#include "submit/RunRecorder.h"
#include "submit/SendableProducts.h"
#include "submit/WorkReason.h"
#include "submit/ui/SubmitCommands.h"

#include <QString>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

PadCommands::PadCommands(SubmitCommands& submission)
    : submission_(submission),
      w_(submission.Wires()),
      tests_(
          w_.Products, [this](TDownloadOwner& o) { return submission_.MakeWorker(o, false); }, submission_.Sync()),
      validator_(
          w_.Products, {}, [this](TDownloadOwner& o) { return submission_.MakeWorker(o, true); }, submission_.Sync()),
      fromPad_([this](TDownloadOwner& o) { return submission_.MakeWorker(o, true); }, submission_.Sync()),
      padFile_([this](TDownloadOwner& o) { return submission_.MakeWorker(o, true); }, submission_.Sync())
{
    validator_.SetOnEnded([this](std::uint64_t, const std::vector<PadProblem>&) { ValidationEnded(); });
    tests_.SetOnEnded([this](std::uint64_t id, const WorkResult& result) { TestEnded(id, result); });
    validator_.SetRulesFolder(w_.ProgramFolder);
    fromPad_.SetRulesFolder(w_.ProgramFolder);
    // A validation starts at most Speed workers at once, as a run does.
    validator_.SetSpeed(submission_.Run().Speed());
    submission_.FollowSpeed([this](int speed) { validator_.SetSpeed(speed); });
}

PadCommands::~PadCommands()
{
    submission_.FollowSpeed(nullptr);
    StopAll(std::chrono::steady_clock::now() + std::chrono::seconds(1));
}

bool PadCommands::StopAll(std::chrono::steady_clock::time_point deadline)
{
    auto left = [deadline] {
        return std::max(std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                              std::chrono::steady_clock::now()),
                        std::chrono::milliseconds(0));
    };
    const bool testsDone = tests_.StopAll(left());
    const bool validationDone = validator_.StopAll(left());
    const bool fromPadDone = fromPad_.StopAll(left());
    return padFile_.StopAll(left()) && fromPadDone && validationDone && testsDone;
}

ProductsPage::PadCalls PadCommands::Calls(std::function<std::vector<std::string>()> categories)
{
    ProductsPage::PadCalls pad;
    pad.TestPads = [this] { TestPads(); };
    pad.TestPad = [this] { TestPad(); };
    pad.ValidatePads = [this, categories] {
        SetCategories(categories());
        ValidatePads();
    };
    pad.ValidatePad = [this, categories] {
        SetCategories(categories());
        ValidatePad();
    };
    pad.ValidationTip = [this](int row) { return ValidationTip(row); };
    pad.FromPad.Start = [this](const std::string& link, const std::vector<std::string>& categories, auto done) {
        fromPad_.Start(link, categories, std::move(done));
    };
    pad.FromPad.Cancel = [this] { fromPad_.StopAll(std::chrono::seconds(1)); };
    pad.Editor.Rules = [this] { return PadSpecFile::RulesIn(w_.ProgramFolder).Rules; };
    pad.Editor.Download = [this](const std::string& link, auto done) { padFile_.StartFile(link, std::move(done)); };
    pad.Editor.CancelDownload = [this] { padFile_.Cancel(); };
    return pad;
}

void PadCommands::TestPad()
{
    const int row = w_.Products.FirstSelected();
    if (row < 0) {
        MessageBoxes::Show(QString::fromUtf8(ListCommands::SelectItemFirst));
        return;
    }
    if (submission_.Sendable({row}).empty()) return;
    TestsStarted({row});
    tests_.Test(row);
}

void PadCommands::TestPads()
{
    const std::vector<int> rows = submission_.Sendable(submission_.CheckedProducts());
    TestsStarted(rows);
    for (const int row : rows) tests_.Test(row);
}

void PadCommands::TestsStarted(const std::vector<int>& rows)
{
    if (!testRun_.Recorder) testRun_.Recorder = submission_.Recorder(RunKind::Test, 0);
    for (const int row : rows) {
        const std::uint64_t id = w_.Products.Row(row).Id;
        testReasons_.erase(id);
        testRun_.Products[id] = {w_.Products.Caption(row), SendableProducts::Product(w_.Products, row).PadLink};
    }
}

void PadCommands::TestEnded(std::uint64_t productId, const WorkResult& result)
{
    const std::string why = WorkReason::Words(result, TDownload::DefaultTimeOut);
    if (why.empty())
        testReasons_.erase(productId);
    else
        testReasons_[productId] = why;
    const auto product = testRun_.Products.find(productId);
    if (product == testRun_.Products.end()) return;
    if (testRun_.Recorder)
        testRun_.Recorder->PadTest(
            RunHistory::Test(product->second.first, product->second.second, result, TDownload::DefaultTimeOut));
    testRun_.Products.erase(product);
    // The tests asked for together are one run, over when the last of them ends.
    if (testRun_.Products.empty() && testRun_.Recorder) {
        submission_.Recorded(*testRun_.Recorder, ::RunEnd::Finished);
        testRun_.Recorder.reset();
    }
}

void PadCommands::ValidatePad()
{
    const int row = w_.Products.FirstSelected();
    if (row < 0) {
        MessageBoxes::Show(QString::fromUtf8(ListCommands::SelectItemFirst));
        return;
    }
    if (submission_.Sendable({row}).empty()) return;
    validator_.Validate(row);
    ValidationEnded();
}

void PadCommands::ValidatePads()
{
    const std::vector<int> rows = submission_.Sendable(submission_.CheckedProducts());
    for (const int row : rows) validator_.Validate(row);
    if (!rows.empty()) ValidationEnded();
}

void PadCommands::CancelValidation()
{
    if (!validator_.Busy()) return;
    validator_.Cancel();
    ValidationEnded();
}

Phrase PadCommands::ValidationTip(int productRow) const
{
    if (productRow < 0 || productRow >= w_.Products.Count()) return {};
    std::vector<Phrase> tip;
    const std::uint64_t id = w_.Products.Row(productRow).Id;
    if (const auto why = testReasons_.find(id); why != testReasons_.end())
        tip.push_back(Phrase("Test PAD: %1", {ReasonWords::Read(why->second, false)}));
    const std::vector<PadProblem> problems = validator_.Problems(id);
    for (const PadProblem& p : problems) tip.push_back(PadValidation::LinePhrase(p));
    // A "No" from before this session (a "No" has problems): its problems are the history's.
    const Product product = ProductAt(w_.Products, productRow);
    if (problems.empty() && product.Validation == StatusWords::NotValid && submission_.History()) {
        try {
            const std::optional<ValidationRecord> last = submission_.History()->LatestValidation(product.PadLink);
            // Stored in English: shown as they were written.
            if (last && !last->Problems.empty()) tip.push_back(Phrase::Text(last->Problems));
        } catch (const std::exception&) {
            // A history that cannot be read now leaves the tip as it is.
        }
    }
    return Phrase::Lines(std::move(tip));
}

void PadCommands::ValidationEnded()
{
    if (validator_.Busy()) {
        if (w_.ShowStatus)
            w_.ShowStatus(Phrase("Validating PAD files: %1 of %2", {Phrase::Text(std::to_string(validator_.Finished())),
                                                                    Phrase::Text(std::to_string(validator_.Total()))}));
        return;
    }
    int valid = 0;
    for (const auto& r : validator_.Results())
        if (r.Problems.empty()) ++valid;
    const int invalid = static_cast<int>(validator_.Results().size()) - valid;
    const auto n = [](int count) { return Phrase::Text(std::to_string(count)); };
    std::vector<Phrase> status{validator_.Finished() < validator_.Total()
                                   ? Phrase("PAD files: Yes %1, No %2, cancelled %3",
                                            {n(valid), n(invalid), n(validator_.Total() - validator_.Finished())})
                                   : Phrase("PAD files: Yes %1, No %2", {n(valid), n(invalid)})};
    if (std::unique_ptr<RunRecorder> recorder = submission_.Recorder(RunKind::Validate, submission_.Run().Speed())) {
        // The batch's validations are one transaction.
        for (const PadValidator::Result& r : validator_.Results())
            recorder->Validation(RunHistory::Validation(r.Title, r.PadLink, r.Problems));
        submission_.Recorded(*recorder,
                             validator_.Finished() < validator_.Total() ? ::RunEnd::Cancelled : ::RunEnd::Finished);
    }
    const std::string path = PadValidator::ReportPath(w_.ProgramFolder, std::chrono::system_clock::now());
    try {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
        FileReplace::Write(path, PadValidator::ReportText(validator_.Results(), validator_.Rules().Notice));
        lastValidationReport_ = path;
        status.push_back(Phrase("Report: %1", {Phrase::Text(path)}));
    } catch (const std::exception& e) {
        lastValidationReport_.clear();
        status.push_back(Phrase("The report could not be written: %1", {Phrase::Text(e.what())}));
    }
    if (!validator_.Rules().Notice.empty()) status.push_back(validator_.Rules().NoticeSaid);
    if (w_.ShowStatus) w_.ShowStatus(Phrase::Join(std::move(status), ". "));
}
