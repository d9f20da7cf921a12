// quillpost-cli: picks the command named by the first argument and hands it the rest.
#include "cli/CliCommand.h"
#include "cli/HistoryCommand.h"
#include "cli/PadCommand.h"
#include "cli/RequestCommand.h"
#include "cli/SitesCommand.h"
#include "cli/SubmitCommand.h"
#include "cli/TestPadsCommand.h"
#include "cli/ValidatePadsCommand.h"

#include <csignal>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

// Every command, in the order the usage text lists them.
constexpr CliCommand Commands[] = {
    {"submit", &SubmitCommand::Run, &SubmitCommand::Usage},
    {"test-pads", &TestPadsCommand::Run, &TestPadsCommand::Usage},
    {"validate-pads", &ValidatePadsCommand::Run, &ValidatePadsCommand::Usage},
    {"sites", &SitesCommand::Run, &SitesCommand::Usage},
    {"history", &HistoryCommand::Run, &HistoryCommand::Usage},
    {"request", &RequestCommand::Run, &RequestCommand::Usage},
    {"pad", &PadCommand::Run, &PadCommand::Usage},
};

void PrintUsage(std::ostream& to)
{
    for (const CliCommand& command : Commands) to << command.Usage();
    to << "\"quillpost-cli COMMAND --help\" tells more of submit, test-pads, validate-pads, sites and history.\n";
}

} // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    // A reader that goes away early (`| grep -q Failed`) must not end a run before its
    // report is written: output to it is dropped instead.
    std::signal(SIGPIPE, SIG_IGN);
    if (argc >= 2) {
        if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
            PrintUsage(std::cout);
            return 0;
        }
        for (const CliCommand& command : Commands) {
            if (std::strcmp(argv[1], command.Name) == 0) {
                const std::vector<std::string> args(argv + 2, argv + argc);
                return command.Run(args, std::cout, std::cerr);
            }
        }
    }
    PrintUsage(std::cerr);
    return CliCommand::UsageError;
}
