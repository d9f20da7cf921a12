#pragma once

#include <ostream>
#include <string>
#include <vector>

// One command of quillpost-cli: the first word of the command line picks it by name, and
// it gets the words after that name. Each command lives in a file of its own in the
// quillpost_cli library, so tests run it in-process; main.cpp only lists the commands.
struct CliCommand {
    // Exit code of a command line that names no command or misuses one.
    static constexpr int UsageError = 2;

    const char* Name;
    // Runs the command on `args`; what it prints goes to `out`, usage errors to `err`.
    // Returns the program's exit code.
    int (*Run)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
    // The command's usage text, one or more whole lines.
    const char* (*Usage)();
};
