#pragma once

#include "net/ProxyRoute.h"

#include <ostream>
#include <string>

class OwnSites;
class SiteTable;

// What a command takes from outside its arguments: the folder whose data/ and reports/ the
// program uses too (the program folder, or the user's own for a system install), the
// settings file, the site table, whether stderr is a terminal, and whether
// Ctrl+C is to be watched. main runs the commands with Real(); tests pass their own (a site
// table on 127.0.0.1, a temporary folder, no signal handling).
struct CliEnvironment {
    // The catalogue the program reads, below the program folder.
    static constexpr const char* ProductsFile = "data/products.dat";
    // The author's own automatic sites, and the program's settings file (the author's e-mail).
    static constexpr const char* OwnSitesFile = "data/autosites.dat";
    static constexpr const char* SettingsFile = "quillpost.ini";
    // The site sets the window and the command line share.
    static constexpr const char* SiteSetsFile = "data/sitesets.dat";

    std::string ProgramFolder; // holds data/ and reports/; ends in "/"
    std::string SettingsPath;  // ProgramFolder + SettingsFile when empty
    const SiteTable* Sites = nullptr;
    bool ProgressOnTerminal = false; // stderr is a terminal: the progress bar redraws in place
    // Ctrl+C cancels the run: SIGINT is blocked and waited for by a thread of the command's
    // own. Only for a process whose main thread runs the command before starting any thread.
    bool WatchInterrupt = false;
    // The process's environment variables (getenv for Real()); tests leave it empty, and
    // then no variable is set.
    ProxyRoute::Environment Variables;

    std::string Products() const { return ProgramFolder + ProductsFile; }
    std::string OwnSitesPath() const { return ProgramFolder + OwnSitesFile; }
    std::string SiteSetsPath() const { return ProgramFolder + SiteSetsFile; }
    std::string Settings() const { return SettingsPath.empty() ? ProgramFolder + SettingsFile : SettingsPath; }
    // The table the program shows: `Sites` (the built-in table when null), then the author's
    // own sites. A skipped line or a file not read whole is a warning on `err`; the sites that
    // could be read are used.
    void LoadOwnSites(OwnSites& own, std::ostream& err, const char* command) const;
    // The author's e-mail address from the settings file; empty when none or not a good one.
    std::string AuthorEmail() const;
    // The proxy of a command's requests, as the window would choose it: `option` (--proxy
    // HOST:PORT) when given, none for --no-proxy, else the settings file's, else the one the
    // environment names (http_proxy, https_proxy, no_proxy). A kept setting or a variable that
    // names no usable proxy is a warning on `err`, and not used.
    ProxyRoute Proxy(const std::string& option, bool noProxy, std::ostream& err, const char* command) const;
    // Whether the settings file lets runs send to https sites (Settings > Allow https sites).
    bool AllowHttps() const;

    // The folders the program uses for the executable's folder (through /proc/self/exe; the
    // current folder when that cannot be read), filled on a system install's first start;
    // the built-in sites, isatty(2), Ctrl+C watched.
    static CliEnvironment Real();
};
