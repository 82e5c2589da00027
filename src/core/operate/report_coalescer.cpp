#include "operate/report_coalescer.h"

bool ReportCoalescer::Add(const DeviceEntry& entry, const DeviceReport& report) {
    std::lock_guard lock(m_mutex);
    const bool wasEmpty = m_pending.empty();
    const auto progress = m_progressAt.find(&entry);
    if (report.outcome == BatchOutcome::Progress) {
        if (progress != m_progressAt.end()) {
            m_pending[progress->second].report = report;
            return wasEmpty;
        }
        m_progressAt[&entry] = m_pending.size();
    } else if (progress != m_progressAt.end()) {
        // A final report after progress: later progress must come after it.
        m_progressAt.erase(progress);
    }
    m_pending.push_back(Pending{&entry, report});
    return wasEmpty;
}

std::vector<ReportCoalescer::Pending> ReportCoalescer::Take() {
    std::lock_guard lock(m_mutex);
    std::vector<Pending> taken;
    taken.swap(m_pending);
    m_progressAt.clear();
    return taken;
}
