// corvane-cli: the command-line front end for automation on the same core as
// the desktop program.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"

namespace {

std::vector<CliCommand>& Registry() {
    static std::vector<CliCommand> commands;
    return commands;
}

int PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage: corvane-cli COMMAND [ARGS...]\n\ncommands:\n");
    auto commands = AllCliCommands();
    std::sort(commands.begin(), commands.end(),
              [](const CliCommand& a, const CliCommand& b) { return a.name < b.name; });
    for (const CliCommand& command : commands) {
        std::fprintf(out, "  %s\n", command.usage.c_str());
    }
    return out == stdout ? 0 : 2;
}

} // namespace

const std::vector<CliCommand>& AllCliCommands() {
    return Registry();
}

CliCommandRegistration::CliCommandRegistration(CliCommand command) {
    Registry().push_back(std::move(command));
}

int main(int argc, char** argv) {
    if (argc < 2) {
        return PrintUsage(stderr);
    }
    const std::string name = argv[1];
    if (name == "help" || name == "--help" || name == "-h") {
        return PrintUsage(stdout);
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const CliCommand& command : AllCliCommands()) {
        if (command.name == name) {
            return command.run(args);
        }
    }
    std::fprintf(stderr, "corvane-cli: unknown command \"%s\"\n", name.c_str());
    return PrintUsage(stderr);
}
