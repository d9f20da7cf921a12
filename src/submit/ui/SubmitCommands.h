#pragma once

#include "submit/PadTest.h"
#include "submit/RunView.h"
#include "submit/SubmissionRun.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class GuiOwnerThread;
class ListRows;
class QObject;
class TFormProgress;
struct PreparedSubmission;

// Submit All, Submit, Test PAD and Test PADs as the main window runs them: the Qt-free run
// and PAD test, shown through the progress window, the Auto Submit rows and message boxes.
// Workers report through the GUI thread's event loop. Lives on the GUI thread; its
// destruction stops and joins every worker it started.
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
    };
    using WorkerFactory = std::function<std::unique_ptr<TDownload>(TDownloadOwner&, Synchronize&)>;

    SubmitCommands(Wiring wiring, QObject* parent);
    ~SubmitCommands() override;

    // Makes the workers (tests lower their time-out); the default makes plain TDownloads.
    void SetWorkerFactory(WorkerFactory factory) { factory_ = std::move(factory); }

    void SubmitAll();
    void Submit();
    void TestPad();
    void TestPads();
    void SetSpeed(int speed) { run_.SetSpeed(speed); }
    // Breaks off every run and test and waits for their workers, for at most `timeout`.
    bool StopAll(std::chrono::milliseconds timeout);

    SubmissionRun& Run() { return run_; }
    PadTest& Tests() { return tests_; }

    void SiteStatus(int siteRow, const std::string& word) override;
    void ProductLabel(const std::string& text) override;
    void SiteLabel(const std::string& text) override;
    void BarMaxima(int current, int total) override;
    void CurrentBar(int position) override;
    void TotalBar(int position) override;
    void RunOver() override;
    void Message(const std::string& text) override;

private:
    std::unique_ptr<TDownload> MakeWorker(TDownloadOwner& owner);

    Wiring w_;
    GuiOwnerThread* owner_;
    WorkerFactory factory_;
    SubmissionRun run_;
    PadTest tests_;
    bool runOver_ = false;
};
