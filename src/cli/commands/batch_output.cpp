#include "batch_output.h"

#include "support/terminal.h"

namespace {

// Redraws of the board at most this often; results are drawn at once.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

} // namespace

BatchOutput::BatchOutput(OutputFormat format, const std::string& verb,
                         const std::vector<const DeviceEntry*>& devices)
    : m_format(format) {
    // The table goes to standard output; JSON and CSV keep it for the
    // records, and a board for a person goes to the terminal on stderr.
    std::FILE* terminal = format == OutputFormat::Table ? stdout : stderr;
    if (TerminalSizeOf(terminal)) {
        m_boardOut = terminal;
        std::vector<std::string> ips;
        for (const DeviceEntry* entry : devices) {
            ips.push_back(entry->ip);
        }
        m_board.emplace(verb, std::move(ips));
    }
}

void BatchOutput::Progress(const DeviceEntry& entry, int percent) {
    std::lock_guard lock(m_mutex);
    if (m_board) {
        m_board->SetPercent(entry.ip, percent);
        Redraw({}, false);
    } else if (m_format == OutputFormat::Table) {
        std::printf("%s  %d%%\n", TableCell(entry.ip).c_str(), percent);
        std::fflush(stdout);
    }
}

void BatchOutput::Result(const DeviceEntry& entry, DeviceOutcome outcome, const std::string& text) {
    std::lock_guard lock(m_mutex);
    DeviceResult result{entry.ip, entry.mac, outcome, text};
    const std::string line = m_format == OutputFormat::Table ? ResultLine(result) + "\n" : std::string();
    m_results.push_back(std::move(result));
    if (m_board) {
        m_board->Finish(entry.ip, outcome == DeviceOutcome::Success);
        Redraw(line, true);
    } else {
        std::fputs(line.c_str(), stdout);
        std::fflush(stdout);
    }
}

void BatchOutput::Redraw(const std::string& newLines, bool force) {
    const auto now = std::chrono::steady_clock::now();
    if (!force && m_boardLines > 0 && now - m_lastDraw < kRedrawInterval) {
        return;
    }
    m_lastDraw = now;
    const TerminalSize size = TerminalSizeOf(m_boardOut).value_or(TerminalSize{});
    // Back to the board's first line, clear to the end of the screen, the new
    // result lines (which then scroll above), and the board again.
    std::string out = "\r";
    if (m_boardLines > 0) {
        out += "\033[" + std::to_string(m_boardLines) + "A";
    }
    out += "\033[J";
    if (m_boardOut == stdout) {
        out += newLines;
    }
    const std::vector<std::string> lines = m_board->Render(size.columns, size.lines);
    for (const std::string& line : lines) {
        out += line;
        out += '\n';
    }
    m_boardLines = lines.size();
    std::fputs(out.c_str(), m_boardOut);
    std::fflush(m_boardOut);
}

int BatchOutput::Finish() {
    std::lock_guard lock(m_mutex);
    if (m_format != OutputFormat::Table) {
        const std::string out = FormatResults(m_results, m_format);
        std::fwrite(out.data(), 1, out.size(), stdout);
        std::fflush(stdout);
    }
    return ResultsExitStatus(m_results);
}
