// The re-addressing batch with a family that changes the network itself:
// devices that share one address are changed by whichever holds it, and
// the search afterwards tells which device went where.
#include "batch_fakes.h"
#include "discovery/discovery_source.h"
#include "discovery/ip_rules.h"
#include "fake_family_link.h"
#include "operate/readdress_run.h"

#include <gtest/gtest.h>
#include <map>

namespace {

// The devices at one address: a change reaches the first still there.
class SharedAddressLink : public FakeFamilyLink {
public:
    bool ChangesNetworkItself() const override { return true; }
    bool SendNetworkChange(const DeviceEntry&, const DeviceLogin&, const DeviceEntry& changed,
                           std::string& failKey) override {
        if (holders.empty()) {
            failKey = "info.operate_timeout";
            return false;
        }
        movedTo[holders.front()] = changed.ip;
        holders.erase(holders.begin());
        return true;
    }
    std::vector<std::string> holders; // endpoint references, the holder first
    std::map<std::string, std::string> movedTo;
};

// Finds the devices where the link moved them.
class MovedSource : public DiscoverySource {
public:
    explicit MovedSource(const SharedAddressLink& link) : m_link(link) {}
    SearchResult Run(const SearchOptions&, const std::atomic<bool>*) override {
        SearchResult result;
        for (const auto& [endpoint, ip] : m_link.movedTo) {
            DeviceEntry entry;
            entry.mac = endpoint;
            entry.ip = endpoint == "urn:lost" ? "10.9.9.9" : ip;
            entry.onvif.endpointReference = endpoint;
            result.devices[endpoint] = entry;
        }
        return result;
    }

private:
    const SharedAddressLink& m_link;
};

DeviceEntry OnvifDevice(const std::string& endpoint) {
    DeviceEntry entry;
    entry.mac = endpoint;
    entry.ip = "192.168.1.108";
    entry.onvif.endpointReference = endpoint;
    return entry;
}

TEST(ReaddressRun, DevicesSharingAnAddressAreFoundWhereverTheChangeTookThem) {
    OperateContext context;
    auto link = std::make_shared<SharedAddressLink>();
    context.links.Add(link, [](const DeviceEntry&) { return true; });
    // The device that holds the address comes last in key order; the lost
    // one takes its change and answers elsewhere.
    link->holders = {"urn:c", "urn:a", "urn:lost", "urn:b"};
    DeviceTable table;
    for (const char* endpoint : {"urn:a", "urn:b", "urn:c", "urn:lost", "urn:none"}) {
        table[endpoint] = OnvifDevice(endpoint);
    }
    std::vector<DeviceEntry*> chosen;
    for (auto& [key, entry] : table) {
        chosen.push_back(&entry);
    }
    ReaddressSettings settings;
    settings.request = {AddressFromText("192.168.1.10"), 0, AddressFromText("255.255.255.0"),
                        AddressFromText("192.168.1.1"),  0, false};
    settings.search.sources = {std::make_shared<MovedSource>(*link)};
    settings.verifyTries = 2;
    settings.verifyPauseMs = 1;
    const ReaddressPlan plan =
        PrepareReaddress(table, {chosen.begin(), chosen.end()}, settings.request, {}, nullptr);
    Prompt prompt;
    std::map<std::string, ReaddressLine> lines;
    ApplyReaddress(plan, chosen, settings, context, prompt,
                   [&lines](const ReaddressLine& line) { lines[line.key] = line; });

    EXPECT_EQ(prompt.asked.load(), 1); // once, for every device
    ASSERT_EQ(lines.size(), 5u);
    // a's change moved c, b's moved a, c's moved lost, lost's moved b.
    const std::map<std::string, std::string> where{
        {"urn:a", "192.168.1.11"}, {"urn:b", "192.168.1.13"}, {"urn:c", "192.168.1.10"}};
    for (const auto& [key, ip] : where) {
        EXPECT_EQ(lines[key].outcome, ReaddressOutcome::Changed) << key;
        EXPECT_EQ(lines[key].to, AddressFromText(ip)) << key;
        EXPECT_EQ(table[key].ip, ip) << key;
        EXPECT_EQ(table[key].mask, "255.255.255.0") << key;
    }
    EXPECT_EQ(lines["urn:lost"].outcome, ReaddressOutcome::Failed);
    EXPECT_EQ(lines["urn:lost"].reasonKey, "info.Network_not_found_again");
    EXPECT_EQ(table["urn:lost"].ip, "192.168.1.108");
    // Nobody held the address any more: the link's refusal is the line.
    EXPECT_EQ(lines["urn:none"].outcome, ReaddressOutcome::Failed);
    EXPECT_EQ(lines["urn:none"].reasonKey, "info.operate_timeout");
    EXPECT_EQ(context.logins.Find("urn:a"), std::nullopt); // no login outlives the move
}

} // namespace
