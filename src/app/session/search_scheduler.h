#pragma once
// SearchScheduler: when searches begin. It owns the periodic search and the
// rules of who may start one and what that does to the period: the device
// list's Search and the start-up restart the period, the title band's
// SEARCH leaves it running, and the period's end asks for a quiet search
// that is dropped without a word when refused. Every request goes through
// the one gate it is given (the session's StartSearch).
//
// The period runs on a Clock: a timer of the window's thread calls Tick
// when the clock says the period may be over, and tests that move their
// own clock call Tick themselves instead of waiting.
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>

class Clock;

// What became of a request to search: started (true), or refused with the
// language key of the tip that says why.
struct SearchStart {
    const char* refusal = nullptr;
    explicit operator bool() const { return refusal == nullptr; }
};

enum class SearchTrigger {
    Page,     // the device list's Search, and the first search at start-up
    Band,     // the title band's SEARCH
    Periodic, // the end of the period: quiet
};

class SearchScheduler : public QObject {
    Q_OBJECT

public:
    // The gate: starts a search (quiet or explicit) or says why not.
    using StartSearch = std::function<SearchStart(bool quiet)>;

    // clock must outlive the scheduler.
    SearchScheduler(QObject* parent, StartSearch start, Clock& clock);

    SearchStart Request(SearchTrigger trigger);
    // A period of 0 means no periodic search; the period starts anew.
    void SetPeriod(bool enabled, int periodMs);
    bool PeriodicOn() const { return m_enabled && m_periodMs > 0; }
    int PeriodMs() const { return m_periodMs; }
    // What is left of the period on the clock; -1 when it is off.
    int64_t RemainingMs() const;
    // Starts the periodic search when the period is over, and the next
    // period with it.
    void Tick();

private:
    void Restart();
    void ArmTimer();

    StartSearch m_start;
    Clock& m_clock;
    QTimer m_timer;
    bool m_enabled = false;
    int m_periodMs = 0;
    int64_t m_dueMs = 0;
};
