// corvane-cli: the command-line front end for automation on the same core as
// the desktop program.
#include "command.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#ifndef CORVANE_VERSION
#define CORVANE_VERSION "0"
#endif

namespace {

std::vector<CliCommand>& Registry() {
    static std::vector<CliCommand> commands;
    return commands;
}

} // namespace

const std::vector<CliCommand>& AllCliCommands() {
    return Registry();
}

CliCommandRegistration::CliCommandRegistration(CliCommand command) {
    Registry().push_back(std::move(command));
}

int UsageError(const std::string& command, const std::string& what) {
    std::fprintf(stderr, "corvane-cli %s: %s\n", command.c_str(), what.c_str());
    return kUsageError;
}

int main(int argc, char** argv) {
    CLI::App app("Finds and configures IP cameras and recorders on the local network.", "corvane-cli");
    app.set_version_flag("--version", "corvane-cli " CORVANE_VERSION);
    app.require_subcommand(1);
    app.footer("Run \"corvane-cli COMMAND --help\" for the options of a command.");

    std::vector<CliCommand> commands = AllCliCommands();
    std::sort(commands.begin(), commands.end(),
              [](const CliCommand& a, const CliCommand& b) { return a.name < b.name; });
    std::vector<std::pair<CLI::App*, std::function<int()>>> runners;
    for (const CliCommand& command : commands) {
        CLI::App* sub = app.add_subcommand(command.name, command.description);
        runners.emplace_back(sub, command.define(*sub));
    }
    // "corvane-cli help" as the earlier versions knew it.
    CLI::App* help = app.add_subcommand("help", "Show this help");
    help->group("");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // --help and --version end with 0; every usage error with 2.
        return app.exit(error) == 0 ? 0 : kUsageError;
    }
    if (*help) {
        std::printf("%s", app.help().c_str());
        return 0;
    }
    for (const auto& [sub, run] : runners) {
        if (*sub) {
            return run();
        }
    }
    return kUsageError;
}
