// corvane-cli ports: changes the HTTP/ONVIF, TCP and RTSP ports of the
// devices; each device restarts with them.
#include "command.h"
#include "device_batch.h"
#include "search.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool ParsePort(const std::string& text, int32_t& port) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 1 || value > 65535) {
        return false;
    }
    port = static_cast<int32_t>(value);
    return true;
}

int Run(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    DeviceSelection selection;
    BatchRequest request;
    request.operation = BatchOperation::Port;
    std::string http;
    std::string tcp;
    std::string rtsp;
    if (!ParseSelection("ports", args, selection) || !TakeOption(args, "--http", http) ||
        !TakeOption(args, "--tcp", tcp) || !TakeOption(args, "--rtsp", rtsp) || !args.empty() ||
        !ParsePort(http, request.ports.http) || !ParsePort(tcp, request.ports.tcp) ||
        !ParsePort(rtsp, request.ports.rtsp)) {
        std::fprintf(
            stderr, "corvane-cli ports: needs --http N --tcp N --rtsp N (1..65535) and the device options\n");
        return 2;
    }
    const PortTriple& ports = request.ports;
    if (ports.http == ports.tcp || ports.http == ports.rtsp || ports.tcp == ports.rtsp) {
        std::fprintf(stderr, "%s\n", CliText("info.Port_set_error_same").c_str());
        return 2;
    }
    DeviceTable devices = ResolveDevices("ports", selection);
    if (devices.empty()) {
        return 1;
    }
    return RunDeviceBatch(selection, devices, std::move(request));
}

const CliCommandRegistration kRegistration({
    "ports",
    std::string("ports ") + kSelectionUsage +
        " --http N --tcp N --rtsp N\n                               change the devices' ports (they restart)",
    Run,
});

} // namespace
