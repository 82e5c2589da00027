#pragma once
// The commands of corvane-cli. Each command lives in its own file under
// commands/ and registers itself with a static CliCommandRegistration.
#include <functional>
#include <string>
#include <vector>

struct CliCommand {
    std::string name;    // first argument on the command line
    std::string usage;   // one or more lines shown by "corvane-cli help"
    // Runs with the arguments after the name; the result is the exit status.
    std::function<int(const std::vector<std::string>& args)> run;
};

const std::vector<CliCommand>& AllCliCommands();

struct CliCommandRegistration {
    explicit CliCommandRegistration(CliCommand command);
};
