#pragma once

#include "cli/CliCommand.h"

#include <ostream>
#include <string>
#include <vector>

struct CliEnvironment;

// `quillpost-cli submit`: Submit All from the command line. The products of a products file
// (all, or those picked by --product) go to the built-in sites (all, or those picked by
// --site) through the same run as the program's Submit All: same batches, same status
// words. --retry-failed resends exactly the pairs of an earlier report that were not "Ok".
// Every run writes its report (RunReport), complete even when Ctrl+C (or SIGTERM, or
// SIGHUP) cancelled it.
// Everything given is checked before the first request goes out.
class SubmitCommand {
public:
    // Exit codes.
    static constexpr int AllOk = 0;                           // every pair of the run was "Ok"
    static constexpr int NotAllOk = 1;                        // the run ended, some pair was not "Ok"
    static constexpr int UsageError = CliCommand::UsageError; // bad arguments or input: nothing sent
    static constexpr int Interrupted = 130;                   // Ctrl+C: cancelled, the report written
    static constexpr int Terminated = 143;                    // SIGTERM: the same
    static constexpr int HungUp = 129;                        // SIGHUP: the same

    // `args` are the words after "submit". The real environment: the executable's folder,
    // the built-in sites, Ctrl+C watched.
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const CliEnvironment& env);

    static const char* Usage();
};
