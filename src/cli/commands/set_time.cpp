// corvane-cli set-time: sets the devices' clocks from this computer's (UTC
// and its time zone) or, with --ntp, to follow NTP servers. Devices whose
// family cannot set the clock are reported as not supported.
#include "device_batch.h"
#include "search.h"

#include <cstdio>

namespace {

int CheckServers(const DeviceSelection&, BatchRequest& request) {
    if (!request.time.ntp) {
        return 0;
    }
    std::string joined;
    for (const std::string& server : request.time.ntpServers) {
        joined += server + ",";
    }
    std::optional<std::vector<std::string>> servers = ParseNtpServers(joined);
    if (!servers) {
        LoadCliDiscoverySettings(); // the language of the message
        std::fprintf(stderr, "%s\n", CliText("info.Ntp_servers_bad").c_str());
        return kUsageError;
    }
    request.time.ntpServers = std::move(*servers);
    return 0;
}

const CliCommandRegistration kRegistration(BatchCommand(
    "set-time", "Set the devices' clocks from this computer's, or to follow NTP servers",
    BatchOperation::SetTime,
    [](CLI::App& command, BatchRequest& request) {
        command
            .add_option_function<std::vector<std::string>>(
                "--ntp",
                [&request](const std::vector<std::string>& servers) {
                    request.time.ntp = true;
                    request.time.ntpServers = servers;
                },
                "Follow these NTP servers (host names or addresses, at most 4) instead of taking this "
                "computer's time")
            ->type_name("SERVER");
    },
    CheckServers));

} // namespace
