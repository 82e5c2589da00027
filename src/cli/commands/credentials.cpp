#include "credentials.h"

#include "sdk/session_crypto.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace {

void CutLineEnd(std::string& line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
}

bool ReadFirstLine(const std::string& file, std::string& line) {
    if (file == "-") {
        return static_cast<bool>(std::getline(std::cin, line));
    }
    std::ifstream in(file);
    if (!in) {
        return false;
    }
    std::getline(in, line);
    return !in.bad();
}

// Reads one line from the terminal on standard input with the echo off,
// the prompt and the closing line break on stderr.
bool PromptWithoutEcho(const std::string& prompt, std::string& password) {
    // The echo goes off before the prompt shows, so nothing typed after
    // the prompt is echoed or discarded by the change.
    termios saved{};
    const bool haveTerminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (haveTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::fprintf(stderr, "%s: ", prompt.c_str());
    std::fflush(stderr);
    const bool read = static_cast<bool>(std::getline(std::cin, password));
    if (haveTerminal) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    } else {
        std::fputc('\n', stderr);
    }
    CutLineEnd(password);
    return read;
}

bool AskOnTerminal(const PasswordSources& sources, std::string& password, std::string& error) {
    if (!PromptWithoutEcho(sources.prompt, password)) {
        error = "no password entered";
        return false;
    }
    if (!sources.confirm) {
        return true;
    }
    std::string again;
    const bool read = PromptWithoutEcho(sources.prompt + " (again)", again);
    const bool same = read && again == password;
    sdkwire::WipeAll(again);
    if (!same) {
        sdkwire::WipeAll(password);
        error = read ? "the two entries of the new password differ" : "no password entered";
        return false;
    }
    return true;
}

} // namespace

bool FindPassword(const PasswordSources& sources, std::string& password, std::string& error) {
    if (sources.optionGiven) {
        password = sources.option;
        return true;
    }
    if (!sources.file.empty()) {
        if (!ReadFirstLine(sources.file, password)) {
            error = "cannot read the password file " + sources.file;
            return false;
        }
        CutLineEnd(password);
        return true;
    }
    if (const char* fromEnvironment = std::getenv(sources.environment)) {
        password = fromEnvironment;
        return true;
    }
    if (::isatty(STDIN_FILENO) != 0) {
        return AskOnTerminal(sources, password, error);
    }
    error = "no password: give " + sources.fileOption + " or " + sources.environment +
            ", or run on a terminal to be asked (" + sources.plainOption +
            " works too, but shows the password in the process list)";
    return false;
}
