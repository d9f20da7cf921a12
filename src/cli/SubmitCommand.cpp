#include "cli/SubmitCommand.h"

#include "cli/CliEnvironment.h"
#include "cli/CliHistory.h"
#include "cli/CliOptions.h"
#include "cli/CliRunView.h"
#include "cli/InterruptWatch.h"
#include "cli/ProductSelection.h"
#include "common/FileReplace.h"
#include "common/OwnerThreadQueue.h"
#include "common/StatusWords.h"
#include "history/HistoryStore.h"
#include "submit/OwnSites.h"
#include "submit/RetryPlan.h"
#include "submit/RetryRun.h"
#include "submit/RunRecorder.h"
#include "submit/RunReport.h"
#include "submit/SiteSets.h"
#include "submit/SiteTable.h"
#include "submit/SkipAccepted.h"
#include "submit/SubmissionRun.h"
#include "submit/TDownload.h"

#include <chrono>
#include <csignal>
#include <optional>
#include <set>

namespace {

using Clock = std::chrono::system_clock;

constexpr const char* Name = "quillpost-cli submit";

struct Options {
    std::string productsFile;
    std::vector<std::string> products;
    std::vector<std::string> sites;
    std::vector<std::string> siteSets;
    int speed = 1;
    int timeout = TDownload::DefaultTimeOut;
    std::string proxy;
    bool noProxy = false;
    std::string report;
    std::string retry;
    bool quiet = false;
    bool noHistory = false;
    bool skipAccepted = false;
};

int Fail(std::ostream& err, const std::string& why)
{
    err << Name << ": " << why << '\n';
    return CliCommand::UsageError;
}

void AddOptions(CLI::App& app, Options& opt)
{
    CliOptions::AddProductsFile(app, opt.productsFile);
    CliOptions::AddTitles(app, "--product", opt.products, "Send only the products of this exact title (repeatable)");
    CliOptions::AddTitles(app, "--site", opt.sites,
                          "Send only to the site of this exact title, built-in or your own (repeatable)");
    CliOptions::AddTitles(app, "--site-set", opt.siteSets,
                          "Send only to the sites of this site set (repeatable, with --site too; quillpost-cli "
                          "site-sets lists them)");
    app.add_option("--speed", opt.speed, "How many requests go out at once, 1 to 10")
        ->type_name("N")
        ->check(CLI::Range(1, SubmissionRun::MaxSpeed).description(""))
        ->capture_default_str();
    CliOptions::AddTimeout(app, opt.timeout, "Time-out of each wait of a request, in milliseconds (0: none)");
    CliOptions::AddProxy(app, opt.proxy, opt.noProxy,
                         "Send every request through this HTTP proxy (default: the proxy of the settings, else "
                         "http_proxy and https_proxy)");
    app.add_option("--report", opt.report,
                   "Write the run's report to this file (default: reports/run-YYYYMMDD-HHMMSS.csv, UTC, in the "
                   "program folder)")
        ->type_name("FILE");
    app.add_option("--retry-failed", opt.retry, "Resend only the pairs of this earlier report whose outcome was not Ok")
        ->type_name("REPORT");
    app.add_flag("--quiet", opt.quiet, "Print nothing but errors and warnings");
    CliHistory::AddNoHistory(app, opt.noHistory);
    app.add_flag("--skip-accepted", opt.skipAccepted,
                 "Leave out each pair whose site took the same PAD link last time (its latest outcome there was Ok)");
    app.footer("Prints one line per outcome on stdout (outcome, product, site, HTTP status and/or error, "
               "tab-separated), then \"Finished. Success: N Failed: M\"; progress goes to stderr.\n"
               "Exit codes: 0 every pair Ok; 1 the run ended and some pair was not Ok (or its report could not be "
               "written); 2 usage or input error, nothing sent; 130 interrupted by Ctrl+C, 143 by SIGTERM, 129 by "
               "SIGHUP (the report holds what ended, the rest as Cancelled).");
}

// Serves the run on the command's thread: a Ctrl+C that came before a batch, and the
// workers' calls until the run is over; a pair that never got an outcome gets its line.
class Serving : public RetryRun::Host {
public:
    Serving(OwnerThreadQueue& queue, CliRunView& view) : queue_(queue), view_(view) {}

    void BatchStarting(const RetryBatch&) override { queue_.ProcessPending(); }
    void WaitForRun(SubmissionRun& run) override
    {
        // Each second at least the bar's time moves on.
        while (run.Running()) {
            queue_.ServeUntil([&run] { return !run.Running(); }, std::chrono::seconds(1));
            view_.Tick();
        }
    }
    void PairCancelled(const std::string& product, const std::string& site) override
    {
        view_.Line(StatusWords::Cancelled, product, site, "");
    }

private:
    OwnerThreadQueue& queue_;
    CliRunView& view_;
};

// Adds the sites of the sets named by --site-set to those of --site. A site a set names that
// no longer exists is a warning; a set that is unknown, or that names no site left, stops
// the command (an empty choice would mean every site). Returns the exit code then.
std::optional<int> AddSiteSets(Options& opt, const SiteTable& sites, const CliEnvironment& env, std::ostream& err)
{
    if (opt.siteSets.empty()) return std::nullopt;
    SiteSets::File file;
    try {
        file = SiteSets::Load(env.SiteSetsPath());
    } catch (const FileError& e) {
        return Fail(err, e.what());
    }
    for (const std::string& name : opt.siteSets) {
        const SiteSets::Set* set = SiteSets::Find(file, name);
        if (!set) return Fail(err, "no site set named \"" + name + "\" (quillpost-cli site-sets lists them)");
        const SiteSets::Rows rows = SiteSets::Resolve(*set, sites);
        if (!rows.Missing.empty())
            err << Name << ": warning: " << CliOptions::OneLine(SiteSets::MissingMessage(name, rows.Missing).English())
                << '\n';
        if (rows.Found.empty())
            return Fail(err, "the site set \"" + name + "\" names no site that exists; nothing sent");
        for (int row : rows.Found) opt.sites.push_back(sites.At(row).Title);
    }
    return std::nullopt;
}

// What the command is to send, as batches of rows of `selection`'s list: the picked
// products to the picked sites, or the pairs of a report to resend. Returns the exit code
// when nothing is to be sent.
std::optional<int> PlanBatches(const Options& opt, const SiteTable& sites, ProductSelection& selection,
                               std::vector<RetryBatch>& batches, std::ostream& out, std::ostream& err)
{
    const auto fail = [&err](const std::string& why) { return Fail(err, why); };
    std::string error;
    if (!selection.Load(opt.productsFile, error)) return fail(error);

    if (opt.retry.empty()) {
        std::string productError;
        const bool productsFound = selection.Pick(opt.products, productError);
        const std::set<std::string> wanted(opt.sites.begin(), opt.sites.end());
        std::vector<int> siteRows;
        std::set<std::string> found;
        for (int row = 0; row < sites.Count(); ++row) {
            if (!wanted.empty() && !wanted.count(sites.At(row).Title)) continue;
            if (!wanted.empty() && !found.insert(sites.At(row).Title).second) continue; // a title once
            siteRows.push_back(row);
        }
        bool sitesFound = true;
        for (const std::string& title : wanted) {
            if (found.count(title)) continue;
            fail("no site titled \"" + title + "\" (quillpost-cli sites lists them)");
            sitesFound = false;
        }
        if (!productsFound) fail(productError + " in " + opt.productsFile);
        if (!productsFound || !sitesFound) return CliCommand::UsageError;
        if (!selection.Warning().empty()) err << Name << ": warning: " << selection.Warning() << '\n';
        if (selection.Rows().empty()) return fail("no products in " + opt.productsFile);
        if (siteRows.empty()) return fail("no sites to send to");
        batches.push_back(RetryBatch{selection.Rows(), std::move(siteRows)});
    } else {
        std::vector<ReportPair> notOk;
        try {
            notOk = RunReport::NotOk(RunReport::Read(opt.retry));
        } catch (const FileError& e) {
            return fail(e.what());
        }
        if (notOk.empty()) {
            if (!opt.quiet) out << "Nothing to resend: every pair of " << opt.retry << " was Ok.\n" << std::flush;
            return SubmitCommand::AllOk;
        }
        RetryPlan plan = RetryPlan::Make(notOk, selection.List(), sites);
        for (const Phrase& warning : plan.Warnings)
            err << Name << ": warning: " << CliOptions::OneLine(warning.English()) << '\n';
        if (plan.Batches.empty()) {
            err << Name << ": nothing to resend: the products and sites of the failed pairs are gone\n";
            return SubmitCommand::NotAllOk;
        }
        batches = std::move(plan.Batches);
    }
    return std::nullopt;
}

} // namespace

const char* SubmitCommand::Usage()
{
    return "usage: quillpost-cli submit [--products FILE] [--product TITLE]... [--site TITLE]... [--speed N]\n"
           "                            [--timeout MS] [--proxy HOST:PORT] [--report FILE] [--retry-failed REPORT]\n"
           "                            [--quiet] [--no-history] [--skip-accepted]\n";
}

int SubmitCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return Run(args, out, err, CliEnvironment::Real());
}

int SubmitCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       const CliEnvironment& env)
{
    Options opt;
    opt.productsFile = env.Products();
    CLI::App app{"Sends the PAD link of each product to each download site, one HTTP request each, as Submit All "
                 "does, and writes a report of the run.",
                 Name};
    AddOptions(app, opt);
    if (const auto code = CliOptions::Parse(app, args, out, err)) return *code;

    // The built-in sites, then the author's own, as the program shows them.
    OwnSites own;
    env.LoadOwnSites(own, err, Name);
    const SiteTable sites = own.Combined();
    const std::string authorEmail = env.AuthorEmail();

    const auto fail = [&err](const std::string& why) { return Fail(err, why); };
    if (!opt.retry.empty() && (!opt.products.empty() || !opt.sites.empty() || !opt.siteSets.empty()))
        return fail("--retry-failed takes its products and sites from the report: leave out --product, --site "
                    "and --site-set");
    if (const auto code = AddSiteSets(opt, sites, env, err)) return *code;
    const auto proxy = std::make_shared<const ProxyRoute>(env.Proxy(opt.proxy, opt.noProxy, err, Name));
    const bool allowHttps = env.AllowHttps();

    ProductSelection selection;
    std::vector<RetryBatch> batches;
    if (const auto code = PlanBatches(opt, sites, selection, batches, out, err)) return *code;

    std::unique_ptr<HistoryStore> history;
    if (!opt.noHistory || opt.skipAccepted) history = CliHistory::Open(env, err, Name);
    int skipped = 0;
    if (opt.skipAccepted) {
        if (!history) return fail("--skip-accepted needs the history, which cannot be read");
        SkipAccepted kept;
        try {
            kept = SkipAccepted::Filter(batches, selection.List(), sites,
                                        [&history](const std::string& link) { return history->SitesThatTook(link); });
        } catch (const std::runtime_error& e) {
            return fail(e.what());
        }
        skipped = kept.Skipped;
        batches = std::move(kept.Batches);
        if (skipped > 0 && !opt.quiet)
            err << "Skipped: " << skipped << " pair(s) whose site took the PAD link already\n";
        if (batches.empty()) {
            if (!opt.quiet)
                out << "Nothing to send: every site took its PAD link already. Skipped: " << skipped << '\n';
            out << std::flush;
            return AllOk;
        }
    }

    const std::string reportPath =
        opt.report.empty() ? RunReport::DefaultPath(env.ProgramFolder, Clock::now()) : opt.report;
    try {
        RunReport::Prepare(reportPath);
    } catch (const FileError& e) {
        return fail(e.what());
    }

    int total = 0;
    for (const RetryBatch& batch : batches) total += static_cast<int>(batch.ProductRows.size() * batch.SiteRows.size());

    // From here on requests go out. Ctrl+C reaches this thread through the queue.
    OwnerThreadQueue queue;
    RetryRun* current = nullptr;
    bool interrupted = false;
    int interruption = 0; // the first signal that came: the exit code says which
    std::optional<InterruptWatch> watch;
    if (env.WatchInterrupt)
        watch.emplace(queue, [&current, &interrupted, &interruption](int signal) {
            if (!interrupted) interruption = signal;
            interrupted = true;
            if (current) current->Cancel();
        });

    CliRunView view(out, err, opt.quiet, env.ProgressOnTerminal, total);
    const auto factory = [&](TDownloadOwner& owner) {
        auto worker = std::make_unique<TDownload>(owner, queue);
        worker->TimeOut = opt.timeout;
        worker->Route = proxy;
        worker->AllowHttps = allowHttps;
        return worker;
    };
    SubmissionRun run(sites, factory, queue, view);
    run.SetSpeed(opt.speed);
    std::optional<RunRecorder> recorder;
    if (!opt.noHistory && history) {
        recorder.emplace(history.get(), opt.retry.empty() ? RunKind::Submit : RunKind::Retry, run.Speed());
        run.SetRecorder(&*recorder);
    }
    run.SetAuthorEmail(authorEmail);
    view.Follow(run.Products(), sites);
    Serving serving(queue, view);
    RetryRun retry(selection.List(), sites, run, serving);
    retry.SetSkipped(skipped);
    current = &retry;
    retry.Send(batches);
    current = nullptr;
    view.EndProgress();
    if (recorder) {
        recorder->End(retry.Cancelled() ? RunEnd::Cancelled : RunEnd::Finished);
        CliHistory::Tell(recorder->Failure(), err, Name);
    }

    const RunTally& tally = retry.Tally();
    if (!opt.quiet) out << tally.SummaryLine() << '\n';
    out << std::flush;

    std::string records = retry.Records();
    bool written = true;
    try {
        RunReport::Write(reportPath, std::move(records));
        if (!opt.quiet) err << "Report: " << reportPath << '\n';
    } catch (const FileError& e) {
        err << Name << ": " << e.what() << '\n';
        written = false;
    }
    watch.reset(); // a Ctrl+C that came at the very end still counts
    if (interrupted) return interruption == SIGTERM ? Terminated : interruption == SIGHUP ? HungUp : Interrupted;
    return written && tally.Failed == 0 && tally.Cancelled == 0 ? AllOk : NotAllOk;
}
