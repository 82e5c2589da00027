#include "session/search_scheduler.h"

#include "platform/clock.h"

#include <algorithm>

SearchScheduler::SearchScheduler(QObject* parent, StartSearch start, Clock& clock)
    : QObject(parent), m_start(std::move(start)), m_clock(clock) {
    m_timer.setObjectName("periodicSearchTimer");
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SearchScheduler::Tick);
}

SearchStart SearchScheduler::Request(SearchTrigger trigger) {
    switch (trigger) {
    case SearchTrigger::Band:
        return m_start(false);
    case SearchTrigger::Periodic:
        return m_start(true);
    case SearchTrigger::Page:
        break;
    }
    const SearchStart start = m_start(false);
    Restart();
    return start;
}

void SearchScheduler::SetPeriod(bool enabled, int periodMs) {
    m_enabled = enabled;
    m_periodMs = periodMs;
    Restart();
}

int64_t SearchScheduler::RemainingMs() const {
    if (!PeriodicOn()) {
        return -1;
    }
    return std::max<int64_t>(0, m_dueMs - m_clock.NowMs());
}

void SearchScheduler::Tick() {
    if (!PeriodicOn()) {
        return;
    }
    if (m_clock.NowMs() < m_dueMs) {
        ArmTimer(); // woken early: wait for the rest
        return;
    }
    m_dueMs = m_clock.NowMs() + m_periodMs;
    ArmTimer();
    Request(SearchTrigger::Periodic);
}

void SearchScheduler::Restart() {
    m_timer.stop();
    if (PeriodicOn()) {
        m_dueMs = m_clock.NowMs() + m_periodMs;
        ArmTimer();
    }
}

void SearchScheduler::ArmTimer() {
    m_timer.start(static_cast<int>(std::clamp<int64_t>(m_dueMs - m_clock.NowMs(), 0, m_periodMs)));
}
