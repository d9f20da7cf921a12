#pragma once

#include <memory>
#include <ostream>
#include <string>

class HistoryStore;
struct CliEnvironment;
namespace CLI {
class App;
}

// The history the commands that send record into: the one of the data folder, shared with
// the program. A history that cannot be opened is a warning, and the command goes on without
// recording; a new one takes in the reports/ already there.
class CliHistory {
public:
    static void AddNoHistory(CLI::App& app, bool& noHistory);
    // Null when it cannot be used (said on `err`).
    static std::unique_ptr<HistoryStore> Open(const CliEnvironment& env, std::ostream& err, const char* command);
    // Takes in the reports/ not in the history yet, for a history just started; what could not
    // be taken is a warning on `err`.
    static void TakeInReports(HistoryStore& store, const CliEnvironment& env, std::ostream& err, const char* command);
    // A recording failure, said on `err` once it happened; nothing when `failure` is empty.
    static void Tell(const std::string& failure, std::ostream& err, const char* command);
};
