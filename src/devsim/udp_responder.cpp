#include "udp_responder.h"

#include <algorithm>
#include <cctype>

UdpResponder::UdpResponder(Lab lab) : m_devices(std::move(lab.devices)), m_random(lab.seed) {}

std::vector<SimDevice> UdpResponder::Devices() const {
    std::lock_guard lock(m_mutex);
    return m_devices;
}

void UdpResponder::UpdateDevice(std::size_t index, const std::function<void(SimDevice&)>& change) {
    {
        std::lock_guard lock(m_mutex);
        if (index < m_devices.size()) {
            const uint32_t before = m_devices[index].fields.ip;
            change(m_devices[index]);
            Moved(before, index);
        }
    }
    TellMoves();
}

void UdpResponder::AddMoveListener(MoveListener listener) {
    std::lock_guard lock(m_mutex);
    m_moveListeners.push_back(std::move(listener));
}

void UdpResponder::Moved(uint32_t before, std::size_t index) {
    if (!m_moveListeners.empty() && m_devices[index].fields.ip != before) {
        m_moved.emplace_back(index, m_devices[index]);
    }
}

void UdpResponder::TellMoves() {
    // Outside the lock: a listener may move other sides of the device,
    // which tell this side again.
    std::vector<std::pair<std::size_t, SimDevice>> moved;
    std::vector<MoveListener> listeners;
    {
        std::lock_guard lock(m_mutex);
        if (m_moved.empty()) {
            return;
        }
        moved.swap(m_moved);
        listeners = m_moveListeners;
    }
    for (const auto& [index, device] : moved) {
        for (const MoveListener& listener : listeners) {
            listener(index, device);
        }
    }
}

void UdpResponder::SetConfigPasswordCheck(ConfigPasswordCheck check) {
    std::lock_guard lock(m_mutex);
    m_configPasswordCheck = std::move(check);
}

namespace {

bool SameText(const std::string& a, const std::string& b) {
    // Constant time over the longer text: no early exit on the first difference.
    const std::size_t length = std::max(a.size(), b.size());
    unsigned difference = a.size() == b.size() ? 0u : 1u;
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
        difference |= static_cast<unsigned>(x ^ y);
    }
    return difference == 0;
}

} // namespace

void UdpResponder::Handle(std::span<const uint8_t> datagram, int64_t nowMs,
                          std::vector<OutgoingDatagram>& out) {
    {
        std::lock_guard lock(m_mutex);
        if (const auto version = ParseSearchRequest(datagram)) {
            AnswerSearch(*version, nowMs, out);
        } else if (const auto v2 = ParseConfigV2Request(datagram)) {
            ApplyConfigV2(*v2);
        } else if (const auto v3 = ParseConfigV3Request(datagram)) {
            ApplyConfigV3(*v3, nowMs, out);
        }
        // Anything else (our own replies looping back included) is not for a device.
    }
    TellMoves();
}

void UdpResponder::AnswerSearch(SearchVersion version, int64_t nowMs, std::vector<OutgoingDatagram>& out) {
    for (const SimDevice& device : m_devices) {
        if (device.away || device.onvif.family == LabFamily::Onvif) {
            continue; // restarting, or a device that speaks only ONVIF
        }
        if (version == SearchVersion::V1 && device.answersV1) {
            Emit(device, BuildV1Reply(device.fields), nowMs, out);
        } else if (version == SearchVersion::V3 && device.answersV3) {
            const bool unterminated = (device.faults.malformed & kMalformedUnterminated) != 0;
            Emit(device, BuildV3Reply(device.fields, device.texts, unterminated), nowMs, out);
        }
    }
}

void UdpResponder::ApplyConfigV2(const NetworkConfig& config) {
    for (std::size_t index = 0; index < m_devices.size(); ++index) {
        SimDevice& device = m_devices[index];
        if (device.fields.mac == config.mac) {
            const uint32_t before = device.fields.ip;
            device.fields.ip = config.ip;
            device.fields.gateway = config.gateway;
            device.fields.mask = config.mask;
            Moved(before, index);
        }
    }
}

void UdpResponder::ApplyConfigV3(const NetworkConfig& config, int64_t nowMs,
                                 std::vector<OutgoingDatagram>& out) {
    for (std::size_t index = 0; index < m_devices.size(); ++index) {
        SimDevice& device = m_devices[index];
        // Only devices that announce CFG.V3 (capability bit 3) understand it.
        if (device.fields.mac != config.mac || (device.fields.capabilities & 0x08) == 0) {
            continue;
        }
        const bool admitted = m_configPasswordCheck
                                  ? m_configPasswordCheck(index, config.user, config.password)
                                  : config.user == "admin" && SameText(config.password, device.adminPassword);
        if (!admitted) {
            Emit(device, BuildConfigV3Reply(config, 0), nowMs, out);
            continue;
        }
        const uint32_t before = device.fields.ip;
        device.fields.ip = config.ip;
        device.fields.gateway = config.gateway;
        device.fields.mask = config.mask;
        device.fields.dns1 = config.dns1;
        device.fields.dns2 = config.dns2;
        device.fields.dhcpMode = config.dhcpMode;
        Moved(before, index);
        if (device.faults.noAck) {
            continue;
        }
        NetworkConfig echoed = config;
        if (device.faults.wrongEcho) {
            echoed.gateway ^= 0x01;
        }
        Emit(device, BuildConfigV3Reply(echoed, 1), nowMs, out);
    }
}

void UdpResponder::Emit(const SimDevice& device, Datagram reply, int64_t nowMs,
                        std::vector<OutgoingDatagram>& out) {
    const FaultSettings& faults = device.faults;
    if ((faults.malformed & kMalformedLength) != 0) {
        reply.push_back(0);
    }
    if ((faults.malformed & kMalformedLowercase) != 0) {
        for (std::size_t i = 0; i < reply.size() && i < 16 && reply[i] != 0; ++i) {
            reply[i] = static_cast<uint8_t>(std::tolower(reply[i]));
        }
    }
    for (int copy = 0; copy <= faults.duplicates; ++copy) {
        if (faults.replyLoss > 0 &&
            std::uniform_real_distribution<double>(0, 1)(m_random) < faults.replyLoss) {
            continue;
        }
        int64_t due = nowMs + faults.delayMs + copy;
        if (faults.jitterMs > 0) {
            due += static_cast<int64_t>(m_random() % static_cast<uint64_t>(faults.jitterMs + 1));
        }
        out.push_back({due, reply});
    }
}
