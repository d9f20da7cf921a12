#pragma once

#include "cli/CliCommand.h"

#include <ostream>
#include <string>
#include <vector>

class SiteTable;

// `quillpost-cli sites`: the built-in site table, one site a line in table order,
// tab-separated: title, method, script address. The titles are those submit --site takes.
class SitesCommand {
public:
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const SiteTable& sites);

    static const char* Usage();
};
