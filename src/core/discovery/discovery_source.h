#pragma once
// One device family's way of finding devices. A search runs every source
// side by side in the same search window, each on a thread of its own, and
// merges what they find into one table keyed by MAC: a device that several
// families find is one record (see MergeFamily).
//
// A source reports new devices through options.progress.v1Found as it
// finds them (texts that come later through v3Found) and returns its whole
// table at the end; it ends early when stop is set.
#include "discovery/address_range.h"
#include "discovery/search_engine.h"

#include <atomic>
#include <memory>
#include <vector>

class DiscoverySource {
public:
    virtual ~DiscoverySource() = default;
    virtual SearchResult Run(const SearchOptions& options, const std::atomic<bool>* stop) = 0;
    // Asks every address of the range directly, for devices beyond the
    // search's reach, in the same window as a search. A family that cannot
    // ask one address finds nothing.
    virtual DeviceTable ProbeAddresses(const AddressRange& range, const SearchOptions& options,
                                       const std::atomic<bool>* stop) {
        (void)range, (void)options, (void)stop;
        return {};
    }
};

using DiscoverySources = std::vector<std::shared_ptr<DiscoverySource>>;

// The native family's search (the V1 and V3 broadcasts).
std::shared_ptr<DiscoverySource> NativeDiscovery();

// Runs every source at once and merges their tables into the first one's
// result; the set-up result is the first (native) source's, whose failure
// is the one the user is told of.
SearchResult RunSources(const DiscoverySources& sources, const SearchOptions& options,
                        const std::atomic<bool>* stop);

// Runs every source's probe of the range at once and merges what they find
// as RunSources does.
DeviceTable ProbeSources(const DiscoverySources& sources, const AddressRange& range,
                         const SearchOptions& options, const std::atomic<bool>* stop);

// Adds found to table: new devices as they are; a device already in the
// table under the same key, or else at the same address, stays one record:
// it keeps its own facts, gains found's families and found's ONVIF facts
// when it had none; its operations are the native family's when that
// family found it (its link works with the device), else the union.
void MergeFamily(DeviceTable& table, const DeviceTable& found);
