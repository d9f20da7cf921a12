#include "cli/SitesCommand.h"

#include "cli/CliOptions.h"
#include "submit/SiteTable.h"

const char* SitesCommand::Usage()
{
    return "usage: quillpost-cli sites\n";
}

int SitesCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return Run(args, out, err, SiteTable::BuiltIn());
}

int SitesCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      const SiteTable& sites)
{
    CLI::App app{"Lists the built-in download sites: title, method, script address, tab-separated.",
                 "quillpost-cli sites"};
    app.footer("Exit codes: 0 listed; 2 usage error.");
    if (const auto code = CliOptions::Parse(app, args, out, err)) return *code;
    for (const SiteRecord& site : sites.Rows())
        out << site.Title << '\t' << site.Method << '\t' << site.ScriptUrl << '\n';
    out << std::flush;
    return 0;
}
