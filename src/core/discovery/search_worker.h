#pragma once
// The search on a worker thread: every discovery source of the options (the
// native search alone when none is given), side by side, one search at a
// time. A probe of the options' addresses runs here the same way.
#include "discovery/search_engine.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

// The worker fills tables of its own and hands them over, moved, to the callback, which runs on the
// worker thread: the receiver posts it on to its own thread.
class SearchWorker {
public:
    using PublishCallback = std::function<void(SearchResult)>;

    SearchWorker() = default;
    ~SearchWorker();
    SearchWorker(const SearchWorker&) = delete;
    SearchWorker& operator=(const SearchWorker&) = delete;

    // False (and nothing started) while a search is running.
    bool Start(SearchOptions options, PublishCallback publish);
    // True from Start until the callback has returned.
    bool IsSearching() const { return m_searching.load(); }
    // Waits for the running search, if any, to finish.
    void Wait();

private:
    std::mutex m_startMutex;
    std::thread m_thread;
    std::atomic<bool> m_searching{false};
    std::atomic<bool> m_stop{false};
};
