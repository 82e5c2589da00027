#pragma once
// Where the command line takes passwords from, so that they never need to
// stand in the arguments (which every user of the machine can read in the
// process list): a file (its first line; "-" reads standard input), an
// environment variable, or a prompt on the terminal that does not echo. The
// option that takes the password itself still works, for a lab.
#include <string>

struct PasswordSources {
    bool optionGiven = false; // the password option was on the command line
    std::string option;
    std::string file; // the file option, empty when not given
    const char* environment = "CORVANE_PASSWORD";
    std::string prompt;                         // e.g. "Password for admin"; ": " follows
    bool confirm = false;                       // a new password: asked twice, both must agree
    std::string fileOption = "--password-file"; // for the message without a source
    std::string plainOption = "--password";
};

// The password by the first source present: the option, the file, the
// environment variable, the prompt when standard input is a terminal. false
// with a message in error when the file cannot be read, the prompt is ended
// without a line or the two entries differ, and when there is no source at
// all (no terminal to ask on): an empty password is never tried in its
// place, as each failed login counts towards the device's lock.
bool FindPassword(const PasswordSources& sources, std::string& password, std::string& error);
