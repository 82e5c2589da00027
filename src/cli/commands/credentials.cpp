#include "credentials.h"

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
bool PromptWithoutEcho(const std::string& user, std::string& password) {
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
    std::fprintf(stderr, "Password for %s: ", user.c_str());
    std::fflush(stderr);
    const bool read = static_cast<bool>(std::getline(std::cin, password));
    if (haveTerminal) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    } else {
        std::fputc('\n', stderr);
    }
    return read;
}

} // namespace

bool FindPassword(const PasswordSources& sources, const std::string& user, std::string& password,
                  std::string& error) {
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
    if (const char* fromEnvironment = std::getenv("CORVANE_PASSWORD")) {
        password = fromEnvironment;
        return true;
    }
    if (::isatty(STDIN_FILENO) != 0) {
        if (!PromptWithoutEcho(user, password)) {
            error = "no password entered";
            return false;
        }
        CutLineEnd(password);
        return true;
    }
    password.clear();
    return true;
}
