#pragma once

#include "cli/CliCommand.h"

#include <ostream>
#include <span>
#include <string>
#include <vector>

// The first word of quillpost-cli's command line: a command's name (the rest goes to it),
// "help" [COMMAND], --help or -h (the usage on stdout), --version or -V. A word that names
// nothing is "unknown command: WORD" on stderr, then the usage, exit code 2; no word at all
// is the usage on stderr, exit code 2.
class CliDispatch {
public:
    static int Run(std::span<const CliCommand> commands, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err);

    // Every command's usage lines, in the table's order, then help's and --version's.
    static std::string Usage(std::span<const CliCommand> commands);
    // "quillpost-cli VERSION", the project's version as the build has it.
    static std::string VersionLine();
};
