#include "discovery/search_engine.h"

#include "discovery/customer_filter.h"
#include "discovery/datagrams.h"

#include <algorithm>
#include <array>

namespace {

using ReceiveBuffer = std::array<uint8_t, kReceiveBufferSize>;

bool Stopped(const std::atomic<bool>* stop) {
    return stop != nullptr && stop->load();
}

// Names the interface and local address a reply came in on.
void StampReceivedOn(DeviceEntry& entry, const net::ReceivedOn& on,
                     const std::vector<net::InterfaceAddress>& interfaces) {
    const auto known =
        std::find_if(interfaces.begin(), interfaces.end(),
                     [&](const net::InterfaceAddress& item) { return item.index == on.interfaceIndex; });
    entry.interfaceName = known != interfaces.end() ? known->name : net::InterfaceNameOf(on.interfaceIndex);
    entry.localAddress = on.localAddress != 0 ? net::AddressToText(on.localAddress) : std::string();
}

// A second reply of a MAC already in the table: a new address is noted.
void NoteOtherAddress(DeviceEntry& kept, const std::string& address) {
    if (address != kept.ip && std::find(kept.otherAddresses.begin(), kept.otherAddresses.end(), address) ==
                                  kept.otherAddresses.end()) {
        kept.otherAddresses.push_back(address);
    }
}

// The common frame of both phases: send at once, resend once more than
// resendMs have passed since the last send, and hand every receive attempt
// to the phase's receive test until phaseMs have passed.
template <typename ReceiveTest>
int RunPhase(SocketPair& sockets, SearchVersion version, const SearchTiming& timing, Clock& clock,
             const std::atomic<bool>* stop, ReceiveTest&& test) {
    const Datagram request = BuildSearchRequest(version);
    int64_t now = clock.NowMs();
    const int64_t start = now;
    int64_t lastSend = start;
    if (!sockets.Send(request)) {
        return kSendFailed;
    }
    ReceiveBuffer buffer;
    while (now - start < timing.phaseMs && !Stopped(stop)) {
        if (now > lastSend + timing.resendMs) {
            if (!sockets.Send(request)) {
                return kSendFailed;
            }
            lastSend = now;
        }
        net::ReceivedOn on;
        const int length = sockets.Receive(buffer, &on);
        test(buffer, length, now, start, lastSend, on);
        now = clock.NowMs();
    }
    return 1;
}

// Collects the new entries of a phase and hands them on in batches: at
// once when the socket has nothing waiting, and during a burst every
// kFlushMs or kFlushCount entries, so the first devices show at once and a
// thousand replies are a few dozen calls.
class FoundBatcher {
public:
    explicit FoundBatcher(const FoundCallback& found) : m_found(found) {}
    ~FoundBatcher() { Flush(); }
    FoundBatcher(const FoundBatcher&) = delete;
    FoundBatcher& operator=(const FoundBatcher&) = delete;

    void Add(const DeviceEntry& entry, int64_t now) {
        if (!m_found) {
            return;
        }
        m_pending.push_back(entry);
        // The first device of a search shows without delay.
        if (!m_flushed || m_pending.size() >= kFlushCount || now - m_lastFlushMs >= kFlushMs) {
            Flush();
            m_lastFlushMs = now;
        }
    }
    void Flush() {
        if (m_found && !m_pending.empty()) {
            m_found(std::move(m_pending));
            m_pending.clear();
            m_flushed = true;
        }
    }

private:
    static constexpr std::size_t kFlushCount = 200;
    static constexpr int64_t kFlushMs = 40;
    const FoundCallback& m_found;
    std::vector<DeviceEntry> m_pending;
    bool m_flushed = false;
    int64_t m_lastFlushMs = 0;
};

} // namespace

int RunV1Phase(SocketPair& sockets, const SearchTiming& timing, Clock& clock, DeviceTable& devices,
               const std::atomic<bool>* stop, const FoundCallback& found,
               const std::vector<net::InterfaceAddress>& interfaces) {
    FoundBatcher batch(found);
    return RunPhase(sockets, SearchVersion::V1, timing, clock, stop,
                    [&](const ReceiveBuffer& buffer, int length, int64_t now, int64_t, int64_t,
                        const net::ReceivedOn& on) {
                        if (length != static_cast<int>(kV1ReplySize)) {
                            batch.Flush();
                            clock.SleepMs(timing.pauseMs);
                            return;
                        }
                        if (!HasMagic(buffer, kSearchV1Magic)) {
                            return;
                        }
                        std::optional<DeviceEntry> entry =
                            ParseV1Reply(std::span(buffer).first(kV1ReplySize));
                        if (entry) {
                            entry->operations = NativeOperations(entry->capabilities);
                            entry->families = DeviceFamilies{DeviceFamily::Native};
                            StampReceivedOn(*entry, on, interfaces);
                            // The first reply of a device wins.
                            const auto [where, inserted] = devices.try_emplace(entry->mac, std::move(*entry));
                            if (inserted) {
                                batch.Add(where->second, now);
                            } else {
                                NoteOtherAddress(where->second, entry->ip);
                            }
                        }
                    });
}

int RunV3Phase(SocketPair& sockets, const SearchTiming& timing, Clock& clock, SupplementTable& supplement,
               const std::atomic<bool>* stop, const FoundCallback& found) {
    FoundBatcher batch(found);
    std::size_t expectedLength = 0;
    return RunPhase(sockets, SearchVersion::V3, timing, clock, stop,
                    [&](const ReceiveBuffer& buffer, int length, int64_t now, int64_t start, int64_t lastSend,
                        const net::ReceivedOn&) {
                        if (!HasMagic(buffer, kSearchV3Magic)) {
                            if (length < 0) {
                                batch.Flush();
                                // Nothing waiting: no pause, as the protocol's V3 loop
                                // polls on at once; but wait in the kernel for the next
                                // datagram, the next resend or the phase's end instead
                                // of spinning a processor for three seconds.
                                const int64_t nextEvent =
                                    std::min(lastSend + timing.resendMs + 1, start + timing.phaseMs);
                                sockets.WaitForDatagram(std::max<int64_t>(1, nextEvent - now));
                            }
                            return;
                        }
                        if (buffer[16] == 1 && buffer[17] == 0) {
                            expectedLength = kV3ReplySize;
                        }
                        if (length < 0 || static_cast<std::size_t>(length) != expectedLength) {
                            clock.SleepMs(timing.pauseMs);
                            return;
                        }
                        std::optional<DeviceEntry> entry =
                            ParseV3Reply(std::span(buffer).first(kV3ReplySize));
                        if (entry) {
                            const auto [where, inserted] =
                                supplement.try_emplace(entry->mac, std::move(*entry));
                            if (inserted) {
                                batch.Add(where->second, now);
                            }
                        }
                    });
}

SearchResult RunSearch(const SearchOptions& options, const std::atomic<bool>* stop) {
    Clock& clock = options.clock != nullptr ? *options.clock : SteadyClock();
    SearchResult result;
    SocketPair sockets(options.socketFactory);
    result.setUpResult = sockets.SetUpSockets(options.endpoints);
    if (result.setUpResult != kSocketsReady) {
        return result;
    }
    const std::vector<net::InterfaceAddress> interfaces =
        options.localInterfaces ? options.localInterfaces() : std::vector<net::InterfaceAddress>{};
    sockets.SendOutOf(net::BroadcastInterfaces(net::ChosenInterfaces(interfaces, options.interfaceNames)));
    SupplementTable supplement;
    // A phase that ends early simply contributes what it has collected.
    RunV1Phase(sockets, options.timing, clock, result.devices, stop, options.progress.v1Found, interfaces);
    RunV3Phase(sockets, options.timing, clock, supplement, stop, options.progress.v3Found);
    if (!supplement.empty()) {
        MergeSupplement(result.devices, supplement);
    }
    ApplyCustomerFilter(result.devices, options.customerCodes);
    sockets.Close();
    return result;
}
