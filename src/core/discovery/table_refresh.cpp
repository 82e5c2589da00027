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

} // namespace

bool RefreshRecord(DeviceEntry& kept, const DeviceEntry& found) {
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
    return changed;
}

void TableRefresh::Begin(bool quiet) {
    m_quiet = quiet;
    m_answered.clear();
    if (!quiet) {
        m_missing.clear();
    }
}

TableChanges TableRefresh::AddFound(const std::vector<DeviceEntry>& v1Entries) {
    TableChanges changes;
    for (const DeviceEntry& entry : v1Entries) {
        if (!m_answered.insert(entry.mac).second) {
            continue;
        }
        if (m_table.try_emplace(entry.mac, entry).second) {
            changes.added.push_back(entry.mac);
        } else if (m_missing.erase(entry.mac) != 0) {
            changes.changed.push_back(entry.mac);
        }
    }
    return changes;
}

TableChanges TableRefresh::MergeFound(const std::vector<DeviceEntry>& v3Entries) {
    TableChanges changes;
    for (const DeviceEntry& texts : v3Entries) {
        const auto kept = m_table.find(texts.mac);
        if (kept != m_table.end() && m_answered.count(texts.mac) != 0 && MergeTexts(kept->second, texts)) {
            changes.changed.push_back(texts.mac);
        }
    }
    return changes;
}

TableChanges TableRefresh::Finish(const DeviceTable& result) {
    TableChanges changes;
    for (const auto& [mac, found] : result) {
        const auto [kept, inserted] = m_table.try_emplace(mac, found);
        const bool wasMissing = m_missing.erase(mac) != 0;
        if (inserted) {
            changes.added.push_back(mac);
        } else if (RefreshRecord(kept->second, found) || wasMissing) {
            changes.changed.push_back(mac);
        }
    }
    for (const auto& [mac, kept] : m_table) {
        if (result.count(mac) != 0) {
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
