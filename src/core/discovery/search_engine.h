#pragma once
// The device search: V1 phase into the device table, V3 phase into the
// supplement table, merge, customer filter, then the result is handed over.
// RunSearch does one search on the calling thread; SearchWorker
// (search_worker.h) runs the families' searches on a thread of its own.
#include "discovery/address_range.h"
#include "discovery/device_entry.h"
#include "discovery/socket_pair.h"
#include "platform/clock.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class DiscoverySource;

struct SearchTiming {
    int64_t phaseMs = 3000; // each phase runs this long
    int64_t resendMs = 500; // the request is sent again once more than this has passed
    int64_t pauseMs = 50;   // pause after a datagram the length test does not accept
};

// What a search reports while it runs, on the search's threads, so that a
// window can show devices as their replies come in. Entries come in
// batches: a burst of replies is one call, not one per datagram. The final
// result (merged and customer-filtered) still comes at the end.
struct SearchProgress {
    // Devices new to this search: the V1 phase's, and each other family's.
    std::function<void(std::vector<DeviceEntry>)> v1Found;
    std::function<void(std::vector<DeviceEntry>)> v3Found; // V3 replies new to this search
};

struct SearchOptions {
    DiscoveryEndpoints endpoints;
    SearchTiming timing;
    // Allowed customer codes (from the configuration); see ApplyCustomerFilter.
    std::string customerCodes;
    net::DatagramSocketFactory socketFactory = net::CreateUdpSocket;
    Clock* clock = nullptr; // nullptr: the steady clock
    SearchProgress progress;
    // The device families' sources that SearchWorker runs side by side;
    // empty: the native search alone.
    std::vector<std::shared_ptr<DiscoverySource>> sources;
    // Set: the sources ask these addresses one by one instead of searching.
    std::optional<AddressRange> addresses;
    // Asked one by one in every search, beside it: ranges the user added
    // devices from, which the search itself does not reach.
    std::vector<AddressRange> rememberedRanges;
    // The interfaces the searches go out of, by name; empty: every one.
    // Replies are heard on every interface whatever the choice.
    std::vector<std::string> interfaceNames;
    // The machine's interfaces (tests give their own).
    std::function<std::vector<net::InterfaceAddress>()> localInterfaces = net::LocalInterfaces;
};

struct SearchResult {
    int setUpResult = kSocketsReady; // SetUpSockets' code; the table is empty unless 1
    DeviceTable devices;
};

// A phase's result: 1, or -8 when a request could not be sent (the phase
// then ends with what it has collected).
// found, when set, receives the new entries in batches as they come in.
using FoundCallback = std::function<void(std::vector<DeviceEntry>)>;
// interfaces: the machine's, to name the one each reply came in on.
// A MAC that answers again from another address keeps its first record,
// which lists the other address (DeviceEntry::otherAddresses).
int RunV1Phase(SocketPair& sockets, const SearchTiming& timing, Clock& clock, DeviceTable& devices,
               const std::atomic<bool>* stop = nullptr, const FoundCallback& found = {},
               const std::vector<net::InterfaceAddress>& interfaces = {});
int RunV3Phase(SocketPair& sockets, const SearchTiming& timing, Clock& clock, SupplementTable& supplement,
               const std::atomic<bool>* stop = nullptr, const FoundCallback& found = {});

// One full search on the calling thread. A set stop flag ends the phases
// early (used when the program goes away mid-search).
SearchResult RunSearch(const SearchOptions& options, const std::atomic<bool>* stop = nullptr);
