#include "support/search_progress.h"

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(250);

} // namespace

std::string SearchProgressText(int seconds, std::size_t devices, int columns) {
    std::string text = "corvane-cli: searching, " + std::to_string(seconds) + " s, " +
                       std::to_string(devices) + (devices == 1 ? " device found" : " devices found");
    const std::size_t room = columns > 1 ? static_cast<std::size_t>(columns - 1) : 0;
    if (text.size() > room) {
        text.resize(room);
    }
    return text;
}

SearchProgressLine::SearchProgressLine(std::FILE* out, int columns)
    : m_out(out), m_columns(columns), m_start(std::chrono::steady_clock::now()) {
    if (m_columns <= 1) {
        m_finished = true;
        return;
    }
    Draw();
    m_ticker = std::thread([this] {
        std::unique_lock lock(m_mutex);
        while (!m_wake.wait_for(lock, kRedrawInterval, [this] { return m_finished; })) {
            Draw();
        }
    });
}

SearchProgressLine::~SearchProgressLine() {
    Finish();
}

void SearchProgressLine::Found(std::size_t devices) {
    m_devices += devices;
}

void SearchProgressLine::Finish() {
    {
        std::lock_guard lock(m_mutex);
        if (m_finished) {
            return;
        }
        m_finished = true;
    }
    m_wake.notify_all();
    if (m_ticker.joinable()) {
        m_ticker.join();
    }
    // Back to the line's start, cleared.
    std::fputs("\r\033[K", m_out);
    std::fflush(m_out);
}

void SearchProgressLine::Draw() {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - m_start);
    const std::string line =
        "\r" + SearchProgressText(static_cast<int>(seconds.count()), m_devices, m_columns) + "\033[K";
    std::fputs(line.c_str(), m_out);
    std::fflush(m_out);
}
