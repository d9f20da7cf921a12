#include "cli/TestPadsCommand.h"

#include "catalogue/Product.h"
#include "cli/CliEnvironment.h"
#include "cli/CliHistory.h"
#include "cli/CliOptions.h"
#include "cli/CliProgress.h"
#include "cli/ProductSelection.h"
#include "common/OwnerThreadQueue.h"
#include "common/StatusWords.h"
#include "history/HistoryStore.h"
#include "submit/PadTest.h"
#include "submit/RunHistory.h"
#include "submit/RunRecorder.h"
#include "submit/TDownload.h"

#include <chrono>
#include <climits>
#include <map>

namespace {

constexpr const char* Name = "quillpost-cli test-pads";

} // namespace

const char* TestPadsCommand::Usage()
{
    return "usage: quillpost-cli test-pads [--products FILE] [--product TITLE]... [--timeout MS] [--quiet]\n"
           "                               [--no-history]\n";
}

std::string TestPadsCommand::Reason(Outcome outcome, NetError kind, const std::string& errorText)
{
    if (outcome == Outcome::Ok) return StatusWords::Ok;
    switch (kind) {
    case NetError::NoAddress:
    case NetError::LookupFailed: return "name not found";
    case NetError::ConnectFailed: return "refused";
    case NetError::TimedOut:
    case NetError::LookupTimedOut: return "timed out";
    default: return errorText.empty() ? std::string("no answer") : CliOptions::OneLine(errorText);
    }
}

int TestPadsCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return Run(args, out, err, CliEnvironment::Real());
}

int TestPadsCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                         const CliEnvironment& env)
{
    std::string productsFile = env.Products();
    std::vector<std::string> titles;
    int timeout = TDownload::DefaultTimeOut;
    bool noHistory = false;
    bool quiet = false;
    CLI::App app{"Tries to connect to the server of each product's PAD link, as Test PADs does; nothing is sent.",
                 Name};
    CliOptions::AddProductsFile(app, productsFile);
    CliOptions::AddTitles(app, "--product", titles, "Test only the products of this exact title (repeatable)");
    CliOptions::AddTimeout(app, timeout, "Time-out of the lookup and of the connection, in milliseconds (0: none)");
    app.add_flag("--quiet", quiet, "Print nothing but errors and warnings");
    CliHistory::AddNoHistory(app, noHistory);
    app.footer("Prints one line per product: Ok or the reason (name not found, refused, timed out), the title, "
               "the server tried (host:port), tab-separated; progress goes to stderr.\n"
               "Exit codes: 0 every server answered; 1 some did not; 2 usage or input error, nothing tested.");
    if (const auto code = CliOptions::Parse(app, args, out, err)) return *code;

    ProductSelection selection;
    std::string error;
    const bool opened = selection.Open(productsFile, titles, error);
    if (!selection.Warning().empty()) err << Name << ": warning: " << selection.Warning() << '\n';
    if (!opened) {
        err << Name << ": " << error << '\n';
        return UsageError;
    }

    ListRows& list = selection.List();
    std::map<std::uint64_t, std::string> reasons; // product Id -> its line's first column
    int notOk = 0;
    const std::unique_ptr<HistoryStore> history = noHistory ? nullptr : CliHistory::Open(env, err, Name);
    RunRecorder recorder(history.get(), RunKind::Test, 0);
    CliProgress progress(err, quiet, env.ProgressOnTerminal, static_cast<int>(selection.Rows().size()),
                         {StatusWords::Ok, StatusWords::Failed});
    OwnerThreadQueue queue;
    {
        PadTest tests(
            list,
            [&](TDownloadOwner& owner) {
                auto worker = std::make_unique<TDownload>(owner, queue);
                worker->TimeOut = timeout;
                return worker;
            },
            queue);
        tests.SetOnEnded([&](std::uint64_t id, const WorkResult& result) {
            const bool ok = result.Outcome == Outcome::Ok;
            const std::string& reason = reasons[id] = Reason(result.Outcome, result.ErrorKind, result.Reason);
            if (!ok) ++notOk;
            const int row = list.IndexOfId(id);
            if (row < 0) {
                progress.Ended(ok, reason);
                return;
            }
            const std::string& link = ProductAt(list, row).PadLink;
            recorder.PadTest(RunHistory::Test(list.Caption(row), link, result, timeout));
            const PadServer server = PadServer::Of(link);
            progress.Ended(ok, reason + "  " + CliOptions::OneLine(list.Caption(row)) + " -> " +
                                   CliOptions::OneLine(server.Host) + ':' + std::to_string(server.Port));
        });
        for (const int row : selection.Rows()) tests.Test(row);
        const size_t count = selection.Rows().size();
        while (reasons.size() < count) {
            queue.ServeUntil([&] { return reasons.size() >= count; }, std::chrono::seconds(1));
            progress.Tick();
        }
    }
    progress.End();

    recorder.End(RunEnd::Finished);
    CliHistory::Tell(recorder.Failure(), err, Name);

    // Counted from the outcomes: a server's own message may read "Ok" too.
    const bool allOk = notOk == 0 && reasons.size() >= selection.Rows().size();
    for (const int row : selection.Rows()) {
        if (quiet) continue;
        const std::string& reason = reasons[list.Row(row).Id];
        const PadServer server = PadServer::Of(ProductAt(list, row).PadLink);
        out << reason << '\t' << CliOptions::OneLine(list.Caption(row)) << '\t' << CliOptions::OneLine(server.Host)
            << ':' << server.Port << '\n';
    }
    out << std::flush;
    return allOk ? AllOk : NotAllOk;
}
