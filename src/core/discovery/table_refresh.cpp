#include "discovery/table_refresh.h"

namespace {

template <typename T> bool Assign(T& kept, const T& found) {
    if (kept == found) {
        return false;
    }
    kept = found;
    return true;
}

bool MergeTexts(DeviceEntry& kept, const DeviceEntry& texts) {
    bool changed = false;
    changed |= Assign(kept.type, texts.type);
    changed |= Assign(kept.cloudId, texts.cloudId);
    changed |= Assign(kept.version, texts.version);
    changed |= Assign(kept.releaseTime, texts.releaseTime);
    changed |= Assign(kept.deviceTime, texts.deviceTime);
    changed |= Assign(kept.startTime, texts.startTime);
    changed |= Assign(kept.model, texts.model);
    changed |= Assign(kept.customerCode, texts.customerCode);
    return changed;
}

// A device only ONVIF found tells little before a login: what a login read
// of it (model, firmware version, network settings) stays in its record
// until a login reads it again.
DeviceEntry WithReadFacts(const DeviceEntry& kept, const DeviceEntry& found) {
    DeviceEntry merged = found;
    const auto keep = [](std::string& field, const std::string& read) {
        if (field.empty() || field == kNoTextPlaceholder) {
            field = read;
        }
    };
    keep(merged.model, kept.model);
    keep(merged.version, kept.version);
    keep(merged.mask, kept.mask);
    keep(merged.gateway, kept.gateway);
    keep(merged.dns1, kept.dns1);
    keep(merged.dns2, kept.dns2);
    if (merged.dhcpMode == 0) {
        merged.dhcpMode = kept.dhcpMode;
    }
    return merged;
}

bool OnvifOnly(const DeviceEntry& entry) {
    return entry.families == DeviceFamilies{DeviceFamily::Onvif};
}

} // namespace

bool RefreshRecord(DeviceEntry& kept, const DeviceEntry& foundNow) {
    const DeviceEntry found = OnvifOnly(foundNow) ? WithReadFacts(kept, foundNow) : foundNow;
    bool changed = MergeTexts(kept, found);
    changed |= Assign(kept.ip, found.ip);
    changed |= Assign(kept.gateway, found.gateway);
    changed |= Assign(kept.mask, found.mask);
    changed |= Assign(kept.dns1, found.dns1);
    changed |= Assign(kept.dns2, found.dns2);
    changed |= Assign(kept.tcpPort, found.tcpPort);
    changed |= Assign(kept.webPort, found.webPort);
    changed |= Assign(kept.onvifPort, found.onvifPort);
    changed |= Assign(kept.dhcpMode, found.dhcpMode);
    changed |= Assign(kept.onvifAvailable, found.onvifAvailable);
    changed |= Assign(kept.capabilities, found.capabilities);
    changed |= Assign(kept.operations, found.operations);
    changed |= Assign(kept.families, found.families);
    if (!found.onvif.endpointReference.empty()) {
        changed |= Assign(kept.onvif, found.onvif);
    }
    // A device asked by address does not say where it was found before.
    if (!found.interfaceName.empty()) {
        changed |= Assign(kept.interfaceName, found.interfaceName);
        changed |= Assign(kept.localAddress, found.localAddress);
    }
    changed |= Assign(kept.otherAddresses, found.otherAddresses);
    return changed;
}

void TableRefresh::Begin(bool quiet) {
    m_quiet = quiet;
    m_answered.clear();
    if (!quiet) {
        m_missing.clear();
        m_aliases.clear();
    }
}

std::string TableRefresh::KeyOf(const DeviceEntry& entry) const {
    return CurrentKey(DeviceKey(entry));
}

std::string TableRefresh::CurrentKey(const std::string& key) const {
    const auto alias = m_aliases.find(key);
    return alias == m_aliases.end() ? key : alias->second;
}

TableChanges TableRefresh::AddFound(const std::vector<DeviceEntry>& v1Entries) {
    TableChanges changes;
    for (const DeviceEntry& entry : v1Entries) {
        const std::string key = KeyOf(entry);
        if (!m_answered.insert(key).second) {
            continue;
        }
        // A device of another family already shown at this address in this
        // search is the same device: its row gains this family.
        if (entry.mac.empty()) {
            DeviceEntry* same = AnsweredAt(entry.ip);
            if (same != nullptr && MaySameDevice(*same, entry)) {
                // It keeps its native operations: the native link works with it.
                same->families |= entry.families;
                same->onvif = entry.onvif;
                changes.changed.push_back(same->mac);
                continue;
            }
        }
        if (m_table.try_emplace(key, entry).second) {
            changes.added.push_back(key);
        } else if (m_missing.erase(key) != 0) {
            changes.changed.push_back(key);
        }
    }
    return changes;
}

DeviceEntry* TableRefresh::AnsweredAt(const std::string& ip) {
    for (auto& [key, kept] : m_table) {
        if (kept.ip == ip && !kept.mac.empty() && m_answered.count(key) != 0) {
            return &kept;
        }
    }
    return nullptr;
}

TableChanges TableRefresh::MergeFound(const std::vector<DeviceEntry>& v3Entries) {
    TableChanges changes;
    for (const DeviceEntry& texts : v3Entries) {
        const std::string key = KeyOf(texts);
        const auto kept = m_table.find(key);
        if (kept == m_table.end() || m_answered.count(key) == 0) {
            continue;
        }
        bool changed = MergeTexts(kept->second, texts);
        if (texts.onvif.clockKnown) {
            changed |= Assign(kept->second.onvif, texts.onvif);
        }
        if (changed) {
            changes.changed.push_back(key);
        }
    }
    return changes;
}

TableChanges TableRefresh::Probed(const DeviceTable& result) {
    std::set<std::string> found;
    return Take(result, found);
}

TableChanges TableRefresh::Take(const DeviceTable& result, std::set<std::string>& found) {
    TableChanges changes;
    for (const auto& [resultKey, entry] : result) {
        const std::string mac = KeyOf(entry);
        found.insert(mac);
        const auto [kept, inserted] = m_table.try_emplace(mac, entry);
        const bool wasMissing = m_missing.erase(mac) != 0;
        if (inserted) {
            changes.added.push_back(mac);
        } else if (RefreshRecord(kept->second, entry) || wasMissing) {
            changes.changed.push_back(mac);
        }
    }
    return changes;
}

TableChanges TableRefresh::Finish(const DeviceTable& result) {
    std::set<std::string> found;
    TableChanges changes = Take(result, found);
    for (const auto& [mac, kept] : m_table) {
        if (found.count(mac) != 0) {
            continue;
        }
        // Answered but filtered out, gone from an explicit search, or
        // missing twice in a row.
        if (!m_quiet || m_answered.count(mac) != 0 || m_missing.count(mac) != 0) {
            changes.removing.push_back(mac);
        } else {
            m_missing.insert(mac);
            changes.changed.push_back(mac);
        }
    }
    return changes;
}

void TableRefresh::EraseRecords(const std::vector<std::string>& macs) {
    for (const std::string& mac : macs) {
        m_table.erase(mac);
        m_missing.erase(mac);
    }
}

TableChanges TableRefresh::Left(const std::string& key) {
    TableChanges changes;
    if (m_table.count(key) != 0 && m_missing.insert(key).second) {
        m_answered.erase(key);
        changes.changed.push_back(key);
    }
    return changes;
}

bool TableRefresh::Rekey(const std::string& oldKey, const std::string& mac) {
    if (mac.empty() || m_table.count(oldKey) == 0 || m_table.count(mac) != 0) {
        return false;
    }
    auto node = m_table.extract(oldKey);
    node.key() = mac;
    node.mapped().mac = mac;
    m_table.insert(std::move(node));
    // What the families find under the old key is this record from now on.
    m_aliases[oldKey] = mac;
    for (std::set<std::string>* marks : {&m_answered, &m_missing}) {
        if (marks->erase(oldKey) != 0) {
            marks->insert(mac);
        }
    }
    return true;
}
