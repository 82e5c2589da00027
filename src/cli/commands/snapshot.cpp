// corvane-cli snapshot: one JPEG picture of a device's main or sub stream.
#include "command.h"
#include "device_batch.h"
#include "sdk/config_file.h"
#include "sdk/sdk.h"
#include "sdk/sdk_layout.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace {

class FirstFrame : public SdkFrameSink {
public:
    void OnFrame(const uint8_t* jpeg, std::size_t size, int, int) override {
        std::lock_guard lock(m_mutex);
        if (m_jpeg.empty()) {
            m_jpeg.assign(jpeg, jpeg + size);
            m_arrived.notify_all();
        }
    }
    std::vector<uint8_t> Wait(int timeoutMs) {
        std::unique_lock lock(m_mutex);
        m_arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_jpeg.empty(); });
        return m_jpeg;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<uint8_t> m_jpeg;
};

int Run(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    DeviceSelection selection;
    std::string streamName;
    std::string out;
    if (!ParseSelection("snapshot", args, selection) || !TakeOption(args, "--stream", streamName) ||
        !TakeOption(args, "--out", out) || !args.empty() || (streamName != "main" && streamName != "sub")) {
        std::fprintf(stderr,
                     "corvane-cli snapshot: needs --stream main|sub --out FILE.jpg and the device options\n");
        return 2;
    }
    const int stream = streamName == "main" ? sdklayout::kMainStream : sdklayout::kSubStream;
    const auto nameInFolder = [&](const DeviceEntry& entry) { return entry.ip + "-" + streamName + ".jpg"; };
    return SaveFromEachDevice(
        "snapshot", selection, out, nameInFolder, [stream](DeviceEntry& entry, const std::string& path) {
            FirstFrame sink;
            SDK_SetPreviewOption(0, 1);
            const int preview = SDK_StartPreview(entry.loginHandle, 0, &sink, stream, 0);
            std::vector<uint8_t> jpeg;
            if (preview != 0) {
                jpeg = sink.Wait(5000);
                SDK_StopPreview(preview);
            }
            const bool written = !jpeg.empty() && sdkwire::WriteWholeFile(path, jpeg);
            PrintResultLine(entry, written        ? "info.operate_success"
                                   : preview == 0 ? "info.Preview_open_fail"
                                                  : "info.operate_fail");
            return written;
        });
}

const CliCommandRegistration kRegistration({
    "snapshot",
    std::string("snapshot ") + kSelectionUsage +
        " --stream main|sub --out FILE.jpg|FOLDER\n                               save one picture of a "
        "stream",
    Run,
});

} // namespace
