// quillpost-cli: picks the command named by the first argument and hands it the rest.
#include "cli/CliCommand.h"
#include "cli/CliDispatch.h"
#include "cli/HistoryCommand.h"
#include "cli/PadCommand.h"
#include "cli/RequestCommand.h"
#include "cli/SiteSetsCommand.h"
#include "cli/SitesCommand.h"
#include "cli/SubmitCommand.h"
#include "cli/TestPadsCommand.h"
#include "cli/ValidatePadsCommand.h"

#include <csignal>
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
    {"site-sets", &SiteSetsCommand::Run, &SiteSetsCommand::Usage},
    {"history", &HistoryCommand::Run, &HistoryCommand::Usage},
    {"request", &RequestCommand::Run, &RequestCommand::Usage},
    {"pad", &PadCommand::Run, &PadCommand::Usage},
};

} // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    // A reader that goes away early (`| grep -q Failed`) must not end a run before its
    // report is written: output to it is dropped instead.
    std::signal(SIGPIPE, SIG_IGN);
    return CliDispatch::Run(Commands, std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
