// corvane-cli snapshot: one JPEG picture of a device's main or sub stream,
// as the device's link takes it.
#include "command.h"
#include "device_batch.h"
#include "operate/device_actions.h"
#include "operate/device_link.h"
#include "sdk/sdk_layout.h"

#include <memory>

namespace {

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
            const bool written = login.link != nullptr && login.link->SaveSnapshot(login, stream, path, key);
            if (written) {
                key = "info.operate_success";
            }
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
