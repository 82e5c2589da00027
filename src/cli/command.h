#pragma once
// The commands of corvane-cli. Each command lives in its own file under
// commands/ and registers itself with a static CliCommandRegistration; the
// option parser gives every command its own --help and refuses bad usage
// with exit status 2.
#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <vector>

// Exit status of a command line the parser accepted but the command refuses.
inline constexpr int kUsageError = 2;

struct CliCommand {
    std::string name;        // first argument on the command line
    std::string description; // one line in "corvane-cli --help"
    // Declares the command's options on its subcommand and returns what runs
    // it after a successful parse; its result is the exit status.
    std::function<std::function<int()>(CLI::App& command)> define;
};

const std::vector<CliCommand>& AllCliCommands();

struct CliCommandRegistration {
    explicit CliCommandRegistration(CliCommand command);
};

// Prints "corvane-cli NAME: what" on stderr and gives kUsageError.
int UsageError(const std::string& command, const std::string& what);
