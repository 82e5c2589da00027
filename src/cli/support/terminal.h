#pragma once
// What the command line needs to know of a terminal: whether a stream is
// one, and its size. Everything terminal-only (the progress board, the
// search's progress line, help wrapped to the width) asks here.
#include <cstdio>
#include <optional>

struct TerminalSize {
    int columns = 80;
    int lines = 24;
};

// The size of the terminal the stream writes to; nothing when it is no
// terminal (a file, a pipe).
std::optional<TerminalSize> TerminalSizeOf(std::FILE* stream);
