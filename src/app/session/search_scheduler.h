#pragma once
// SearchScheduler: when searches begin. It owns the periodic-search timer
// and the rules of who may start one and what that does to the period:
// the device list's Search and the start-up restart the period, the title
// band's SEARCH leaves it running, and the timer itself asks for a quiet
// search that is dropped without a word when refused. Every request goes
// through the session's one gate (DeviceSession::StartSearch).
#include <QObject>
#include <QTimer>

class DeviceSession;
struct SearchStart;

enum class SearchTrigger {
    Page,     // the device list's Search, and the first search at start-up
    Band,     // the title band's SEARCH
    Periodic, // the periodic timer: quiet
};

class SearchScheduler : public QObject {
    Q_OBJECT

public:
    explicit SearchScheduler(DeviceSession& session);

    SearchStart Request(SearchTrigger trigger);
    // A period of 0 means no periodic search; the timer starts anew.
    void SetPeriod(bool enabled, int periodMs);
    const QTimer& Timer() const { return m_timer; }

private:
    void Restart();

    DeviceSession& m_session;
    QTimer m_timer;
    bool m_enabled = false;
    int m_periodMs = 0;
};
