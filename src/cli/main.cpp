#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "CliArguments.h"
#include "CliCommand.h"

int main(int argc, char** argv) {
    // Past a file-size limit (ulimit -f) a write fails and is reported, instead of the
    // signal ending the program between two renames.
    std::signal(SIGXFSZ, SIG_IGN);
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const tolvane::CliParseResult parsed = tolvane::ParseCliArguments(args);
    if (!parsed.error.empty()) {
        std::cerr << "tolvane-cli: " << parsed.error << "\n\n" << tolvane::CliUsage();
        return 2;
    }
    if (parsed.arguments.help) {
        std::cout << tolvane::CliUsage();
        return 0;
    }
    return tolvane::RunCli(parsed.arguments, std::cout, std::cerr);
}
