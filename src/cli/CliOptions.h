#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// The conventions the commands built on CLI11 share: --help prints the generated help on
// `out` and ends the command with 0; a usage error is one line on `err` naming the command,
// and a pointer to --help, exit code 2.
class CliOptions {
public:
    // Parses `args` (the words after the command's name) into `app`'s options. Returns the
    // exit code when the command is over (help shown, or a usage error), nothing otherwise.
    static std::optional<int> Parse(CLI::App& app, const std::vector<std::string>& args, std::ostream& out,
                                    std::ostream& err);

    // The options the commands over the products file share: --products FILE (its default
    // shown), an option repeated with one TITLE each time (--product, --site), and a time-out
    // in milliseconds (0: none; its default shown).
    static void AddProductsFile(CLI::App& app, std::string& file);
    static void AddTitles(CLI::App& app, const std::string& name, std::vector<std::string>& titles,
                          const std::string& help);
    static void AddTimeout(CLI::App& app, int& milliseconds, const std::string& help);

    // "HOST:PORT" with a port 1 to 65535: true and the parts; false otherwise.
    static bool SplitProxy(const std::string& text, std::string& host, int& port);
    // A CLI11 check of the same.
    static CLI::Validator ProxyAddress();
    // --proxy HOST:PORT and --no-proxy, which exclude each other; without either, the
    // settings' proxy or the environment's is used (CliEnvironment::Proxy).
    static void AddProxy(CLI::App& app, std::string& proxy, bool& noProxy, const std::string& help);

    // `text` with its tabs and line breaks as spaces, so that a title keeps to its column
    // of a tab-separated line, and its other controls as visible escapes (TerminalText): what
    // every command prints of titles, links, reasons and sites' answers goes through it.
    static std::string OneLine(std::string text);
};
