#pragma once

#include "common/ProxySetting.h"
#include "history/HistoryRecords.h"
#include "submit/RetryPlan.h"
#include "submit/RunProgress.h"
#include "submit/RunView.h"
#include "submit/SubmissionRun.h"
#include "submit/TDownload.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class GuiOwnerThread;
class HistoryStore;
class ListRows;
class RunRecorder;
class QObject;
class TFormProgress;
struct PreparedSubmission;
struct RunTally;

// Submit All, Retry Failed and Submit as the main window runs them: the Qt-free run, shown
// through the progress window, the Auto Submit rows and message boxes. Every Submit All and
// every Retry Failed writes one run report into the reports/ beside data/ when it ends or is
// cancelled, and records the run in the history (when the window could open one). Run workers
// go through the proxy setting; the PAD commands make theirs here too. Workers report through
// the GUI thread's event loop. Lives on the GUI thread; its destruction stops and joins every
// worker it started.
class SubmitCommands : public RunView {
public:
    struct Wiring {
        ListRows& Products;
        ListRows& Sites; // the Auto Submit list, row i for row i of Table
        const SiteTable& Table;
        TFormProgress* Progress;
        PreparedSubmission& Prepared;
        // Shows the Manual Submit page and loads `address` with `postData` as a POST body.
        std::function<void(const std::string& address, const std::string& postData)> NavigatePost;
        // The status bar's text for the end of a run.
        std::function<void(const std::string&)> ShowStatus;
        // The folder holding data/ (the program folder, or the user's own for a system
        // install); reports go to its reports/.
        std::string ProgramFolder;
    };
    using WorkerFactory = std::function<std::unique_ptr<TDownload>(TDownloadOwner&, Synchronize&)>;

    static constexpr const char* NoRunText = "No run to retry yet.";
    static constexpr const char* AllOkText = "Every pair of the last run was Ok.";
    // Before a retry of a run that was killed: how many of its pairs it never sent.
    static std::string NotSentText(int notSent, int total);
    // Open Reports Folder where the desktop has no program that opens folders.
    static constexpr const char* NoFolderProgramText =
        "No program on this desktop opens folders. The run reports are in ";
    static constexpr const char* ReportNotWrittenText = "The run report could not be written:";
    static constexpr const char* AllTakenText = "Every site took its PAD link already. Skipped: ";

    SubmitCommands(Wiring wiring, QObject* parent);
    ~SubmitCommands() override;

    // Makes the workers (tests lower their time-out); the default makes plain TDownloads.
    void SetWorkerFactory(WorkerFactory factory) { factory_ = std::move(factory); }

    // Where runs are recorded from now on; none: they are not. The window owns it.
    void SetHistory(HistoryStore* history) { history_ = history; }
    HistoryStore* History() const { return history_; }
    // Submit All and Retry Failed leave out the pairs whose site took the PAD link already.
    void SetSkipAccepted(bool on) { skipAccepted_ = on; }
    bool SkipAccepted() const { return skipAccepted_; }
    // A site row's tip: the last product sent to it, its outcome, HTTP status and why.
    std::string SiteTip(int siteRow) const;

    void SubmitAll();
    // Sends again the pairs of the last run that were not "Ok" (RetryPlanSource: the last
    // report this session wrote, or else the latest submit run, a killed one's pairs that it
    // never sent among them, which a message counts first): each batch of the retry plan runs
    // as Submit All does, with exactly its products and sites, and leaves the check marks of
    // the lists as the user set them. A Cancel stops the whole retry. The batches make one
    // report, and the summary counts them together.
    void RetryFailed();
    // Sends these pairs again as Retry Failed does (the History window's Retry Selected).
    void RetryPairs(const std::vector<ReportPair>& pairs);
    // Opens reports/, creating it when missing.
    void OpenReportsFolder();
    // The report of the last Submit All or Retry Failed; empty before the first.
    const std::string& LastReport() const { return lastReport_; }
    // Run workers send through `proxy` from the next run on (none: directly).
    void SetProxy(const ProxySetting& proxy) { proxy_ = proxy; }
    const ProxySetting& Proxy() const { return proxy_; }
    // Whether Submit All and Retry Failed may send to https sites (off: they fail as the
    // client refuses them).
    void SetAllowHttps(bool on) { allowHttps_ = on; }
    bool AllowHttps() const { return allowHttps_; }
    // The address that runs and Submit send to the author's own sites naming an e-mail field.
    void SetAuthorEmail(const std::string& address)
    {
        authorEmail_ = address;
        run_.SetAuthorEmail(address);
    }
    const std::string& AuthorEmail() const { return authorEmail_; }
    void Submit();
    // The workers a run starts at once; `follow` (the PAD commands' validation) is told too.
    void SetSpeed(int speed)
    {
        run_.SetSpeed(speed);
        if (followSpeed_) followSpeed_(speed);
    }
    void FollowSpeed(std::function<void(int)> follow) { followSpeed_ = std::move(follow); }
    // Breaks off the run and waits for its workers, for at most `timeout`.
    bool StopAll(std::chrono::milliseconds timeout);

    SubmissionRun& Run() { return run_; }
    const Wiring& Wires() const { return w_; }
    // The GUI thread as the workers' owner, for every worker made here.
    Synchronize& Sync();

    // Shared with the PAD commands. A worker for `owner`: a run's (`runWorker`) goes through
    // the proxy setting and may send to https sites when allowed; a PAD test's connects directly.
    std::unique_ptr<TDownload> MakeWorker(TDownloadOwner& owner, bool runWorker);
    // A recorder of a run of `kind` into the history; none without a history.
    std::unique_ptr<RunRecorder> Recorder(RunKind kind, int speed);
    // Ends a recorded run; a history that failed is told of once a session.
    void Recorded(RunRecorder& recorder, ::RunEnd end);
    std::vector<int> CheckedProducts() const;
    // Of `rows`, those with a PAD link; the others are told of in one message.
    std::vector<int> Sendable(const std::vector<int>& rows) const;

    void SiteStatus(int siteRow, const std::string& word) override;
    void ProductLabel(const std::string& text) override;
    void SiteLabel(const std::string& text) override;
    void BarMaxima(int current, int total) override;
    void CurrentBar(int position) override;
    void TotalBar(int position) override;
    void RunOver() override;
    void Message(const std::string& text) override;
    void PairEnded(const RunPair& pair) override;

private:
    enum class RunState { NotStarted, Over, Cancelled };

    // Runs the checked products (those with a PAD link; a warning names how many are not)
    // and sites with the progress window shown until the run ends.
    RunState RunChecked();
    // Shows the progress window until the run that has just started ends.
    void WaitForRun();
    // A run's report when it starts, its pairs without an outcome, named after that moment;
    // the end of the run writes over it.
    void StartReport(const std::string& records);
    // Writes the report of a run at the path its start took (or else named after `started`).
    void WriteReport(const std::string& records, std::chrono::system_clock::time_point started);
    void ShowSummary(const RunTally& tally);
    // Sends `planned` through a retry run recorded as `kind`, leaving out the pairs whose
    // site took the PAD link when so set. The lists' check marks are left as they are.
    void SendSkipping(const std::vector<RetryBatch>& planned, RunKind kind);

    Wiring w_;
    GuiOwnerThread* owner_;
    WorkerFactory factory_;
    SubmissionRun run_;
    std::function<void(int)> followSpeed_;
    bool runOver_ = false;
    ProxySetting proxy_;
    bool allowHttps_ = false;
    std::string lastReport_;
    std::string reportPath_; // the report of the run under way; empty between runs
    std::string authorEmail_;
    HistoryStore* history_ = nullptr;
    bool historyFailureTold_ = false;
    bool skipAccepted_ = false;
    // The progress window's counts and times of the run under way.
    RunProgress progress_;
    std::chrono::steady_clock::time_point progressStart_{};
    int progressTotal_ = 0;
    std::vector<std::string> siteTips_; // by site row
};
