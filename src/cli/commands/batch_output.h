#pragma once
// What a command on several devices prints: each device's result (as a
// table line when it arrives, or JSON / CSV records at the end) and, for an
// upgrade, the progress. On a terminal the progress is a board redrawn in
// place under the result lines (support/progress_board.h); otherwise plain
// "ADDRESS  N%" lines in the table format and nothing in JSON or CSV, whose
// output stays parseable. Safe to call from the batch's worker threads.
#include "discovery/device_entry.h"
#include "support/batch_results.h"
#include "support/progress_board.h"

#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class BatchOutput {
public:
    // verb names the batch on the aggregate progress line ("upgrading");
    // devices are the batch's, in the order their bars are shown.
    BatchOutput(OutputFormat format, const std::string& verb, const std::vector<const DeviceEntry*>& devices);

    void Progress(const DeviceEntry& entry, int percent);
    void Result(const DeviceEntry& entry, DeviceOutcome outcome, const std::string& text);
    // Prints the JSON or CSV records; the exit status of the results.
    int Finish();

private:
    void Redraw(const std::string& newLines, bool force);

    std::mutex m_mutex;
    OutputFormat m_format;
    std::vector<DeviceResult> m_results;
    // Where the progress board is drawn; null when no terminal shows it.
    std::FILE* m_boardOut = nullptr;
    std::optional<ProgressBoard> m_board;
    std::size_t m_boardLines = 0;
    std::chrono::steady_clock::time_point m_lastDraw;
};
