// The batch engine's own rules without devices: refusals, cancelling, and
// batches whose devices cannot be reached (lines, counters, completion).
#include "batch_fakes.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <mutex>

namespace {

std::vector<DeviceEntry> Unreachable(int count) {
    std::vector<DeviceEntry> entries(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        entries[static_cast<std::size_t>(i)].mac = "02-00-00-00-00-0" + std::to_string(i);
        entries[static_cast<std::size_t>(i)].ip = "127.0.0." + std::to_string(i + 1);
        entries[static_cast<std::size_t>(i)].tcpPort = 1;
        entries[static_cast<std::size_t>(i)].operations = NativeOperations(0);
    }
    return entries;
}

} // namespace

TEST(BatchEngine, RefusesAnEmptyBatchAndReportsUnreachableDevices) {
    Prompt prompt;
    Observer observer;
    OperateContext context;
    BatchEngine engine(prompt, observer, context, 1000);
    EXPECT_FALSE(engine.Start(BatchRequest{}));
    EXPECT_FALSE(engine.Busy());

    auto entries = Unreachable(3);
    for (const auto operation : {BatchOperation::Port, BatchOperation::Upgrade}) {
        BatchRequest request;
        request.operation = operation;
        for (auto& entry : entries) {
            request.devices.push_back(&entry);
        }
        ASSERT_TRUE(engine.Start(request));
        ASSERT_TRUE(engine.WaitIdle(10000));
    }
    EXPECT_EQ(prompt.asked, 2); // once per batch
    std::lock_guard lock(observer.mutex);
    ASSERT_EQ(observer.lines.size(), 6u);
    EXPECT_EQ(observer.lines[0], "127.0.0.1  <info.Login_fail>");
    // The upgrade's devices log in several at once: their lines in any order.
    std::vector<std::string> upgrade(observer.lines.begin() + 3, observer.lines.end());
    std::sort(upgrade.begin(), upgrade.end());
    EXPECT_EQ(upgrade.back(), "127.0.0.3  <info.Login_fail>");
    // Every upgrade device failed at login: the batch ends at once, once.
    EXPECT_EQ(observer.ended, (std::vector<std::pair<BatchOperation, bool>>{
                                  {BatchOperation::Port, true}, {BatchOperation::Upgrade, true}}));
    EXPECT_EQ(observer.portsChanged, 1);
    for (const auto& entry : entries) {
        EXPECT_EQ(entry.processed, 1);
    }
}

TEST(BatchEngine, CancellingTheLoginEndsTheBatchWithoutCompletion) {
    Prompt prompt;
    prompt.cancel = true;
    Observer observer;
    OperateContext context;
    BatchEngine engine(prompt, observer, context, 1000);
    auto entries = Unreachable(2);
    BatchRequest request;
    request.operation = BatchOperation::Reboot;
    request.devices = {&entries[0], &entries[1]};
    ASSERT_TRUE(engine.Start(request));
    ASSERT_TRUE(engine.WaitIdle(10000));
    EXPECT_FALSE(context.leases.InUse());
    std::lock_guard lock(observer.mutex);
    EXPECT_TRUE(observer.lines.empty());
    EXPECT_EQ(observer.outcomes, std::vector<BatchOutcome>{BatchOutcome::Cancelled});
    EXPECT_EQ(observer.ended,
              (std::vector<std::pair<BatchOperation, bool>>{{BatchOperation::Reboot, false}}));
    EXPECT_EQ(entries[0].processed, 0);
}
