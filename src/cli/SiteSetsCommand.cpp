#include "cli/SiteSetsCommand.h"

#include "cli/CliEnvironment.h"
#include "cli/CliOptions.h"
#include "common/FileReplace.h"
#include "submit/OwnSites.h"
#include "submit/SiteSets.h"

namespace {

constexpr const char* Name = "quillpost-cli site-sets";

int Fail(std::ostream& err, const std::string& why)
{
    err << Name << ": " << CliOptions::OneLine(why) << '\n';
    return SiteSetsCommand::UsageError;
}

int Show(const SiteSets::File& file, const std::string& name, const SiteTable& sites, std::ostream& out,
         std::ostream& err)
{
    const SiteSets::Set* set = SiteSets::Find(file, name);
    if (!set) return Fail(err, "no site set named \"" + name + "\"");
    const SiteSets::Rows rows = SiteSets::Resolve(*set, sites);
    if (!rows.Missing.empty())
        err << Name << ": warning: " << CliOptions::OneLine(SiteSets::MissingMessage(name, rows.Missing).English())
            << '\n';
    for (const std::string& title : set->Sites) out << CliOptions::OneLine(title) << '\n';
    return SiteSetsCommand::Done;
}

int Save(const CliEnvironment& env, const std::string& name, const std::vector<std::string>& titles,
         const SiteTable& sites, std::ostream& err)
{
    for (const std::string& title : titles)
        if (sites.Find(title) < 0)
            return Fail(err, "no site titled \"" + title + "\" (quillpost-cli sites lists them)");
    const std::string refused = SiteSets::Save(env.SiteSetsPath(), {name, titles});
    return refused.empty() ? SiteSetsCommand::Done : Fail(err, refused);
}

} // namespace

const char* SiteSetsCommand::Usage()
{
    return "usage: quillpost-cli site-sets\n"
           "       quillpost-cli site-sets show NAME\n"
           "       quillpost-cli site-sets save NAME --site TITLE...\n"
           "       quillpost-cli site-sets delete NAME\n";
}

int SiteSetsCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return Run(args, out, err, CliEnvironment::Real());
}

int SiteSetsCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                         const CliEnvironment& env)
{
    CLI::App app{"Lists, shows, saves and deletes the site sets of Submit > Site Sets.", Name};
    app.require_subcommand(0, 1);
    app.footer("Without a command, prints \"name<TAB>count\" for each set.\n"
               "Exit codes: 0 done; 2 usage error, unknown set or site, a file that cannot be read or written.");
    std::string name;
    std::vector<std::string> titles;
    CLI::App* show = app.add_subcommand("show", "Print the set's site titles, one a line");
    show->add_option("NAME", name, "The set's name")->required();
    CLI::App* save = app.add_subcommand("save", "Save these sites under NAME, replacing a set of that name");
    save->add_option("NAME", name, "The set's name")->required();
    CliOptions::AddTitles(*save, "--site", titles, "A site of the set, by its exact title (repeatable)");
    save->get_option("--site")->required();
    CLI::App* remove = app.add_subcommand("delete", "Delete the set");
    remove->add_option("NAME", name, "The set's name")->required();
    if (const auto code = CliOptions::Parse(app, args, out, err)) return *code;

    OwnSites own;
    env.LoadOwnSites(own, err, Name);
    const SiteTable sites = own.Combined();
    try {
        if (*save) return Save(env, name, titles, sites, err);
        if (*remove)
            return SiteSets::Delete(env.SiteSetsPath(), name) ? Done : Fail(err, "no site set named \"" + name + "\"");
        const SiteSets::File file = SiteSets::Load(env.SiteSetsPath());
        if (*show) return Show(file, name, sites, out, err);
        for (const SiteSets::Set& set : file.Sets)
            out << CliOptions::OneLine(set.Name) << '\t' << set.Sites.size() << '\n';
        return Done;
    } catch (const FileError& e) {
        return Fail(err, e.what());
    }
}
