// Upgrades of one firmware file share one copy of it, and the transfer slots
// let at most their capacity through, keeping the waiting ones reporting.
#include "sdk/config_file.h"
#include "sdk/firmware_cache.h"
#include "sdk/transfer_slots.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace sdkclient;

TEST(FirmwareCache, OneCopyWhileHeldAndAFreshReadAfterAChange) {
    const std::string path = ::testing::TempDir() + "shared.upf";
    ASSERT_TRUE(sdkwire::WriteWholeFile(path, sdkwire::Bytes(1000, 1)));
    auto first = SharedFirmware(path, 4096);
    auto second = SharedFirmware(path, 4096);
    ASSERT_TRUE(first);
    EXPECT_EQ(first.get(), second.get());
    EXPECT_FALSE(SharedFirmware(path, 999)); // over the limit
    EXPECT_FALSE(SharedFirmware(path + ".missing", 4096));

    // Another file at the same path (a new inode and size) is read anew.
    ASSERT_TRUE(sdkwire::WriteWholeFile(path, sdkwire::Bytes(2000, 2)));
    auto changed = SharedFirmware(path, 4096);
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->size(), 2000u);
    EXPECT_EQ(first->size(), 1000u); // the holders of the old copy keep it
}

TEST(TransferSlots, AtMostCapacityRunAndWaitersReportUntilTheirTurn) {
    TransferSlots slots(2);
    std::atomic<int> running{0};
    std::atomic<int> peak{0};
    std::atomic<int> waitingReports{0};
    std::vector<std::thread> transfers;
    for (int i = 0; i < 6; ++i) {
        transfers.emplace_back([&] {
            ASSERT_TRUE(slots.Acquire([] { return false; }, [&] { ++waitingReports; }, 5));
            const int now = ++running;
            int seen = peak.load();
            while (now > seen && !peak.compare_exchange_weak(seen, now)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            --running;
            slots.Release();
        });
    }
    for (auto& transfer : transfers) {
        transfer.join();
    }
    EXPECT_EQ(peak, 2);
    EXPECT_GT(waitingReports, 0);
}

TEST(TransferSlots, ACancelledWaiterGivesUpWithoutASlot) {
    TransferSlots slots(1);
    ASSERT_TRUE(slots.Acquire([] { return false; }, [] {}, 5));
    std::atomic<bool> cancel{false};
    std::thread waiter([&] { EXPECT_FALSE(slots.Acquire([&] { return cancel.load(); }, [] {}, 10000)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    cancel = true;
    slots.WakeAll();
    waiter.join(); // at once, not after the 10 s period
    slots.Release();
    EXPECT_TRUE(slots.Acquire([] { return false; }, [] {}, 5)); // the slot is free again
}
