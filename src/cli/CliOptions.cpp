#include "cli/CliOptions.h"

#include "cli/CliCommand.h"
#include "common/TerminalText.h"

#include <algorithm>
#include <climits>

std::optional<int> CliOptions::Parse(CLI::App& app, const std::vector<std::string>& args, std::ostream& out,
                                     std::ostream& err)
{
    std::vector<std::string> reversed(args.rbegin(), args.rend()); // CLI11 takes them last first
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        // The help of the subcommand asked about, for a command that has them.
        const std::vector<CLI::App*> parsed = app.get_subcommands();
        out << (parsed.empty() ? app.help() : parsed.front()->help());
        return 0;
    } catch (const CLI::ParseError& e) {
        err << app.get_name() << ": " << e.what() << "\n"
            << "Run \"" << app.get_name() << " --help\" for its options.\n";
        return CliCommand::UsageError;
    }
    return std::nullopt;
}

bool CliOptions::SplitProxy(const std::string& text, std::string& host, int& port)
{
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    const std::string digits = text.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const int value = std::stoi(digits);
    if (value < 1 || value > 65535) return false;
    host = text.substr(0, colon);
    port = value;
    return true;
}

CLI::Validator CliOptions::ProxyAddress()
{
    return CLI::Validator(
        [](std::string& text) {
            std::string host;
            int port = 0;
            return SplitProxy(text, host, port) ? std::string() : "HOST:PORT with a port from 1 to 65535 expected";
        },
        "");
}

void CliOptions::AddProxy(CLI::App& app, std::string& proxy, bool& noProxy, const std::string& help)
{
    CLI::Option* given = app.add_option("--proxy", proxy, help)->type_name("HOST:PORT")->check(ProxyAddress());
    app.add_flag("--no-proxy", noProxy,
                 "Connect directly, whatever proxy the settings or the environment (http_proxy, https_proxy) name")
        ->excludes(given);
}

std::string CliOptions::OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return TerminalText::Escaped(text);
}

void CliOptions::AddProductsFile(CLI::App& app, std::string& file)
{
    app.add_option("--products", file, "The products file (title|PAD link|category| a line)")
        ->type_name("FILE")
        ->capture_default_str();
}

void CliOptions::AddTitles(CLI::App& app, const std::string& name, std::vector<std::string>& titles,
                           const std::string& help)
{
    app.add_option(name, titles, help)
        ->type_name("TITLE")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

void CliOptions::AddTimeout(CLI::App& app, int& milliseconds, const std::string& help)
{
    app.add_option("--timeout", milliseconds, help)
        ->type_name("MS")
        ->check(CLI::Range(0, INT_MAX).description(""))
        ->capture_default_str();
}
