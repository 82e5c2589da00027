#include "discovery/discovery_source.h"

#include <string>
#include <thread>
#include <unordered_map>

namespace {

class NativeSource : public DiscoverySource {
public:
    SearchResult Run(const SearchOptions& options, const std::atomic<bool>* stop) override {
        return RunSearch(options, stop);
    }
};

} // namespace

void MergeFamily(DeviceTable& table, const DeviceTable& found) {
    // An address tells one device only while one device has it: devices
    // that share a factory address stay records of their own.
    std::unordered_map<std::string, std::string> keyByAddress;
    std::unordered_map<std::string, int> holders;
    for (const auto& [key, entry] : table) {
        keyByAddress.try_emplace(entry.ip, key);
        ++holders[entry.ip];
    }
    for (const auto& [key, entry] : found) {
        ++holders[entry.ip];
    }
    for (const auto& [key, entry] : found) {
        auto kept = table.find(key);
        if (kept == table.end() && !entry.ip.empty() && holders[entry.ip] == 2) {
            const auto byAddress = keyByAddress.find(entry.ip);
            if (byAddress != keyByAddress.end()) {
                kept = table.find(byAddress->second);
                if (!MaySameDevice(kept->second, entry)) {
                    kept = table.end();
                }
            }
        }
        if (kept == table.end()) {
            table.emplace(key, entry);
            keyByAddress.try_emplace(entry.ip, key);
            continue;
        }
        DeviceEntry& record = kept->second;
        // The native link works with a device the native family found, so
        // the record offers what that link does.
        if (entry.families.Has(DeviceFamily::Native) && !record.families.Has(DeviceFamily::Native)) {
            record.operations = entry.operations;
        } else if (!record.families.Has(DeviceFamily::Native)) {
            record.operations |= entry.operations;
        }
        record.families |= entry.families;
        if (record.interfaceName.empty()) {
            record.interfaceName = entry.interfaceName;
            record.localAddress = entry.localAddress;
        }
        if (record.onvif.endpointReference.empty() && !entry.onvif.endpointReference.empty()) {
            record.onvif = entry.onvif;
        }
    }
}

SearchResult RunSources(const DiscoverySources& sources, const SearchOptions& options,
                        const std::atomic<bool>* stop) {
    if (sources.empty()) {
        return {};
    }
    std::vector<SearchResult> results(sources.size());
    std::vector<std::thread> others;
    others.reserve(sources.size() - 1);
    for (std::size_t i = 1; i < sources.size(); ++i) {
        others.emplace_back([&, i] { results[i] = sources[i]->Run(options, stop); });
    }
    results[0] = sources[0]->Run(options, stop);
    for (std::thread& other : others) {
        other.join();
    }
    SearchResult merged = std::move(results[0]);
    for (std::size_t i = 1; i < results.size(); ++i) {
        MergeFamily(merged.devices, results[i].devices);
    }
    return merged;
}

DeviceTable ProbeSources(const DiscoverySources& sources, const AddressRange& range,
                         const SearchOptions& options, const std::atomic<bool>* stop) {
    std::vector<DeviceTable> found(sources.size());
    std::vector<std::thread> probes;
    probes.reserve(sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        probes.emplace_back([&, i] { found[i] = sources[i]->ProbeAddresses(range, options, stop); });
    }
    for (std::thread& probe : probes) {
        probe.join();
    }
    DeviceTable merged;
    for (const DeviceTable& table : found) {
        MergeFamily(merged, table);
    }
    return merged;
}

std::shared_ptr<DiscoverySource> NativeDiscovery() {
    return std::make_shared<NativeSource>();
}
