#include "net/RequestCommand.h"

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    if (argc >= 2 && std::strcmp(argv[1], "request") == 0) {
        const std::vector<std::string> args(argv + 2, argv + argc);
        return RequestCommand::Run(args, std::cout, std::cerr);
    }
    std::cerr << RequestCommand::Usage();
    return RequestCommand::UsageError;
}
