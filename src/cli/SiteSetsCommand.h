#pragma once

#include "cli/CliCommand.h"

#include <ostream>
#include <string>
#include <vector>

struct CliEnvironment;

// `quillpost-cli site-sets`: the site sets the window's Submit > Site Sets keeps too
// (data/sitesets.dat).
//
//   site-sets                          "name<TAB>count" per set, by name
//   site-sets show NAME                the set's site titles, one a line
//   site-sets save NAME --site TITLE...  saves the sites (built-in or own, by exact title)
//                                      under NAME, replacing a set of that name
//   site-sets delete NAME
//
// Exit codes: 0 done; 2 bad option, an unknown set or site, a name that cannot be kept, a
// file that cannot be read or written (nothing changed).
class SiteSetsCommand {
public:
    static constexpr int Done = 0;
    static constexpr int UsageError = CliCommand::UsageError;

    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const CliEnvironment& env);

    static const char* Usage();
};
