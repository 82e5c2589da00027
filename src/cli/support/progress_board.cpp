#include "support/progress_board.h"

#include <algorithm>

namespace {

constexpr int kBarWidth = 20;
constexpr std::size_t kAddressWidth = 15;

} // namespace

ProgressBoard::ProgressBoard(std::string verb, std::vector<std::string> ips)
    : m_verb(std::move(verb)), m_order(std::move(ips)) {
    for (const std::string& ip : m_order) {
        m_devices[ip];
    }
}

void ProgressBoard::SetPercent(const std::string& ip, int percent) {
    const auto found = m_devices.find(ip);
    if (found != m_devices.end() && !found->second.finished) {
        found->second.percent = std::clamp(percent, 0, 100);
    }
}

void ProgressBoard::Finish(const std::string& ip, bool succeeded) {
    const auto found = m_devices.find(ip);
    if (found != m_devices.end()) {
        found->second.finished = true;
        found->second.succeeded = succeeded;
    }
}

std::string ProgressBoard::DeviceLine(const std::string& ip, int percent) {
    const int filled = percent * kBarWidth / 100;
    // Addresses padded to the longest dotted form, so the bars line up.
    const std::string padded =
        ip.size() < kAddressWidth ? ip + std::string(kAddressWidth - ip.size(), ' ') : ip;
    return padded + "  [" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') + "] " + std::to_string(percent) +
           "%";
}

std::string ProgressBoard::AggregateLine() const {
    std::size_t done = 0;
    std::size_t failed = 0;
    for (const auto& [ip, device] : m_devices) {
        if (device.finished) {
            ++(device.succeeded ? done : failed);
        }
    }
    const std::size_t running = m_devices.size() - done - failed;
    return m_verb + " " + std::to_string(m_devices.size()) + " devices: " + std::to_string(done) + " done, " +
           std::to_string(failed) + " failed, " + std::to_string(running) + " running";
}

std::vector<std::string> ProgressBoard::Render(int width, int height) const {
    std::vector<std::string> lines;
    for (const std::string& ip : m_order) {
        const Device& device = m_devices.at(ip);
        if (!device.finished) {
            lines.push_back(DeviceLine(ip, device.percent));
        }
    }
    if (lines.empty()) {
        return lines;
    }
    // One line is kept free for the cursor, so the board never scrolls
    // itself off the top.
    if (static_cast<int>(lines.size()) > std::max(1, height - 1)) {
        lines.assign(1, AggregateLine());
    }
    // The last column stays empty: writing into it makes some terminals wrap.
    const std::size_t columns = static_cast<std::size_t>(std::max(1, width - 1));
    for (std::string& line : lines) {
        if (line.size() > columns) {
            line.resize(columns);
        }
    }
    return lines;
}
