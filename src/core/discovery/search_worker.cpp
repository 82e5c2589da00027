#include "discovery/search_worker.h"

#include "discovery/discovery_source.h"

namespace {

SearchResult SearchWithRanges(const DiscoverySources& sources, const SearchOptions& options,
                              const std::atomic<bool>* stop) {
    std::vector<DeviceTable> probed(options.rememberedRanges.size());
    std::vector<std::thread> probes;
    for (std::size_t i = 0; i < probed.size(); ++i) {
        probes.emplace_back(
            [&, i] { probed[i] = ProbeSources(sources, options.rememberedRanges[i], options, stop); });
    }
    SearchResult result = RunSources(sources, options, stop);
    for (std::size_t i = 0; i < probes.size(); ++i) {
        probes[i].join();
        MergeFamily(result.devices, probed[i]);
    }
    return result;
}

} // namespace

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
        const DiscoverySources& sources =
            options.sources.empty() ? DiscoverySources{NativeDiscovery()} : options.sources;
        SearchResult result;
        if (options.addresses) {
            result.devices = ProbeSources(sources, *options.addresses, options, &m_stop);
        } else {
            result = SearchWithRanges(sources, options, &m_stop);
        }
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
