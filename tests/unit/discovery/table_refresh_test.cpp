// The table the windows show across searches: records stay put, quiet
// searches grey a silent device once and remove it the second time.
#include "discovery/table_refresh.h"

#include <gtest/gtest.h>

namespace {

DeviceEntry Device(const std::string& mac, const std::string& ip) {
    DeviceEntry entry;
    entry.mac = mac;
    entry.ip = ip;
    return entry;
}

using Macs = std::vector<std::string>;

TEST(TableRefresh, ExplicitSearchAddsAsFoundMergesAnsweredAndDropsFiltered) {
    DeviceTable table;
    TableRefresh refresh(table);
    refresh.Begin(false);
    EXPECT_EQ(refresh.AddFound({Device("A", "10.0.0.1"), Device("B", "10.0.0.2")}).added, (Macs{"A", "B"}));
    EXPECT_TRUE(refresh.AddFound({Device("A", "10.0.0.9")}).added.empty()); // a repeated reply
    DeviceEntry* a = &table.at("A");
    DeviceEntry textsA = Device("A", "");
    textsA.cloudId = "cloud-a";
    // C answered V3 only: no record for it.
    EXPECT_EQ(refresh.MergeFound({textsA, Device("C", "")}).changed, (Macs{"A"}));
    EXPECT_EQ(a->cloudId, "cloud-a");
    EXPECT_EQ(a->ip, "10.0.0.1");

    DeviceTable result;
    result.emplace("A", *a);
    const TableChanges end = refresh.Finish(result); // B was filtered out by its customer code
    EXPECT_TRUE(end.added.empty());
    EXPECT_EQ(end.removing, (Macs{"B"}));
    refresh.EraseRecords(end.removing);
    EXPECT_EQ(table.size(), 1u);
    EXPECT_EQ(&table.at("A"), a);
}

TEST(TableRefresh, ADeviceThatLeavesIsGreyedThenGoneAtTheNextQuietSearchUnlessItReturns) {
    DeviceTable table;
    TableRefresh refresh(table);
    refresh.Begin(false);
    refresh.AddFound({Device("A", "10.0.0.1"), Device("B", "10.0.0.2")});
    refresh.Finish(table);
    EXPECT_EQ(refresh.Left("A").changed, (Macs{"A"}));
    EXPECT_TRUE(refresh.Left("A").changed.empty()); // said once
    EXPECT_TRUE(refresh.Left("Z").changed.empty()); // not in the table
    EXPECT_TRUE(refresh.IsMissing("A"));
    // Back (a Hello) before any search: shown again.
    EXPECT_EQ(refresh.AddFound({Device("A", "10.0.0.1")}).changed, (Macs{"A"}));
    EXPECT_FALSE(refresh.IsMissing("A"));
    // Gone again, and silent in the next quiet search: removed.
    refresh.Left("A");
    refresh.Begin(true);
    refresh.AddFound({Device("B", "10.0.0.2")});
    DeviceTable result;
    result.emplace("B", Device("B", "10.0.0.2"));
    EXPECT_EQ(refresh.Finish(result).removing, (Macs{"A"}));
}

TEST(TableRefresh, AProbeByAddressAddsAndRefreshesWithoutGreyingOthers) {
    DeviceTable table;
    TableRefresh refresh(table);
    refresh.Begin(false);
    refresh.AddFound({Device("A", "10.0.0.1"), Device("B", "10.0.0.2")});
    refresh.Finish(table);
    refresh.Left("A");
    DeviceTable probed;
    probed.emplace("A", Device("A", "10.0.0.1"));
    probed.emplace("C", Device("C", "10.9.0.3"));
    const TableChanges changes = refresh.Probed(probed);
    EXPECT_EQ(changes.added, (Macs{"C"}));
    EXPECT_EQ(changes.changed, (Macs{"A"})); // shown again
    EXPECT_TRUE(changes.removing.empty());   // B did not answer: untouched
    EXPECT_FALSE(refresh.IsMissing("A"));
    EXPECT_FALSE(refresh.IsMissing("B"));
    EXPECT_EQ(table.size(), 3u);
}

TEST(TableRefresh, ARecordLearningItsMacMovesToItInPlace) {
    DeviceTable table;
    TableRefresh refresh(table);
    refresh.Begin(false);
    DeviceEntry onvif = Device("", "10.0.0.9");
    onvif.onvif.endpointReference = "urn:uuid:1";
    refresh.AddFound({onvif, Device("B", "10.0.0.2")});
    const DeviceEntry* record = &table.at("urn:uuid:1");
    EXPECT_FALSE(refresh.Rekey("urn:uuid:1", "B")); // taken
    EXPECT_FALSE(refresh.Rekey("urn:uuid:2", "C")); // unknown
    ASSERT_TRUE(refresh.Rekey("urn:uuid:1", "02-00-00-00-00-09"));
    EXPECT_EQ(&table.at("02-00-00-00-00-09"), record);
    EXPECT_EQ(record->mac, "02-00-00-00-00-09");
    EXPECT_EQ(table.count("urn:uuid:1"), 0u);
    // It answered this search under its old key, and still counts as answered.
    DeviceTable result;
    result.emplace("urn:uuid:1", onvif);
    result.emplace("B", Device("B", "10.0.0.2"));
    TableChanges end = refresh.Finish(result);
    EXPECT_TRUE(end.removing.empty());
    EXPECT_TRUE(end.added.empty());
    // A quiet search finds it under its endpoint again: the same record.
    refresh.Begin(true);
    EXPECT_TRUE(refresh.AddFound({onvif}).added.empty());
    end = refresh.Finish(result);
    EXPECT_TRUE(end.added.empty());
    EXPECT_TRUE(end.removing.empty());
    EXPECT_EQ(table.size(), 2u);
    EXPECT_FALSE(refresh.IsMissing("02-00-00-00-00-09"));
}

TEST(TableRefresh, QuietSearchKeepsRecordsGreysOnceThenRemoves) {
    DeviceTable table;
    TableRefresh refresh(table);
    table.emplace("A", Device("A", "10.0.0.1"));
    table.emplace("B", Device("B", "10.0.0.2"));
    DeviceEntry* a = &table.at("A");

    refresh.Begin(true);
    EXPECT_EQ(refresh.AddFound({Device("A", "10.0.0.1"), Device("C", "10.0.0.3")}).added, (Macs{"C"}));
    DeviceTable result;
    result.emplace("A", Device("A", "10.0.0.11")); // re-addressed meanwhile
    result.emplace("C", Device("C", "10.0.0.3"));
    TableChanges end = refresh.Finish(result);
    EXPECT_EQ(end.changed, (Macs{"A", "B"}));
    EXPECT_TRUE(end.removing.empty());
    EXPECT_TRUE(refresh.IsMissing("B"));
    EXPECT_FALSE(refresh.IsMissing("A"));
    EXPECT_EQ(&table.at("A"), a);
    EXPECT_EQ(a->ip, "10.0.0.11");

    // B misses again: removed. C missed once: greyed.
    refresh.Begin(true);
    refresh.AddFound({Device("A", "10.0.0.11")});
    result.erase("C");
    end = refresh.Finish(result);
    EXPECT_EQ(end.removing, (Macs{"B"}));
    EXPECT_EQ(end.changed, (Macs{"C"}));
    refresh.EraseRecords(end.removing);
    EXPECT_EQ(table.count("B"), 0u);

    // C answers again: no longer greyed, at the first reply.
    refresh.Begin(true);
    EXPECT_EQ(refresh.AddFound({Device("C", "10.0.0.3")}).changed, (Macs{"C"}));
    EXPECT_FALSE(refresh.IsMissing("C"));

    // An explicit search forgets the marks (the caller empties the table).
    refresh.Begin(true);
    refresh.Finish({});
    EXPECT_TRUE(refresh.IsMissing("A"));
    refresh.Begin(false);
    EXPECT_FALSE(refresh.IsMissing("A"));
}

} // namespace

TEST(TableRefresh, OnvifDevicesAreKeyedByEndpointAndJoinTheNativeRowAtTheirAddress) {
    DeviceTable table;
    TableRefresh refresh(table);
    refresh.Begin(false);
    refresh.AddFound({Device("A", "10.0.0.1")});
    DeviceEntry both = Device("", "10.0.0.1");
    both.onvif.endpointReference = "urn:uuid:a";
    both.families = DeviceFamilies{DeviceFamily::Onvif};
    DeviceEntry onvifOnly = Device("", "10.0.0.2");
    onvifOnly.onvif.endpointReference = "urn:uuid:b";
    onvifOnly.families = DeviceFamilies{DeviceFamily::Onvif};
    const TableChanges changes = refresh.AddFound({both, onvifOnly});
    EXPECT_EQ(changes.added, (Macs{"urn:uuid:b"}));
    EXPECT_EQ(changes.changed, (Macs{"A"}));
    EXPECT_EQ(table.size(), 2u);
    EXPECT_TRUE(table.at("A").families.Has(DeviceFamily::Onvif));
    EXPECT_EQ(table.at("A").onvif.endpointReference, "urn:uuid:a");

    // The clock read later reaches the ONVIF-only row.
    onvifOnly.onvif.clockKnown = true;
    onvifOnly.onvif.clockOffsetSeconds = 42;
    EXPECT_EQ(refresh.MergeFound({onvifOnly}).changed, (Macs{"urn:uuid:b"}));
    EXPECT_EQ(table.at("urn:uuid:b").onvif.clockOffsetSeconds, 42);

    // What a login read of the ONVIF-only device outlives the next search,
    // which finds only its scopes; a native reply's facts still replace.
    table.at("urn:uuid:b").model = "OC-1";
    table.at("urn:uuid:b").mask = "255.255.0.0";
    table.at("A").model = "OLD";
    refresh.Begin(true);
    DeviceTable result;
    result.emplace("urn:uuid:b", onvifOnly);
    DeviceEntry native = Device("A", "10.0.0.1");
    native.model = "NEW";
    result.emplace("A", native);
    refresh.Finish(result);
    EXPECT_EQ(table.at("urn:uuid:b").model, "OC-1");
    EXPECT_EQ(table.at("urn:uuid:b").mask, "255.255.0.0");
    EXPECT_EQ(table.at("A").model, "NEW");
}
