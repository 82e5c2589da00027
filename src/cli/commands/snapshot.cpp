// corvane-cli snapshot: one JPEG picture of a device's main or sub stream.
#include "command.h"
#include "device_batch.h"
#include "operate/device_actions.h"
#include "sdk/config_file.h"
#include "sdk/sdk.h"
#include "sdk/sdk_layout.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
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

struct Arguments {
    DeviceSelection selection;
    std::string stream;
    std::string out;
};

int Run(Arguments& arguments) {
    if (const int status = CompleteSelection(arguments.selection); status != 0) {
        return status;
    }
    const int stream = arguments.stream == "main" ? sdklayout::kMainStream : sdklayout::kSubStream;
    const std::string streamName = arguments.stream;
    const auto nameInFolder = [streamName](const DeviceEntry& entry, const DeviceLogin&) {
        return SafeFileNamePart(entry.ip) + "-" + streamName + ".jpg";
    };
    return SaveFromEachDevice(
        arguments.selection, arguments.out, nameInFolder,
        [stream](DeviceEntry&, const DeviceLogin& login, const std::string& path, std::string& key) {
            FirstFrame sink;
            SDK_SetPreviewOption(0, 1);
            const int preview = SDK_StartPreview(login.handle, 0, &sink, stream, 0);
            std::vector<uint8_t> jpeg;
            if (preview != 0) {
                jpeg = sink.Wait(5000);
                SDK_StopPreview(preview);
            }
            const bool written = !jpeg.empty() && sdkwire::WriteWholeFile(path, jpeg);
            key = written        ? "info.operate_success"
                  : preview == 0 ? "info.Preview_open_fail"
                                 : "info.operate_fail";
            return written;
        });
}

const CliCommandRegistration kRegistration({
    "snapshot",
    "Save one picture of a stream of each device",
    [](CLI::App& command) -> std::function<int()> {
        auto arguments = std::make_shared<Arguments>();
        AddDeviceOptions(command, arguments->selection);
        command.add_option("--stream", arguments->stream, "main or sub")
            ->required()
            ->check(CLI::IsMember({"main", "sub"}))
            ->type_name("STREAM");
        command.add_option("--out", arguments->out, "The file for one device, or a folder for one file each")
            ->required()
            ->type_name("FILE.jpg|FOLDER");
        return [arguments] { return Run(*arguments); };
    },
});

} // namespace
