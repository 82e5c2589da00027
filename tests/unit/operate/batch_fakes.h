#pragma once
// A login prompt, an observer and a clock for the batch engine's tests.
#include "operate/batch_engine.h"
#include "platform/clock.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class Prompt : public ILoginPrompt {
public:
    bool AskCredentials(const LoginPromptRequest&, std::string& user, std::string& password) override {
        ++asked;
        user = "admin";
        password = "x";
        return !cancel;
    }
    std::atomic<int> asked{0};
    bool cancel = false;
};

inline std::string Keys(const std::string& key) {
    return "<" + key + ">";
}

class Observer : public IBatchObserver {
public:
    void OnDeviceReport(const DeviceEntry& entry, const DeviceReport& report) override {
        std::lock_guard lock(mutex);
        outcomes.push_back(report.outcome);
        if (report.outcome != BatchOutcome::Cancelled) {
            lines.push_back(ReportLine(entry, report, Keys));
        }
        changed.notify_all();
    }
    void OnRecordsChanged() override {
        std::lock_guard lock(mutex);
        ++portsChanged;
    }
    void OnBatchEnded(BatchOperation operation, bool completed) override {
        std::lock_guard lock(mutex);
        ended.emplace_back(operation, completed);
        changed.notify_all();
    }
    // Waits (up to 10 s) until done holds; done runs under the mutex.
    bool WaitUntil(const std::function<bool()>& done) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), done);
    }
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> lines;
    std::vector<BatchOutcome> outcomes;
    std::vector<std::pair<BatchOperation, bool>> ended;
    int portsChanged = 0;
};

// A clock that moves only when the test says so. Its waits also return
// after a few real milliseconds, so a wake-up lost between the engine's
// test of the time and its wait costs nothing but that.
class ManualClock : public Clock {
public:
    int64_t NowMs() override { return m_now.load(); }
    void SleepMs(int64_t ms) override { m_now += ms; }
    void WaitFor(std::condition_variable& signal, std::unique_lock<std::mutex>& lock, int64_t) override {
        ++m_waits;
        signal.wait_for(lock, std::chrono::milliseconds(2));
    }
    // Moves the time, then returns once the waiting thread has gone round
    // its loop at least once after the move (two new waits).
    void Advance(int64_t ms) {
        const int waits = m_waits.load();
        m_now += ms;
        while (m_waits.load() < waits + 2) {
            std::this_thread::yield();
        }
    }

private:
    std::atomic<int64_t> m_now{1000};
    std::atomic<int> m_waits{0};
};
