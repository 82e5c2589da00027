#pragma once
// The one line a search shows on a terminal while it runs ("corvane-cli:
// searching, 3 s, 12 devices found"), redrawn in place a few times a second
// and erased when the search ends, so the results start on a clean line.
// Nothing is drawn when the stream is no terminal: pipes and files get the
// results only.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

// The line for a search that has run seconds and found devices, cut to fit
// columns - 1 (a line as wide as the terminal would wrap).
std::string SearchProgressText(int seconds, std::size_t devices, int columns);

class SearchProgressLine {
public:
    // out: where the line goes (standard error); columns: the terminal's
    // width, 0 when out is no terminal (then the line does nothing).
    SearchProgressLine(std::FILE* out, int columns);
    ~SearchProgressLine();
    SearchProgressLine(const SearchProgressLine&) = delete;
    SearchProgressLine& operator=(const SearchProgressLine&) = delete;

    // Devices that answered (from the search's own threads).
    void Found(std::size_t devices);
    // Erases the line and stops redrawing; the destructor does it too.
    void Finish();

private:
    void Draw();

    std::FILE* m_out;
    int m_columns;
    std::chrono::steady_clock::time_point m_start;
    std::atomic<std::size_t> m_devices{0};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_finished = false;
    std::thread m_ticker;
};
