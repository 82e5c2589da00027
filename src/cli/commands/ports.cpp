// corvane-cli ports: changes the HTTP/ONVIF, TCP and RTSP ports of the
// devices; each device restarts with them.
#include "device_batch.h"
#include "search.h"

#include <cstdio>

namespace {

int CheckPorts(const DeviceSelection&, BatchRequest& request) {
    const PortTriple& ports = request.ports;
    if (ports.http == ports.tcp || ports.http == ports.rtsp || ports.tcp == ports.rtsp) {
        LoadCliDiscoverySettings(); // the language of the message
        std::fprintf(stderr, "%s\n", CliText("info.Port_set_error_same").c_str());
        return kUsageError;
    }
    return 0;
}

const CliCommandRegistration kRegistration(BatchCommand(
    "ports", "Change the devices' ports (they restart)", BatchOperation::Port,
    [](CLI::App& command, BatchRequest& request) {
        command.add_option("--http", request.ports.http, "HTTP and ONVIF port")
            ->required()
            ->check(CLI::Range(1, 65535));
        command.add_option("--tcp", request.ports.tcp, "TCP (device protocol) port; ONVIF devices have none")
            ->required()
            ->check(CLI::Range(1, 65535));
        command.add_option("--rtsp", request.ports.rtsp, "RTSP port")
            ->required()
            ->check(CLI::Range(1, 65535));
    },
    CheckPorts));

} // namespace
