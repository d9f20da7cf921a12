#pragma once

#include "cli/CliCommand.h"
#include "common/Outcome.h"
#include "net/ESockError.h"

#include <ostream>
#include <string>
#include <vector>

struct CliEnvironment;

// `quillpost-cli test-pads`: Test PADs from the command line. For each product (all of the
// products file, or those picked by --product) the server of its PAD link is connected to,
// as the program's Test PADs does, nothing sent. One line per product, in the list's order,
// tab-separated: "Ok" or the reason ("name not found", "refused", "timed out", or the
// client's error text), the product's title, the server tried (host:port).
class TestPadsCommand {
public:
    static constexpr int AllOk = 0;
    static constexpr int NotAllOk = 1;
    static constexpr int UsageError = CliCommand::UsageError;

    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const CliEnvironment& env);

    // The reason a test gives for the error that ended the worker ("Ok" when it connected).
    static std::string Reason(Outcome outcome, NetError kind, const std::string& errorText);

    static const char* Usage();
};
