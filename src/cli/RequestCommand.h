#pragma once

#include "cli/CliCommand.h"

#include <ostream>
#include <string>
#include <vector>

// `quillpost-cli request METHOD URL [DATA] [--timeout MS] [--proxy HOST:PORT]
// [--report-level N]`: one call of the HTTP client, told line by line as its events fire,
// then the reply head and body as received. It is how a user finds out why a site fails.
class RequestCommand {
public:
    // Exit codes.
    static constexpr int Done = 0;                            // the call returned (whatever the reply code)
    static constexpr int Raised = 1;                          // the call raised; its text is the last line
    static constexpr int UsageError = CliCommand::UsageError; // bad arguments; usage text on `err`

    // `args` are the words after "request".
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

    static const char* Usage();
};
