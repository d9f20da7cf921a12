// quillpost-cli: picks the command named by the first argument and hands it the rest.
#include "cli/CliCommand.h"
#include "cli/RequestCommand.h"

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

// Every command, in the order the usage text lists them.
constexpr CliCommand Commands[] = {
    {"request", &RequestCommand::Run, &RequestCommand::Usage},
};

} // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    if (argc >= 2) {
        for (const CliCommand& command : Commands) {
            if (std::strcmp(argv[1], command.Name) == 0) {
                const std::vector<std::string> args(argv + 2, argv + argc);
                return command.Run(args, std::cout, std::cerr);
            }
        }
    }
    for (const CliCommand& command : Commands) std::cerr << command.Usage();
    return CliCommand::UsageError;
}
