#pragma once

#include <string>

class SiteTable;

// What a command takes from outside its arguments: the program folder (whose data/ and
// reports/ the program uses too), the site table, whether stderr is a terminal, and whether
// Ctrl+C is to be watched. main runs the commands with Real(); tests pass their own (a site
// table on 127.0.0.1, a temporary folder, no signal handling).
struct CliEnvironment {
    // The catalogue the program reads, below the program folder.
    static constexpr const char* ProductsFile = "data/products.dat";

    std::string ProgramFolder; // ends in "/"
    const SiteTable* Sites = nullptr;
    bool ProgressOnTerminal = false; // stderr is a terminal: the progress bar redraws in place
    // Ctrl+C cancels the run: SIGINT is blocked and waited for by a thread of the command's
    // own. Only for a process whose main thread runs the command before starting any thread.
    bool WatchInterrupt = false;

    std::string Products() const { return ProgramFolder + ProductsFile; }

    // The executable's folder (through /proc/self/exe; the current folder when that cannot
    // be read), the built-in sites, isatty(2), Ctrl+C watched.
    static CliEnvironment Real();
};
