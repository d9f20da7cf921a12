#include "cli/CliHistory.h"

#include "cli/CliEnvironment.h"
#include "cli/CliOptions.h"
#include "common/FileLocations.h"
#include "history/HistoryFile.h"
#include "history/HistoryStore.h"
#include "submit/HistoryImport.h"

void CliHistory::AddNoHistory(CLI::App& app, bool& noHistory)
{
    app.add_flag("--no-history", noHistory, "Record nothing of this run in the history");
}

std::unique_ptr<HistoryStore> CliHistory::Open(const CliEnvironment& env, std::ostream& err, const char* command)
{
    std::unique_ptr<HistoryStore> store;
    try {
        store = std::make_unique<HistoryStore>(env.ProgramFolder + FileLocations::HistoryFile);
    } catch (const std::exception& e) {
        err << command << ": warning: " << e.what() << " (this run is not recorded)\n";
        return nullptr;
    }
    if (!store->Notice().empty()) err << command << ": warning: " << store->Notice() << '\n';
    if (store->Created()) TakeInReports(*store, env, err, command);
    return store;
}

void CliHistory::TakeInReports(HistoryStore& store, const CliEnvironment& env, std::ostream& err, const char* command)
{
    try {
        const std::string problems = HistoryImport::ImportFolder(store, env.ProgramFolder);
        if (!problems.empty()) err << command << ": warning: " << problems << '\n';
    } catch (const std::exception& e) {
        err << command << ": warning: " << e.what() << '\n';
    }
}

void CliHistory::Tell(const std::string& failure, std::ostream& err, const char* command)
{
    if (!failure.empty()) err << command << ": warning: " << failure << '\n';
}
