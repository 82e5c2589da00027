#include "discovery/search_worker.h"

#include "discovery/discovery_source.h"

SearchWorker::~SearchWorker() {
    m_stop = true;
    Wait();
}

bool SearchWorker::Start(SearchOptions options, PublishCallback publish) {
    std::lock_guard lock(m_startMutex);
    if (m_searching.load()) {
        return false;
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_searching = true;
    m_thread = std::thread([this, options = std::move(options), publish = std::move(publish)]() {
        SearchResult result =
            RunSources(options.sources.empty() ? DiscoverySources{NativeDiscovery()} : options.sources,
                       options, &m_stop);
        publish(std::move(result));
        m_searching = false;
    });
    return true;
}

void SearchWorker::Wait() {
    std::lock_guard lock(m_startMutex);
    if (m_thread.joinable()) {
        m_thread.join();
    }
}
