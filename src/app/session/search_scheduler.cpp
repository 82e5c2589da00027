#include "session/search_scheduler.h"

#include "session/device_session.h"

SearchScheduler::SearchScheduler(DeviceSession& session) : QObject(&session), m_session(session) {
    m_timer.setObjectName("periodicSearchTimer");
    connect(&m_timer, &QTimer::timeout, this, [this] { Request(SearchTrigger::Periodic); });
}

SearchStart SearchScheduler::Request(SearchTrigger trigger) {
    switch (trigger) {
    case SearchTrigger::Band:
        return m_session.StartSearch(false);
    case SearchTrigger::Periodic:
        return m_session.StartSearch(true);
    case SearchTrigger::Page:
        break;
    }
    m_timer.stop();
    const SearchStart start = m_session.StartSearch(false);
    Restart();
    return start;
}

void SearchScheduler::SetPeriod(bool enabled, int periodMs) {
    m_enabled = enabled;
    m_periodMs = periodMs;
    Restart();
}

void SearchScheduler::Restart() {
    m_timer.stop();
    if (m_enabled && m_periodMs > 0) {
        m_timer.start(m_periodMs);
    }
}
