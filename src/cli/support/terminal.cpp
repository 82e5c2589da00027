#include "support/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

std::optional<TerminalSize> TerminalSizeOf(std::FILE* stream) {
    const int fd = fileno(stream);
    if (fd < 0 || ::isatty(fd) == 0) {
        return std::nullopt;
    }
    TerminalSize size;
    winsize window{};
    // A terminal that does not tell its size is taken as 80 by 24.
    if (::ioctl(fd, TIOCGWINSZ, &window) == 0 && window.ws_col > 0 && window.ws_row > 0) {
        size.columns = window.ws_col;
        size.lines = window.ws_row;
    }
    return size;
}
