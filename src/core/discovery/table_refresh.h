#pragma once
// TableRefresh keeps the device table that the windows show up to date
// while a search runs and after it ends. Records are never copied or moved:
// a device that is still there keeps its record (and every pointer into it),
// new devices get a record as soon as their V1 reply is in, and V3 texts are
// merged as they arrive.
//
// An explicit search starts from an emptied table. A quiet (periodic) one
// keeps the table: a device that does not answer is marked missing (the
// list greys it) and removed only when it misses a second search in a row.
#include "discovery/device_entry.h"

#include <map>
#include <set>
#include <string>
#include <vector>

// MACs whose records a step added, changed or is about to remove. Removed
// records are still in the table until EraseRecords: holders of pointers
// let go of them first.
struct TableChanges {
    std::vector<std::string> added;
    std::vector<std::string> changed;
    std::vector<std::string> removing;
};

// Copies what a search learns of a device (its addresses, ports, flags and
// texts) into the kept record, leaving its login and upgrade state alone.
// True when anything differed.
bool RefreshRecord(DeviceEntry& kept, const DeviceEntry& found);

class TableRefresh {
public:
    explicit TableRefresh(DeviceTable& table) : m_table(table) {}

    // A search begins. An explicit one forgets every missing mark (the
    // caller has emptied the table).
    void Begin(bool quiet);
    // New V1 replies (and other families' new devices): devices not in the
    // table are added under DeviceKey; a missing device that answers again
    // is no longer missing. A device without MAC at the address of a
    // device that answered this search joins that device's record.
    TableChanges AddFound(const std::vector<DeviceEntry>& v1Entries);
    // V3 replies: their texts go into the records of devices that answered
    // V1 in this search; an ONVIF device's read clock comes this way too.
    TableChanges MergeFound(const std::vector<DeviceEntry>& v3Entries);
    // The search's final table (merged and customer-filtered). Devices that
    // answered but were filtered out are removed; a quiet search marks the
    // devices that did not answer missing, or removes them if they already
    // were; an explicit one removes them.
    TableChanges Finish(const DeviceTable& result);
    // What a probe by address found: added or refreshed as Finish does,
    // and no longer missing; nothing else changes.
    TableChanges Probed(const DeviceTable& result);
    // A device said it leaves the network (WS-Discovery Bye): it is marked
    // missing, as a quiet search it missed would, and removed when it misses
    // the next one.
    TableChanges Left(const std::string& key);
    // A record keyed by something else than its MAC (an ONVIF device before
    // a login read it) learnt its MAC: it moves to that key in place (the
    // record and every pointer into it stay) and takes the MAC. False when
    // the old key is unknown or the new one is taken.
    bool Rekey(const std::string& oldKey, const std::string& mac);
    void EraseRecords(const std::vector<std::string>& macs);

    bool IsMissing(const std::string& mac) const { return m_missing.count(mac) != 0; }
    // The key a record has now: key itself, or the MAC its record moved to.
    std::string CurrentKey(const std::string& key) const;

private:
    DeviceEntry* AnsweredAt(const std::string& ip);
    // Adds or refreshes every record of result; found gets their keys.
    TableChanges Take(const DeviceTable& result, std::set<std::string>& found);
    // The table's key of a found entry: its DeviceKey, or the key its record
    // moved to.
    std::string KeyOf(const DeviceEntry& entry) const;

    DeviceTable& m_table;
    std::set<std::string> m_answered;             // answered V1 in this search
    std::set<std::string> m_missing;              // did not answer the last quiet search
    std::map<std::string, std::string> m_aliases; // old key -> the key a record moved to
    bool m_quiet = false;
};
