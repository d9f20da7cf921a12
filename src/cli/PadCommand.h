#pragma once

#include "cli/CliCommand.h"

#include <ostream>
#include <string>
#include <vector>

struct CliEnvironment;

// `quillpost-cli pad`: a PAD file on disk, for release scripts.
//
//   pad show FILE [PATH]...   "path<TAB>value" per field: the fields of the rules in use (those of
//                             pad_spec.xml when there is a usable one), in their order, or the
//                             paths named. In a value, backslash, tab, CR and LF are written
//                             \\, \t, \r and \n so that each field stays on its line; a field
//                             the file does not have shows an empty value.
//   pad set FILE PATH=VALUE... [--sizes-from RELEASE] [--date YYYY-MM-DD] [--output OUT]
//                             sets the fields (the value as it is, UTF-8), writes FILE or OUT
//                             atomically, keeping every other byte of the file (PadDocument),
//                             then checks the result as Validate PADs does.
//   pad check FILE [--link URL]  the checks of Validate PADs; Application_XML_File_URL is
//                             compared with URL only when it is given.
//
// Paths are relative to XML_DIZ_INFO ("Program_Info/Program_Version"). The category list is
// the program's data/categories.dat. Exit codes: 0 done (and the file valid); 1 set wrote the
// file but some check fails (the problems on stderr), or check found problems (on stdout), one
// line each; 2 nothing written: bad option, unknown path, unreadable or hostile file, a value
// the file's encoding cannot hold.
class PadCommand {
public:
    static constexpr int Valid = 0;
    static constexpr int Problems = 1;
    static constexpr int UsageError = CliCommand::UsageError;

    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const CliEnvironment& env);

    static const char* Usage();

    // A value on one line: backslash, tab, CR and LF as \\, \t, \r and \n, the other controls
    // as TerminalText escapes them.
    static std::string Escaped(const std::string& value);
};
