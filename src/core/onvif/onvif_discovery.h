#pragma once
// The ONVIF family's discovery source: WS-Discovery probes from every
// multicast-capable interface in the search window, the replies collected
// into one record per device (keyed by endpoint reference), and each
// device's clock read before any login. Also a unicast probe for devices
// multicast cannot reach.
#include "discovery/discovery_source.h"
#include "onvif/soap_transport.h"
#include "onvif/wsd_channel.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace onvif {

// Probes are sent in three rounds, at the start of the search window and a
// quarter and a half into it; the window is the native search's two phases.
struct OnvifSearchTiming {
    int rounds = 3;
    std::size_t clockConcurrency = 8; // GetSystemDateAndTime calls in flight
};

struct UnicastProbeResult {
    bool accepted = false; // false: an empty range or one over the limit
    DeviceTable devices;
};

class OnvifDiscovery : public DiscoverySource {
public:
    explicit OnvifDiscovery(std::shared_ptr<SoapTransport> transport, WsdNetwork network = {},
                            OnvifSearchTiming timing = {});

    // New devices go to options.progress.v1Found as they are heard; a
    // device whose clock was read later comes again, with its time, through
    // options.progress.v3Found. Keys: see DeviceKey.
    SearchResult Run(const SearchOptions& options, const std::atomic<bool>* stop) override;

    // Probes every address from first to last (host order, inclusive) on the
    // discovery port, in the same rounds and window as a search.
    UnicastProbeResult ProbeUnicast(uint32_t first, uint32_t last, const SearchOptions& options,
                                    const std::atomic<bool>* stop);
    DeviceTable ProbeAddresses(const AddressRange& range, const SearchOptions& options,
                               const std::atomic<bool>* stop) override {
        return ProbeUnicast(range.first, range.last, options, stop).devices;
    }

private:
    DeviceTable Probe(const std::vector<uint32_t>& destinations,
                      const std::vector<net::InterfaceAddress>& from, const SearchOptions& options,
                      const std::atomic<bool>* stop);

    std::shared_ptr<SoapTransport> m_transport;
    WsdNetwork m_network;
    OnvifSearchTiming m_timing;
};

} // namespace onvif
