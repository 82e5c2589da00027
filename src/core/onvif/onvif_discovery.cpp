#include "onvif/onvif_discovery.h"

#include "onvif/clock_reader.h"
#include "onvif/match_collector.h"
#include "onvif/ws_discovery.h"

#include <algorithm>

namespace onvif {
namespace {

constexpr int kMaxWaitMs = 50;
constexpr std::size_t kMaxBurst = 64; // datagrams taken into one progress batch

} // namespace

OnvifDiscovery::OnvifDiscovery(std::shared_ptr<SoapTransport> transport, WsdNetwork network,
                               OnvifSearchTiming timing)
    : m_transport(std::move(transport)), m_network(std::move(network)), m_timing(timing) {}

SearchResult OnvifDiscovery::Run(const SearchOptions& options, const std::atomic<bool>* stop) {
    SearchResult result;
    std::vector<net::InterfaceAddress> interfaces = m_network.interfaces();
    if (!options.interfaceNames.empty()) {
        std::erase_if(interfaces, [&](const net::InterfaceAddress& item) {
            return std::find(options.interfaceNames.begin(), options.interfaceNames.end(), item.name) ==
                   options.interfaceNames.end();
        });
    }
    if (!interfaces.empty()) {
        result.devices = Probe({kWsDiscoveryGroup}, interfaces, options, stop);
    }
    return result;
}

UnicastProbeResult OnvifDiscovery::ProbeUnicast(uint32_t first, uint32_t last, const SearchOptions& options,
                                                const std::atomic<bool>* stop) {
    UnicastProbeResult result;
    if (first > last || last - first >= kMaxProbeAddresses) {
        return result;
    }
    result.accepted = true;
    std::vector<uint32_t> destinations;
    for (uint64_t address = first; address <= last; ++address) {
        destinations.push_back(static_cast<uint32_t>(address));
    }
    // One socket on any address: the routing table picks the way.
    result.devices =
        Probe(destinations, {net::InterfaceAddress{.name = "", .address = net::kAnyAddress}}, options, stop);
    return result;
}

DeviceTable OnvifDiscovery::Probe(const std::vector<uint32_t>& destinations,
                                  const std::vector<net::InterfaceAddress>& from,
                                  const SearchOptions& options, const std::atomic<bool>* stop) {
    const std::unique_ptr<WsdChannel> channel = m_network.openProbe(from);
    if (!channel) {
        return {};
    }
    Clock& clock = options.clock != nullptr ? *options.clock : SteadyClock();
    const int64_t window = std::max<int64_t>(options.timing.phaseMs * 2, 1);
    const auto stopped = [stop] { return stop != nullptr && stop->load(); };

    MatchCollector collector;
    ClockReader clocks(*m_transport, m_timing.clockConcurrency, [&options](const DeviceEntry& entry) {
        if (options.progress.v3Found) {
            options.progress.v3Found({entry});
        }
    });
    const int64_t start = clock.NowMs();
    int round = 0;
    while (!stopped()) {
        const int64_t elapsed = clock.NowMs() - start;
        if (elapsed >= window) {
            break;
        }
        const int64_t roundAt = window * round / 4;
        if (round < m_timing.rounds && elapsed >= roundAt) {
            for (std::size_t socket = 0; socket < channel->SocketCount(); ++socket) {
                for (const ProbeType type : {ProbeType::NetworkVideoTransmitter, ProbeType::Device}) {
                    for (const uint32_t destination : destinations) {
                        const std::string id = NewMessageId();
                        collector.AddSentProbe(id);
                        channel->Send(socket, BuildProbe(type, id), {destination, kWsDiscoveryPort});
                    }
                }
            }
            ++round;
            continue;
        }
        const int64_t nextEvent = round < m_timing.rounds ? std::min(window * round / 4, window) : window;
        const int wait = static_cast<int>(std::clamp<int64_t>(nextEvent - elapsed, 0, kMaxWaitMs));
        std::optional<WsdDatagram> datagram = channel->Receive(wait);
        std::vector<DeviceEntry> found;
        for (std::size_t taken = 1; datagram; ++taken) {
            const net::InterfaceAddress* via =
                datagram->socket < from.size() ? &from[datagram->socket] : nullptr;
            for (DeviceEntry& entry : collector.Take(*datagram, via)) {
                clocks.Add(entry);
                found.push_back(std::move(entry));
            }
            datagram = taken < kMaxBurst ? channel->Receive(0) : std::nullopt;
        }
        if (!found.empty() && options.progress.v1Found) {
            options.progress.v1Found(std::move(found));
        }
    }
    DeviceTable& devices = collector.Devices();
    for (DeviceEntry& read : clocks.Finish(stopped())) {
        const auto kept = devices.find(read.onvif.endpointReference);
        if (kept != devices.end()) {
            kept->second = std::move(read);
        }
    }
    return std::move(devices);
}

} // namespace onvif
