#include "submit/ui/SubmitCommands.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"
#include "catalogue/Product.h"
#include "common/PreparedSubmission.h"
#include "common/ui/GuiOwnerThread.h"
#include "common/ui/LocalText.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ShellOpen.h"
#include "common/ui/ShownText.h"
#include "history/HistoryStore.h"
#include "submit/RetryPlan.h"
#include "submit/RetryPlanSource.h"
#include "submit/RetryRun.h"
#include "submit/RunHistory.h"
#include "submit/RunRecorder.h"
#include "submit/RunReport.h"
#include "submit/RunTally.h"
#include "submit/SendableProducts.h"
#include "submit/SingleSubmit.h"
#include "submit/SkipAccepted.h"
#include "submit/WorkReason.h"
#include "submit/ui/TFormProgress.h"

#include <QLabel>
#include <QProgressBar>

#include <filesystem>
#include <system_error>

namespace {

std::chrono::system_clock::time_point Now()
{
    return std::chrono::system_clock::now();
}

// A retry's batches in the window: each runs with the progress window shown until it ends.
// The batches are the retry's own selection: the check marks of the lists stay as they are.
class RetryInWindow : public RetryRun::Host {
public:
    explicit RetryInWindow(std::function<void()> wait) : wait_(std::move(wait)) {}
    void WaitForRun(SubmissionRun&) override { wait_(); }

private:
    std::function<void()> wait_;
};

} // namespace

SubmitCommands::SubmitCommands(Wiring wiring, QObject* parent)
    : w_(std::move(wiring)),
      owner_(new GuiOwnerThread(parent)),
      run_(
          w_.Table, [this](TDownloadOwner& o) { return MakeWorker(o, true); }, owner_->Sync(), *this)
{
    run_.SetPrepared(&w_.Prepared);
    // Cancel, the close box and Escape all end the run.
    QObject::connect(w_.Progress, &TFormProgress::CancelRun, owner_, [this] { run_.Cancel(); });
}

SubmitCommands::~SubmitCommands()
{
    StopAll(std::chrono::seconds(1));
    // The progress window may outlive these commands: its line no longer asks them.
    w_.Progress->ShowCounts(nullptr);
}

std::unique_ptr<TDownload> SubmitCommands::MakeWorker(TDownloadOwner& owner, bool runWorker)
{
    std::unique_ptr<TDownload> worker =
        factory_ ? factory_(owner, owner_->Sync()) : std::make_unique<TDownload>(owner, owner_->Sync());
    // A PAD test checks the PAD server itself, so it never goes through the proxy.
    if (runWorker && worker) worker->AllowHttps = allowHttps_;
    if (runWorker && worker && proxy_.Used()) {
        worker->Proxy = proxy_.Host;
        worker->ProxyPort = proxy_.Port;
    }
    return worker;
}

Synchronize& SubmitCommands::Sync()
{
    return owner_->Sync();
}

bool SubmitCommands::StopAll(std::chrono::milliseconds timeout)
{
    return run_.StopAll(timeout);
}

std::vector<int> SubmitCommands::CheckedProducts() const
{
    std::vector<int> checked;
    for (int row = 0; row < w_.Products.Count(); ++row)
        if (w_.Products.Row(row).Checked) checked.push_back(row);
    return checked;
}

std::vector<int> SubmitCommands::Sendable(const std::vector<int>& rows) const
{
    SendableProducts sendable = SendableProducts::Of(w_.Products, rows);
    if (!sendable.Warning.empty()) MessageBoxes::Show(LocalText::ToQ(sendable.Warning));
    return std::move(sendable.Rows);
}

SubmitCommands::RunState SubmitCommands::RunChecked()
{
    std::vector<RunProduct> products;
    for (const int row : Sendable(CheckedProducts())) products.push_back(SendableProducts::Product(w_.Products, row));
    std::vector<bool> sites;
    for (int row = 0; row < w_.Sites.Count(); ++row) sites.push_back(w_.Sites.Row(row).Checked);

    if (!run_.SubmitAll(std::move(products), sites)) return RunState::NotStarted;
    StartReport(RunReport::Records(run_.Products(), run_.Pairs(), w_.Table, Now(), RunReport::NotSent));
    WaitForRun();
    return runOver_ ? RunState::Over : RunState::Cancelled;
}

void SubmitCommands::WaitForRun()
{
    runOver_ = false;
    // The last run's counts no longer describe the rows.
    if (w_.ShowStatus) w_.ShowStatus("");
    w_.Progress->ShowModal();
    if (runOver_) return;
    // Cancelled: the rows still under way keep their Status, and their tip says so.
    for (const RunPair& pair : run_.Pairs()) {
        if (!pair.Started || !pair.Outcome.empty() || pair.SiteRow < 0) continue;
        if (pair.SiteRow >= static_cast<int>(siteTips_.size())) siteTips_.resize(static_cast<size_t>(pair.SiteRow) + 1);
        siteTips_[static_cast<size_t>(pair.SiteRow)] =
            WorkReason::Tip(run_.Products()[static_cast<size_t>(pair.Product)].Title, "", 0, "");
    }
}

void SubmitCommands::SubmitAll()
{
    // The report is named after the run's start, as the command line names its reports.
    const auto started = Now();
    if (skipAccepted_ && history_) {
        std::vector<int> checked;
        for (int row = 0; row < w_.Products.Count(); ++row)
            if (w_.Products.Row(row).Checked) checked.push_back(row);
        const SendableProducts sendable = SendableProducts::Of(w_.Products, checked);
        RetryBatch batch{sendable.Rows, {}};
        for (int row = 0; row < w_.Sites.Count() && row < w_.Table.Count(); ++row)
            if (w_.Sites.Row(row).Checked) batch.SiteRows.push_back(row);
        // With nothing to send, the run says so as ever.
        if (!batch.ProductRows.empty() && !batch.SiteRows.empty()) {
            if (!sendable.Warning.empty()) MessageBoxes::Show(LocalText::ToQ(sendable.Warning));
            SendSkipping({batch}, RunKind::Submit);
            return;
        }
    }
    std::unique_ptr<RunRecorder> recorder = Recorder(RunKind::Submit, run_.Speed());
    run_.SetRecorder(recorder.get());
    const RunState end = RunChecked();
    run_.SetRecorder(nullptr);
    if (end == RunState::NotStarted) return;
    RunTally tally;
    tally.Add(run_.Pairs());
    if (recorder) {
        // The pairs a Cancel kept from their outcome.
        const auto now = Now();
        for (const RunPair& pair : run_.Pairs())
            if (pair.Outcome.empty())
                recorder->Outcome(RunHistory::Outcome(run_.Products()[static_cast<size_t>(pair.Product)],
                                                      w_.Table.At(pair.SiteRow), pair, now));
        Recorded(*recorder, end == RunState::Cancelled ? ::RunEnd::Cancelled : ::RunEnd::Finished);
    }
    WriteReport(RunReport::Records(run_.Products(), run_.Pairs(), w_.Table, Now()), started);
    if (end == RunState::Cancelled) {
        if (w_.ShowStatus) w_.ShowStatus(tally.SummaryLine());
        return;
    }
    ShowSummary(tally);
}

std::string SubmitCommands::NotSentText(int notSent, int total)
{
    return "The last run was stopped before " + std::to_string(notSent) + " of its " + std::to_string(total) +
           " pairs were sent: they are sent now with the pairs that were not Ok.";
}

void SubmitCommands::RetryFailed()
{
    RetryPlanSource last;
    try {
        last = RetryPlanSource::Find(lastReport_, history_, w_.ProgramFolder);
    } catch (const std::exception& e) {
        MessageBoxes::Show(LocalText::ToQ(e.what()));
        return;
    }
    if (!last.Found) {
        MessageBoxes::Show(QString::fromUtf8(NoRunText));
        return;
    }
    if (last.Pairs.empty()) {
        MessageBoxes::Show(QString::fromUtf8(AllOkText));
        return;
    }
    if (last.NotSent > 0) MessageBoxes::Show(LocalText::ToQ(NotSentText(last.NotSent, last.Total)));
    RetryPairs(last.Pairs);
}

void SubmitCommands::RetryPairs(const std::vector<ReportPair>& pairs)
{
    const RetryPlan plan = RetryPlan::Make(pairs, w_.Products, w_.Table);
    if (!plan.Warnings.empty()) {
        std::string text;
        for (const std::string& warning : plan.Warnings) text += (text.empty() ? "" : "\r\n") + warning;
        MessageBoxes::Show(LocalText::ToQ(text));
    }
    if (plan.Batches.empty()) return;
    // The retry sends its own pairs; what the user checked stays for the next Submit All.
    SendSkipping(plan.Batches, RunKind::Retry);
}

void SubmitCommands::SendSkipping(const std::vector<RetryBatch>& planned, RunKind kind)
{
    const auto started = Now();
    std::vector<RetryBatch> batches = planned;
    int skipped = 0;
    if (skipAccepted_ && history_) {
        try {
            ::SkipAccepted kept =
                ::SkipAccepted::Filter(planned, w_.Products, w_.Table,
                                       [this](const std::string& link) { return history_->SitesThatTook(link); });
            batches = std::move(kept.Batches);
            skipped = kept.Skipped;
        } catch (const std::exception& e) {
            MessageBoxes::Show(LocalText::ToQ(e.what()));
            return;
        }
        if (batches.empty()) {
            MessageBoxes::Show(LocalText::ToQ(AllTakenText + std::to_string(skipped)));
            return;
        }
    }
    RetryInWindow host([this] { WaitForRun(); });
    std::unique_ptr<RunRecorder> recorder = Recorder(kind, run_.Speed());
    run_.SetRecorder(recorder.get());
    RetryRun retry(w_.Products, w_.Table, run_, host);
    retry.SetSkipped(skipped);
    StartReport(retry.Planned(batches, Now()));
    retry.Send(batches);
    run_.SetRecorder(nullptr);
    if (recorder) Recorded(*recorder, retry.Cancelled() ? ::RunEnd::Cancelled : ::RunEnd::Finished);
    WriteReport(retry.Records(), started);
    if (retry.Cancelled()) {
        if (w_.ShowStatus) w_.ShowStatus(retry.Tally().SummaryLine());
        return;
    }
    ShowSummary(retry.Tally());
}

std::unique_ptr<RunRecorder> SubmitCommands::Recorder(RunKind kind, int speed)
{
    if (!history_) return nullptr;
    return std::make_unique<RunRecorder>(history_, kind, speed);
}

void SubmitCommands::Recorded(RunRecorder& recorder, ::RunEnd end)
{
    recorder.End(end);
    // Said once a session: the runs themselves go on as ever.
    if (recorder.Failure().empty() || historyFailureTold_) return;
    historyFailureTold_ = true;
    MessageBoxes::Show(LocalText::ToQ(recorder.Failure()));
}

std::string SubmitCommands::SiteTip(int siteRow) const
{
    if (siteRow < 0 || siteRow >= static_cast<int>(siteTips_.size())) return {};
    return siteTips_[static_cast<size_t>(siteRow)];
}

void SubmitCommands::PairEnded(const RunPair& pair)
{
    progress_.Add(pair.Outcome);
    w_.Progress->RefreshCounts();
    if (pair.SiteRow < 0) return;
    if (pair.SiteRow >= static_cast<int>(siteTips_.size())) siteTips_.resize(static_cast<size_t>(pair.SiteRow) + 1);
    siteTips_[static_cast<size_t>(pair.SiteRow)] =
        WorkReason::Tip(run_.Products()[static_cast<size_t>(pair.Product)].Title, pair.Outcome, pair.HttpStatus,
                        pair.Why);
}

void SubmitCommands::StartReport(const std::string& records)
{
    reportPath_ = RunReport::DefaultPath(w_.ProgramFolder, Now());
    try {
        RunReport::Write(reportPath_, records);
    } catch (const std::exception&) {
        // Told when the run ends, whose report goes the same way.
    }
}

void SubmitCommands::WriteReport(const std::string& records, std::chrono::system_clock::time_point started)
{
    const std::string path = reportPath_.empty() ? RunReport::DefaultPath(w_.ProgramFolder, started) : reportPath_;
    reportPath_.clear();
    try {
        RunReport::Write(path, records);
        lastReport_ = path;
    } catch (const std::exception& e) {
        // The run's result stands; only its report is missing. A retry must not take an
        // older run's report for this one's, nor the one written at its start for a killed run.
        lastReport_.clear();
        std::error_code gone;
        std::filesystem::remove(path, gone);
        MessageBoxes::Show(QString::fromUtf8(ReportNotWrittenText) + QStringLiteral("\r") + LocalText::ToQ(e.what()));
    }
}

void SubmitCommands::ShowSummary(const RunTally& tally)
{
    if (w_.ShowStatus) w_.ShowStatus(tally.SummaryLine());
    MessageBoxes::Show(LocalText::ToQ(tally.Summary()));
}

void SubmitCommands::OpenReportsFolder()
{
    std::string folder = w_.ProgramFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    folder += RunReport::Folder;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        MessageBoxes::Show(LocalText::ToQ("Cannot create " + folder + ": " + error.message()));
        return;
    }
    if (!ShellOpen::File(LocalText::ToQ(folder)))
        MessageBoxes::Show(LocalText::ToQ(NoFolderProgramText + folder + " (Submit > History... shows every run)."));
}

void SubmitCommands::Submit()
{
    const SingleSubmit::Request r =
        SingleSubmit::Prepare(w_.Products, w_.Sites.FirstSelected(), w_.Table, authorEmail_);
    if (!r.Message.empty()) {
        MessageBoxes::Show(LocalText::ToQ(r.Message));
        return;
    }
    w_.Sites.SetText(r.SiteRow, SiteColumn::Status, "");
    w_.Prepared = r.Prepared;
    if (w_.NavigatePost) w_.NavigatePost(r.Address, r.PostData);
}

void SubmitCommands::SiteStatus(int siteRow, const std::string& word)
{
    if (siteRow >= 0 && siteRow < w_.Sites.Count()) w_.Sites.SetText(siteRow, SiteColumn::Status, word);
}

void SubmitCommands::ProductLabel(const std::string& text)
{
    w_.Progress->LabelProductTitle()->setText(LocalText::ToQ(text));
}

void SubmitCommands::SiteLabel(const std::string& text)
{
    w_.Progress->LabelSiteTitle()->setText(LocalText::ToQ(text));
}

void SubmitCommands::BarMaxima(int current, int total)
{
    w_.Progress->ProgressBarCurrent()->setMaximum(current);
    w_.Progress->ProgressBarTotal()->setMaximum(total);
    // A run starts: its counts and its time start from nothing.
    progress_ = {};
    progressStart_ = std::chrono::steady_clock::now();
    progressTotal_ = total;
    w_.Progress->ShowCounts([this] {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - progressStart_);
        return ShownText::Message(progress_.Line(elapsed, progressTotal_));
    });
}

void SubmitCommands::CurrentBar(int position)
{
    w_.Progress->ProgressBarCurrent()->setValue(position);
}

void SubmitCommands::TotalBar(int position)
{
    w_.Progress->ProgressBarTotal()->setValue(position);
}

void SubmitCommands::RunOver()
{
    runOver_ = true;
    w_.Progress->accept();
}

void SubmitCommands::Message(const std::string& text)
{
    MessageBoxes::Show(LocalText::ToQ(text));
}
