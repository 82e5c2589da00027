// corvane-cli: the command-line front end for automation on the same core as
// the desktop program.
#include "command.h"
#include "platform/memory.h"
#include "support/terminal.h"
#include "support/text_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#ifndef CORVANE_VERSION
#define CORVANE_VERSION "0"
#endif

namespace {

std::vector<CliCommand>& Registry() {
    static std::vector<CliCommand> commands;
    return commands;
}

// Help wrapped at word boundaries to the terminal's width.
class WrappingFormatter : public CLI::Formatter {
public:
    explicit WrappingFormatter(std::size_t width) : m_width(width) {}

    std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override {
        return WrapText(CLI::Formatter::make_help(app, std::move(name), mode), m_width);
    }

private:
    std::size_t m_width;
};

// A first argument that is neither an option nor a command: say so, with
// the commands there are, instead of the parser's "not expected" message.
bool IsUnknownCommand(int argc, char** argv, const std::vector<CliCommand>& commands) {
    if (argc < 2 || argv[1][0] == '-' || std::strcmp(argv[1], "help") == 0) {
        return false;
    }
    return std::none_of(commands.begin(), commands.end(),
                        [&](const CliCommand& command) { return command.name == argv[1]; });
}

int ReportUnknownCommand(const char* name, const std::vector<CliCommand>& commands) {
    std::string list;
    for (const CliCommand& command : commands) {
        list += (list.empty() ? "" : ", ") + command.name;
    }
    std::fprintf(stderr, "corvane-cli: unknown command '%s'\n", name);
    const std::string text = "Commands: " + list + ".\nRun \"corvane-cli --help\" for what each does.";
    const std::optional<TerminalSize> terminal = TerminalSizeOf(stderr);
    std::fprintf(stderr, "%s\n",
                 (terminal ? WrapText(text, static_cast<std::size_t>(terminal->columns - 1)) : text).c_str());
    return kUsageError;
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
    KeepLargeBlocksSeparate();
    ShareAllocatorHeaps();
    CLI::App app("Finds and configures IP cameras and recorders on the local network.", "corvane-cli");
    app.set_version_flag("--version", "corvane-cli " CORVANE_VERSION);
    app.require_subcommand(1);
    app.footer("Run \"corvane-cli COMMAND --help\" for the options of a command.");
    // On a terminal the help fits its width (a line as wide as the terminal
    // would wrap by itself, so one column less); files and pipes get it as is.
    if (const std::optional<TerminalSize> terminal = TerminalSizeOf(stdout)) {
        app.formatter(std::make_shared<WrappingFormatter>(static_cast<std::size_t>(terminal->columns - 1)));
    }

    std::vector<CliCommand> commands = AllCliCommands();
    std::sort(commands.begin(), commands.end(),
              [](const CliCommand& a, const CliCommand& b) { return a.name < b.name; });
    if (IsUnknownCommand(argc, argv, commands)) {
        return ReportUnknownCommand(argv[1], commands);
    }
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
