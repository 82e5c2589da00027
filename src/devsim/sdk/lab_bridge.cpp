#include "devsim/sdk/lab_bridge.h"

#include "devsim/sdk/sim_state_file.h"
#include "discovery/ip_rules.h"
#include "platform/atomic_file.h"
#include "sdk/config_file.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <sstream>

namespace devsim {

namespace {

bool ParseNumber(const std::string& text, int minimum, int maximum, int& value) {
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || number < minimum || number > maximum) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

std::string DottedAddress(uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

} // namespace

bool ParseSdkFaults(const std::string& text, SimSdkSettings& settings, std::string& error) {
    std::string spaced = text;
    for (char& c : spaced) {
        if (c == ',') {
            c = ' ';
        }
    }
    std::istringstream items(spaced);
    std::string item;
    while (items >> item) {
        const auto equals = item.find('=');
        const std::string name = item.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : item.substr(equals + 1);
        bool ok = true;
        if (name == "refuse-writes" && equals == std::string::npos) {
            settings.faults.refuseConfigWrites = true;
        } else if (name == "refuse-login") {
            ok = ParseNumber(value, 1, 12, settings.faults.refuseLoginCode);
        } else if (name == "stall-upgrade") {
            ok = ParseNumber(value, 50, 100, settings.faults.stallUpgradeAtPercent);
        } else if (name == "drop-upgrade") {
            ok = ParseNumber(value, 50, 100, settings.faults.dropUpgradeAtPercent);
        } else if (name == "slow-ms") {
            ok = ParseNumber(value, 0, 60000, settings.faults.slowMs);
        } else if (name == "short-blocks") {
            ok = ParseNumber(value, 0, 1024, settings.faults.shortBlocks);
        } else if (name == "wrong-reply") {
            ok = ParseNumber(value, 1, 0x7FFF, settings.faults.wrongReplyType);
        } else if (name == "old-protocol" && equals == std::string::npos) {
            settings.faults.oldProtocol = true;
        } else if (name == "bad-pictures" && equals == std::string::npos) {
            settings.faults.badPictures = true;
        } else if (name == "corrupt-pictures") {
            ok = ParseNumber(value, 1, 1000000, settings.faults.corruptPictureEvery);
        } else if (name == "stall-preview") {
            ok = ParseNumber(value, 0, 1000000, settings.faults.stallPreviewAfter);
        } else if (name == "max-version") {
            int version = 0;
            ok = ParseNumber(value, 2, 5, version);
            settings.maxVersion = static_cast<uint8_t>(version);
        } else if (name == "sessions") {
            ok = ParseNumber(value, 1, 64, settings.maxSessions);
        } else if (name == "flash-ms") {
            ok = ParseNumber(value, 0, 600000, settings.flashMs);
        } else if (name == "fps") {
            ok = ParseNumber(value, 1, 50, settings.previewFps);
        } else {
            ok = false;
        }
        if (!ok) {
            error = "sdk-faults: bad item \"" + item + "\"";
            return false;
        }
    }
    return true;
}

SimSdkSettings SdkSettingsFor(const SimDevice& device, int rebootMs) {
    SimSdkSettings settings;
    settings.name = device.name;
    settings.ip = DottedAddress(device.fields.ip);
    settings.tcpPort = device.fields.tcpPort;
    settings.httpPort = device.fields.webPort;
    settings.model = device.texts.model;
    settings.firmwareVersion = device.texts.version;
    settings.users.clear();
    bool adminListed = false;
    for (const auto& user : device.users) {
        settings.users.push_back({user.name, user.password});
        adminListed = adminListed || user.name == "admin";
    }
    if (!adminListed) {
        settings.users.insert(settings.users.begin(), {"admin", device.adminPassword});
    }
    settings.rebootMs = rebootMs >= 0 ? rebootMs : device.rebootSeconds * 1000;
    return settings;
}

SdkLab::~SdkLab() {
    m_responder.SetConfigPasswordCheck(nullptr);
    {
        std::lock_guard lock(m_watchMutex);
        m_stopping = true;
    }
    m_watchSignal.notify_all();
    if (m_addressWatcher.joinable()) {
        m_addressWatcher.join();
    }
    for (auto& device : m_devices) {
        device->SetChangeListener(nullptr);
        device->Stop();
    }
}

bool SdkLab::Start(std::string& error, std::vector<std::string>& warnings, bool storedKeys) {
    const std::vector<SimDevice> devices = m_responder.Devices();
    SavedStates saved;
    if (!m_statePath.empty()) {
        if (const auto text = sdkwire::ReadWholeFile(m_statePath, 64 * 1024 * 1024)) {
            saved = ReadStateText(std::string(text->begin(), text->end()));
        }
    }
    for (const SimDevice& device : devices) {
        char mac[18];
        const auto& bytes = device.fields.mac;
        std::snprintf(mac, sizeof mac, "%02X-%02X-%02X-%02X-%02X-%02X", bytes[0], bytes[1], bytes[2],
                      bytes[3], bytes[4], bytes[5]);
        m_macs.push_back(mac);
    }
    for (std::size_t i = 0; i < devices.size(); ++i) {
        SimSdkSettings settings = SdkSettingsFor(devices[i], m_rebootMs);
        if (!ParseSdkFaults(devices[i].sdkFaults, settings, error)) {
            error = devices[i].name + ": " + error;
            return false;
        }
        auto device = std::make_unique<SimSdkDevice>(settings);
        const auto state = saved.find(m_macs[i]);
        if (state != saved.end() && state->second.storedTcpPort != 0 && state->second.httpPort != 0 &&
            state->second.rtspPort != 0 && !state->second.users.empty()) {
            device->Restore(state->second);
        }
        SimSdkDevice* raw = device.get();
        m_devices.push_back(std::move(device));
        raw->SetChangeListener([this, i] { Publish(i); });
        if (!raw->Start()) {
            // The device still answers on UDP; only its SDK side is missing.
            warnings.push_back(devices[i].name + ": cannot listen on " + settings.ip + ":" +
                               std::to_string(settings.tcpPort));
        }
    }
    if (storedKeys) {
        // Before the lab says it is ready; on every core.
        std::atomic<std::size_t> next{0};
        std::vector<std::thread> workers(std::max(1u, std::thread::hardware_concurrency()));
        for (std::thread& worker : workers) {
            worker = std::thread([&] {
                for (std::size_t i = next++; i < m_devices.size(); i = next++) {
                    m_devices[i]->StoreKeys();
                }
            });
        }
        for (std::thread& worker : workers) {
            worker.join();
        }
    }
    // CFG.V3 is checked against the stored key, which a password change
    // (also one restored from the state file) governs.
    m_responder.SetConfigPasswordCheck(
        [this](std::size_t index, const std::string& user, const std::string& password) {
            return index < m_devices.size() && m_devices[index]->CheckConfigPassword(user, password);
        });
    m_addressWatcher = std::thread([this] { FollowAddresses(); });
    return true;
}

void SdkLab::FollowAddresses() {
    // A network change over UDP gives a device another address; its SDK
    // side moves there too. Checked once a second.
    std::unique_lock lock(m_watchMutex);
    while (!m_watchSignal.wait_for(lock, std::chrono::seconds(1), [this] { return m_stopping; })) {
        lock.unlock();
        const std::vector<SimDevice> devices = m_responder.Devices();
        for (std::size_t i = 0; i < devices.size() && i < m_devices.size(); ++i) {
            m_devices[i]->MoveTo(DottedAddress(devices[i].fields.ip));
        }
        lock.lock();
    }
}

void SdkLab::Publish(std::size_t index) {
    const SimSdkSnapshot snapshot = m_devices[index]->Snapshot();
    m_responder.UpdateDevice(index, [&](SimDevice& device) {
        device.away = !snapshot.online;
        if (snapshot.online) {
            device.fields.tcpPort = snapshot.tcpPort;
        }
        device.fields.webPort = snapshot.httpPort;
        device.texts.model = snapshot.model;
        device.texts.version = snapshot.firmwareVersion;
    });
    SaveState();
}

void SdkLab::SaveState() {
    if (m_statePath.empty()) {
        return;
    }
    std::lock_guard lock(m_saveMutex);
    SavedStates states;
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        states[m_macs[i]] = m_devices[i]->SnapshotForSaving();
    }
    const std::string text = WriteStateText(states);
    // Keys are as good as passwords on these devices: for the owner only.
    platform::WriteFileAtomically(
        m_statePath, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), {.mode = 0600});
}

} // namespace devsim
