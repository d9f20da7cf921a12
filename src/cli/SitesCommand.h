#pragma once

#include "cli/CliCommand.h"

#include <ostream>
#include <string>
#include <vector>

struct CliEnvironment;

// `quillpost-cli sites`: the sites the program shows, the built-in table in its order then
// the author's own (data/autosites.dat) by title, one site a line, tab-separated: title,
// method, script address, and "built-in" or "own". The titles are those submit --site takes.
//
// `--import FILE` adds the sites of a CSV file (RFC 4180) whose header row names the seven
// columns title, script_url, method, link_field, category_field, email_field and
// success_marker, in any order; `--export FILE` writes the author's sites in that form. A
// refused row is told on stderr with its line and reason; the other rows are still added.
class SitesCommand {
public:
    static constexpr int Listed = 0;
    static constexpr int SomeRefused = 1; // --import: some row was refused, the others were added
    static constexpr int UsageError = 2;  // bad option, unreadable file, no header: nothing changed

    static constexpr const char* Columns[] = {"title",          "script_url",  "method",        "link_field",
                                              "category_field", "email_field", "success_marker"};

    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const CliEnvironment& env);

    static const char* Usage();
};
