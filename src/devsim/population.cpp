#include "population.h"

#include <array>
#include <cstdio>
#include <random>

namespace {

// The device type of each model, in the same order.
constexpr std::array<const char*, 6> kTypes{"IPC", "IPC", "NVR", "DVR", "IPC", "XVR"};
constexpr std::array<const char*, 6> kModels{"HV-IPC-B21F", "HV-IPC-D42P", "HV-NVR-0816",
                                             "HV-DVR-0404", "HV-IPC-T58Z", "HV-XVR-1604"};

std::string Format(const char* format, unsigned a, unsigned b = 0, unsigned c = 0) {
    char text[96];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

// Gives device index its family: slots 0..99 in a stride that spreads each
// family over the population, the first ones ONVIF, then both.
void ApplyFamily(SimDevice& device, unsigned index, FamilyMix mix) {
    const int slot = static_cast<int>((index * 37U) % 100U);
    if (slot >= mix.onvifPercent + mix.bothPercent) {
        return;
    }
    OnvifConfig& onvif = device.onvif;
    onvif.family = slot < mix.onvifPercent ? LabFamily::Onvif : LabFamily::Both;
    onvif.kind = device.texts.type == "IPC" ? OnvifKind::Camera : OnvifKind::Recorder;
    onvif.location = "site";
    onvif.users = {{"admin", device.adminPassword, OnvifUserLevel::Administrator},
                   {"viewer", device.users[1].password, OnvifUserLevel::User}};
}

} // namespace

Lab GeneratePopulation(int count, uint64_t seed, FamilyMix mix) {
    Lab lab;
    lab.seed = seed;
    std::mt19937_64 random(seed);
    const auto pick = [&random](unsigned below) { return static_cast<unsigned>(random() % below); };
    const uint8_t family = static_cast<uint8_t>(seed * 131 + 7);
    for (int i = 0; i < count && i < kMaxPopulation; ++i) {
        SimDevice device;
        DiscoveryFields& f = device.fields;
        const auto index = static_cast<unsigned>(i);
        f.mac = {0x02,
                 0xC7,
                 family,
                 static_cast<uint8_t>(index >> 16),
                 static_cast<uint8_t>(index >> 8),
                 static_cast<uint8_t>(index)};
        f.ip = (10U << 24) | (77U << 16) | ((16U + index / 250) << 8) | (1U + index % 250);
        f.mask = 0xFFFF0000;
        f.gateway = (10U << 24) | (77U << 16) | 1U;
        f.dns1 = (10U << 24) | (77U << 16) | 2U;
        f.dns2 = (8U << 24) | (8U << 16) | (8U << 8) | 8U;
        f.tcpPort = pick(4) == 0 ? static_cast<uint16_t>(30000 + pick(5000)) : 34567;
        f.webPort = pick(3) == 0 ? static_cast<uint16_t>(8000 + pick(100)) : 80;
        f.capabilities = static_cast<uint8_t>((pick(2) == 0 ? 0x08 : 0) | (pick(4) == 0 ? 0x01 : 0));
        f.dhcpMode = pick(3) == 0 ? 1 : 2;
        f.onvifOffWord = pick(6) == 0 ? 1 : 0;
        const unsigned model = pick(static_cast<unsigned>(kModels.size()));
        device.name = Format("cam-%04u", index + 1);
        device.texts.type = kTypes[model];
        device.texts.model = kModels[model];
        device.texts.cloudId =
            Format("%08x%08x", static_cast<unsigned>(random()), static_cast<unsigned>(random()));
        // As real devices write it: "V5.3.17 Build: 2026-10-23".
        const unsigned major = pick(4);
        const unsigned minor = pick(20);
        const unsigned buildDay = pick(12 * 28);
        device.texts.version = Format("V5.%u.%u Build: ", major, minor) +
                               Format("2026-%02u-%02u", 1 + buildDay / 28, 1 + buildDay % 28);
        device.texts.releaseTime = Format("2026-%02u-%02u 10:00:00", 1 + pick(11), 1 + pick(28));
        device.texts.startTime = Format("2026-12-%02u %02u:%02u:00", 1 + pick(6), pick(24), pick(60));
        device.texts.deviceTime = "2026-12-07 23:00:00";
        device.texts.customerCode = pick(3) == 0 ? "C0000" : "";
        device.adminPassword = Format("admin%04u", index + 1);
        device.users = {{"admin", device.adminPassword}, {"viewer", Format("view%04u", index + 1)}};
        device.rebootSeconds = 5 + static_cast<int>(pick(20));
        // Replies spread over a fifth of a second, as a real network's do.
        device.faults.jitterMs = 200;
        ApplyFamily(device, index, mix);
        lab.devices.push_back(std::move(device));
    }
    lab.faults.jitterMs = 200;
    return lab;
}
