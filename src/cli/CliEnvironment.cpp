#include "cli/CliEnvironment.h"

#include "common/FileLocations.h"
#include "common/FileReplace.h"
#include "common/Settings.h"
#include "submit/OwnSites.h"
#include "submit/SiteTable.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

CliEnvironment CliEnvironment::Real()
{
    CliEnvironment env;
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    std::string exe = n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
    const size_t slash = exe.find_last_of('/');
    const FileLocations places(slash == std::string::npos ? std::string("./") : exe.substr(0, slash + 1), SettingsFile);
    // What cannot be copied shows when the command reads the file.
    places.FillUserFolders();
    places.RemoveLeftovers();
    env.ProgramFolder = places.FilesFolder();
    env.SettingsPath = places.Settings();
    env.Sites = &SiteTable::BuiltIn();
    env.ProgressOnTerminal = ::isatty(STDERR_FILENO) == 1;
    env.WatchInterrupt = true;
    env.Variables = [](const char* name) -> const char* { return std::getenv(name); };
    return env;
}

void CliEnvironment::LoadOwnSites(OwnSites& own, std::ostream& err, const char* command) const
{
    own = OwnSites(Sites ? *Sites : SiteTable::BuiltIn());
    try {
        own.Load(OwnSitesPath());
    } catch (const FileError& e) {
        err << command << ": warning: " << e.what() << '\n';
    }
    for (const OwnSites::SkippedLine& s : own.Skipped())
        err << command << ": warning: " << OwnSitesPath() << " line " << s.Line << " skipped: " << s.Reason << '\n';
}

std::string CliEnvironment::AuthorEmail() const
{
    const std::string email = ::Settings(Settings()).AuthorEmail();
    return OwnSites::CheckEmail(email).empty() ? email : std::string();
}

ProxyRoute CliEnvironment::Proxy(const std::string& option, bool noProxy, std::ostream& err, const char* command) const
{
    if (!option.empty()) {
        std::string why;
        if (const auto proxy = ProxyRoute::ParseVariable(option, why)) return ProxyRoute::Fixed(*proxy);
        err << command << ": warning: --proxy " << option << " is not used: " << why << '\n';
        return ProxyRoute::Fixed({});
    }
    if (noProxy) return ProxyRoute::Fixed({});
    const ::Settings settings(Settings());
    if (const auto kept = settings.Proxy()) {
        if (kept->Used()) return ProxyRoute::Fixed(*kept);
    } else {
        err << command << ": warning: the proxy kept in " << settings.Path()
            << " is not HOST:PORT with a port from 1 to 65535; it is not used\n";
    }
    std::vector<std::string> warnings;
    ProxyRoute route = ProxyRoute::FromEnvironment(
        Variables ? Variables : ProxyRoute::Environment([](const char*) -> const char* { return nullptr; }), warnings);
    for (const std::string& w : warnings) err << command << ": warning: " << w << '\n';
    return route;
}

bool CliEnvironment::AllowHttps() const
{
    return ::Settings(Settings()).AllowHttps();
}
