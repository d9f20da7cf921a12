#include "cli/ValidatePadsCommand.h"

#include "catalogue/CatalogueFile.h"
#include "catalogue/Product.h"
#include "cli/CliEnvironment.h"
#include "cli/CliHistory.h"
#include "cli/CliOptions.h"
#include "cli/CliProgress.h"
#include "cli/ProductSelection.h"
#include "common/OwnerThreadQueue.h"
#include "common/StatusWords.h"
#include "history/HistoryStore.h"
#include "submit/PadValidator.h"
#include "submit/RunHistory.h"
#include "submit/RunRecorder.h"
#include "submit/TDownload.h"

#include <chrono>
#include <climits>
#include <exception>
#include <map>

namespace {

constexpr const char* Name = "quillpost-cli validate-pads";

} // namespace

const char* ValidatePadsCommand::Usage()
{
    return "usage: quillpost-cli validate-pads [--products FILE] [--product TITLE]... [--speed N] [--timeout MS]\n"
           "                                   [--proxy HOST:PORT] [--cacert FILE] [--quiet] [--no-history]\n";
}

int ValidatePadsCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return Run(args, out, err, CliEnvironment::Real());
}

int ValidatePadsCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                             const CliEnvironment& env)
{
    std::string productsFile = env.Products();
    std::vector<std::string> titles;
    int speed = 1;
    int timeout = TDownload::DefaultTimeOut;
    std::string proxy;
    bool noProxy = false;
    std::string caFile;
    bool noHistory = false;
    bool quiet = false;
    CLI::App app{"Downloads each product's PAD file and checks it, as Validate PADs does.", Name};
    CliOptions::AddProductsFile(app, productsFile);
    CliOptions::AddTitles(app, "--product", titles, "Validate only the products of this exact title (repeatable)");
    app.add_option("--speed", speed, "How many downloads run at once")
        ->type_name("N")
        ->check(CLI::Range(1, 10).description(""))
        ->capture_default_str();
    CliOptions::AddTimeout(app, timeout, "Time-out of each wait of a download, in milliseconds (0: none)");
    CliOptions::AddProxy(app, proxy, noProxy,
                         "Download through this HTTP proxy (default: the proxy of the settings, else http_proxy "
                         "and https_proxy)");
    app.add_option("--cacert", caFile, "Also trust this certificate authority (PEM) for https PAD links")
        ->type_name("FILE")
        ->check(CLI::ExistingFile.description(""));
    app.add_flag("--quiet", quiet, "Print nothing but errors and warnings");
    CliHistory::AddNoHistory(app, noHistory);
    app.footer("Prints one block per product: Yes or No, the title and the PAD link, tab-separated, then one line "
               "per problem, starting with a tab; progress goes to stderr.\n"
               "Exit codes: 0 every PAD file is valid; 1 some is not; 2 usage or input error, nothing downloaded.");
    if (const auto code = CliOptions::Parse(app, args, out, err)) return *code;

    ProductSelection selection;
    std::string error;
    const bool opened = selection.Open(productsFile, titles, error);
    if (!selection.Warning().empty()) err << Name << ": warning: " << selection.Warning() << '\n';
    if (!opened) {
        err << Name << ": " << error << '\n';
        return UsageError;
    }
    std::vector<std::string> categories;
    const std::string categoriesPath = env.ProgramFolder + CategoriesFile;
    try {
        categories = CatalogueFile::ReadCategories(categoriesPath);
    } catch (const std::exception& e) {
        err << Name << ": " << e.what() << '\n';
        return UsageError;
    }

    const auto route = std::make_shared<const ProxyRoute>(env.Proxy(proxy, noProxy, err, Name));

    ListRows& list = selection.List();
    std::map<std::uint64_t, std::vector<PadProblem>> problems;
    CliProgress progress(err, quiet, env.ProgressOnTerminal, static_cast<int>(selection.Rows().size()),
                         {"Valid", "Not valid"});
    OwnerThreadQueue queue;
    {
        PadValidator validator(
            list, categories,
            [&](TDownloadOwner& owner) {
                auto worker = std::make_unique<TDownload>(owner, queue);
                worker->TimeOut = timeout;
                worker->Route = route;
                worker->CaFile = caFile;
                return worker;
            },
            queue);
        validator.SetSpeed(speed);
        validator.SetRulesFolder(env.ProgramFolder);
        validator.SetOnEnded([&](std::uint64_t id, const std::vector<PadProblem>& found) {
            problems[id] = found;
            const int row = list.IndexOfId(id);
            const std::string word = found.empty() ? StatusWords::Valid : StatusWords::NotValid;
            progress.Ended(found.empty(), row < 0 ? word : word + "  " + CliOptions::OneLine(list.Caption(row)));
        });
        for (const int row : selection.Rows()) validator.Validate(row);
        if (!validator.Rules().Notice.empty()) err << Name << ": " << validator.Rules().Notice << '\n' << std::flush;
        while (validator.Busy()) {
            queue.ServeUntil([&] { return !validator.Busy(); }, std::chrono::seconds(1));
            progress.Tick();
        }
    }
    progress.End();

    bool allValid = true;
    for (const int row : selection.Rows()) {
        const std::vector<PadProblem>& found = problems[list.Row(row).Id];
        allValid = allValid && found.empty();
        if (quiet) continue;
        out << (found.empty() ? StatusWords::Valid : StatusWords::NotValid) << '\t'
            << CliOptions::OneLine(list.Caption(row)) << '\t' << CliOptions::OneLine(ProductAt(list, row).PadLink)
            << '\n';
        for (const PadProblem& p : found) out << '\t' << CliOptions::OneLine(PadValidation::Line(p)) << '\n';
    }
    out << std::flush;
    if (!noHistory) {
        // The batch's validations are one transaction.
        const std::unique_ptr<HistoryStore> history = CliHistory::Open(env, err, Name);
        RunRecorder recorder(history.get(), RunKind::Validate, speed);
        for (const int row : selection.Rows())
            recorder.Validation(
                RunHistory::Validation(list.Caption(row), ProductAt(list, row).PadLink, problems[list.Row(row).Id]));
        recorder.End(RunEnd::Finished);
        CliHistory::Tell(recorder.Failure(), err, Name);
    }
    return allValid ? AllValid : NotAllValid;
}
