#pragma once

#include "cli/CliCommand.h"

#include <ostream>
#include <string>
#include <vector>

struct CliEnvironment;

// `quillpost-cli validate-pads`: Validate PADs from the command line. For each product (all
// of the products file, or those picked by --product) its PAD file is downloaded and checked
// as the program's Validate PADs does (through --proxy when given), against the program's data/categories.dat and
// the rules of its pad_spec.xml when there is a usable one (one line on stderr says when there is one that is not). One
// block per product, in the list's order: "Yes" or "No", the title and the PAD link, tab-separated, then one line per
// problem, starting with a tab (field (path): what is wrong).
class ValidatePadsCommand {
public:
    static constexpr int AllValid = 0;
    static constexpr int NotAllValid = 1;
    static constexpr int UsageError = CliCommand::UsageError;
    static constexpr const char* CategoriesFile = "data/categories.dat";

    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const CliEnvironment& env);

    static const char* Usage();
};
