#include "cli/CliDispatch.h"

namespace {

const CliCommand* Find(std::span<const CliCommand> commands, const std::string& name)
{
    for (const CliCommand& command : commands)
        if (name == command.Name) return &command;
    return nullptr;
}

int Unknown(std::span<const CliCommand> commands, const std::string& name, std::ostream& err)
{
    err << "unknown command: " << name << '\n' << CliDispatch::Usage(commands);
    return CliCommand::UsageError;
}

} // namespace

std::string CliDispatch::Usage(std::span<const CliCommand> commands)
{
    std::string text;
    for (const CliCommand& command : commands) text += command.Usage();
    text += "usage: quillpost-cli help [COMMAND]\n"
            "usage: quillpost-cli --version\n"
            "\"quillpost-cli help COMMAND\" (or \"quillpost-cli COMMAND --help\") tells more of a command.\n";
    return text;
}

std::string CliDispatch::VersionLine()
{
    return std::string("quillpost-cli ") + QP_VERSION + "\n";
}

int CliDispatch::Run(std::span<const CliCommand> commands, const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err)
{
    if (args.empty()) {
        err << Usage(commands);
        return CliCommand::UsageError;
    }
    const std::string& first = args[0];
    if (first == "--version" || first == "-V") {
        out << VersionLine();
        return 0;
    }
    const auto isHelp = [](const std::string& word) { return word == "help" || word == "--help" || word == "-h"; };
    if (isHelp(first) && (first != "help" || args.size() == 1 || isHelp(args[1]))) {
        out << Usage(commands);
        return 0;
    }
    if (first == "help") {
        const CliCommand* command = Find(commands, args[1]);
        return command ? command->Run({"--help"}, out, err) : Unknown(commands, args[1], err);
    }
    const CliCommand* command = Find(commands, first);
    if (!command) return Unknown(commands, first, err);
    return command->Run(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
}
