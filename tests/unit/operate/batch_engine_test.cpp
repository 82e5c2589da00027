// The batch engine's own rules without devices: refusals, cancelling, and
// batches whose devices cannot be reached (lines, counters, completion).
#include "operate/batch_engine.h"

#include <gtest/gtest.h>
#include <mutex>

namespace {

class Prompt : public ILoginPrompt {
public:
    bool AskCredentials(const LoginPromptRequest&, std::string& user, std::string& password) override {
        ++asked;
        user = "admin";
        password = "x";
        return !cancel;
    }
    std::atomic<int> asked{0};
    bool cancel = false;
};

std::string Keys(const std::string& key) {
    return "<" + key + ">";
}

class Observer : public IBatchObserver {
public:
    void OnDeviceReport(const DeviceEntry& entry, const DeviceReport& report) override {
        std::lock_guard lock(mutex);
        outcomes.push_back(report.outcome);
        if (report.outcome != BatchOutcome::Cancelled) {
            lines.push_back(ReportLine(entry, report, Keys));
        }
    }
    void OnLoginState(const std::string&, bool) override {}
    void OnPortsChanged() override {
        std::lock_guard lock(mutex);
        ++portsChanged;
    }
    void OnBatchEnded(BatchOperation operation, bool completed) override {
        std::lock_guard lock(mutex);
        ended.emplace_back(operation, completed);
    }
    std::mutex mutex;
    std::vector<std::string> lines;
    std::vector<BatchOutcome> outcomes;
    std::vector<std::pair<BatchOperation, bool>> ended;
    int portsChanged = 0;
};

std::vector<DeviceEntry> Unreachable(int count) {
    std::vector<DeviceEntry> entries(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        entries[static_cast<std::size_t>(i)].mac = "02-00-00-00-00-0" + std::to_string(i);
        entries[static_cast<std::size_t>(i)].ip = "127.0.0." + std::to_string(i + 1);
        entries[static_cast<std::size_t>(i)].tcpPort = 1;
    }
    return entries;
}

} // namespace

TEST(BatchEngine, RefusesAnEmptyBatchAndReportsUnreachableDevices) {
    Prompt prompt;
    Observer observer;
    RecordLeases leases;
    BatchEngine engine(prompt, observer, leases, 1000);
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
    EXPECT_EQ(observer.lines[5], "127.0.0.3  <info.Login_fail>");
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
    RecordLeases leases;
    BatchEngine engine(prompt, observer, leases, 1000);
    auto entries = Unreachable(2);
    BatchRequest request;
    request.operation = BatchOperation::Reboot;
    request.devices = {&entries[0], &entries[1]};
    ASSERT_TRUE(engine.Start(request));
    ASSERT_TRUE(engine.WaitIdle(10000));
    EXPECT_FALSE(leases.InUse());
    std::lock_guard lock(observer.mutex);
    EXPECT_TRUE(observer.lines.empty());
    EXPECT_EQ(observer.outcomes, std::vector<BatchOutcome>{BatchOutcome::Cancelled});
    EXPECT_EQ(observer.ended,
              (std::vector<std::pair<BatchOperation, bool>>{{BatchOperation::Reboot, false}}));
    EXPECT_EQ(entries[0].processed, 0);
}
