#pragma once
// Where the command line takes the login password from, so that it never
// needs to stand in the arguments (which every user of the machine can read
// in the process list): --password-file FILE (its first line; "-" reads
// standard input), the environment variable CORVANE_PASSWORD, or a prompt on
// the terminal that does not echo. --password still works, for a lab.
#include <string>

struct PasswordSources {
    bool optionGiven = false; // --password was on the command line
    std::string option;
    std::string file; // --password-file, empty when not given
};

// The password by the first source present: --password, --password-file,
// CORVANE_PASSWORD, the prompt when standard input is a terminal; else the
// empty password. false with a message in error when the file cannot be read
// or the prompt is ended without a line.
bool FindPassword(const PasswordSources& sources, const std::string& user, std::string& password,
                  std::string& error);
