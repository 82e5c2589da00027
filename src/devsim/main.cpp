// corvane-devsim: plays many devices from one lab file (docs/lab-file.md).
#include "address_claim.h"
#include "devsim/sdk/lab_bridge.h"
#include "discovery/ip_rules.h"
#include "lab_file.h"
#include "network_guard.h"
#include "onvif/onvif_side.h"
#include "platform/memory.h"
#include "population.h"
#include "udp_responder.h"
#include "udp_server.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) {
    g_stop = true;
}

// The administrator's password on every side of the device.
void SetAdminPassword(SimDevice& device, const std::string& password) {
    device.adminPassword = password;
    for (SimUser& user : device.users) {
        if (user.name == "admin") {
            user.password = password;
        }
    }
    for (OnvifUser& user : device.onvif.users) {
        if (user.level == OnvifUserLevel::Administrator) {
            user.password = password;
        }
    }
}

int Usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: corvane-devsim (--lab FILE | --generate N [--seed S]) [options]\n"
                 "  --lab FILE          devices and faults from a lab file\n"
                 "  --generate N        a reproducible population of N devices (up to %d)\n"
                 "  --seed S            seed of the population (default 1)\n"
                 "  --onvif-share P     with --generate: P percent of the devices speak only ONVIF\n"
                 "  --both-share P      with --generate: P percent speak both families (default 0 and 0)\n"
                 "  --write-lab FILE    write the lab in use to FILE ('-' for standard output) and stop\n"
                 "  --serve             with --write-lab: serve the lab after writing it\n"
                 "  --real-network      serve even in the machine's own network namespace, where the\n"
                 "                      answers reach the real network (refused without it)\n"
                 "  --check             only read the lab and report, do not serve\n"
                 "  --reply-loss P      every device loses each reply with probability P (0..1)\n"
                 "  --jitter-ms MS      every device delays each reply by a random 0..MS\n"
                 "  --port P            UDP port of the devices (default 5000)\n"
                 "  --reply-port P      port the answers go to (default 5001)\n"
                 "  --reply-address A   address the answers go to (default 255.255.255.255)\n"
                 "  --ready-file FILE   write \"ready\" to FILE once the port is open\n"
                 "  --reboot-ms MS      every device's restart takes MS (default: the lab's reboot-seconds)\n"
                 "  --no-sdk            no SDK (TCP) side\n"
                 "  --no-onvif          no ONVIF side (WS-Discovery and device service)\n"
                 "  --factory-address A every device starts at address A (devices that share it)\n"
                 "  --admin-password P  every device's administrator password is P\n"
                 "  --stored-keys       every device derives its users' keys before serving, as a real\n"
                 "                      device stores them when a password is set (default: at first use)\n"
                 "  --claim-addresses   a device's new address is added to this namespace's loopback,\n"
                 "                      so that it answers ARP there (the lab does this)\n"
                 "  --state FILE        keep what the devices' SDK side changed in FILE (read at start),\n"
                 "                      and what their ONVIF side changed in FILE.onvif\n",
                 kMaxPopulation);
    return out == stdout ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    KeepLargeBlocksSeparate();
    std::string labPath, writePath, readyPath;
    int generate = -1;
    uint64_t seed = 1;
    FamilyMix mix;
    bool checkOnly = false;
    bool serveAfterWrite = false;
    bool realNetwork = false;
    bool sdkSide = true;
    bool storedKeys = false;
    bool onvifSide = true;
    int rebootMs = -1;
    std::string statePath;
    double replyLoss = -1;
    uint32_t factoryAddress = 0;
    std::string adminPassword;
    bool claimAddresses = false;
    int jitterMs = -1;
    UdpServerOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "corvane-devsim: %s needs a value\n", arg.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--lab") {
            labPath = value();
        } else if (arg == "--generate") {
            generate = std::atoi(value().c_str());
        } else if (arg == "--onvif-share") {
            mix.onvifPercent = std::atoi(value().c_str());
        } else if (arg == "--both-share") {
            mix.bothPercent = std::atoi(value().c_str());
        } else if (arg == "--seed") {
            seed = std::strtoull(value().c_str(), nullptr, 10);
        } else if (arg == "--write-lab") {
            writePath = value();
        } else if (arg == "--reply-loss") {
            replyLoss = std::atof(value().c_str());
        } else if (arg == "--jitter-ms") {
            jitterMs = std::atoi(value().c_str());
        } else if (arg == "--serve") {
            serveAfterWrite = true;
        } else if (arg == "--real-network") {
            realNetwork = true;
        } else if (arg == "--check") {
            checkOnly = true;
        } else if (arg == "--port") {
            options.listenPort = static_cast<uint16_t>(std::atoi(value().c_str()));
        } else if (arg == "--reply-port") {
            options.replyTo.port = static_cast<uint16_t>(std::atoi(value().c_str()));
        } else if (arg == "--reply-address") {
            options.replyTo.address = AddressFromText(value());
        } else if (arg == "--ready-file") {
            readyPath = value();
        } else if (arg == "--stored-keys") {
            storedKeys = true;
        } else if (arg == "--reboot-ms") {
            rebootMs = std::atoi(value().c_str());
        } else if (arg == "--state") {
            statePath = value();
        } else if (arg == "--no-sdk") {
            sdkSide = false;
        } else if (arg == "--no-onvif") {
            onvifSide = false;
        } else if (arg == "--factory-address") {
            factoryAddress = AddressFromText(value());
        } else if (arg == "--admin-password") {
            adminPassword = value();
        } else if (arg == "--claim-addresses") {
            claimAddresses = true;
        } else if (arg == "--help" || arg == "-h") {
            return Usage(stdout);
        } else {
            std::fprintf(stderr, "corvane-devsim: unknown option %s\n", arg.c_str());
            return Usage(stderr);
        }
    }
    if (labPath.empty() == (generate < 0)) {
        return Usage(stderr);
    }

    Lab lab;
    if (!labPath.empty()) {
        LabFileResult read = ReadLabFile(labPath);
        for (const std::string& warning : read.warnings) {
            std::fprintf(stderr, "corvane-devsim: %s: %s\n", labPath.c_str(), warning.c_str());
        }
        if (!read.ok) {
            std::fprintf(stderr, "corvane-devsim: %s: %s\n", labPath.c_str(), read.error.c_str());
            return 2;
        }
        lab = std::move(read.lab);
    } else {
        if (generate > kMaxPopulation) {
            std::fprintf(stderr, "corvane-devsim: at most %d devices\n", kMaxPopulation);
            return 2;
        }
        if (mix.onvifPercent < 0 || mix.bothPercent < 0 || mix.onvifPercent + mix.bothPercent > 100) {
            std::fprintf(
                stderr, "corvane-devsim: the ONVIF and both shares are percentages summing to 100 at most\n");
            return 2;
        }
        lab = GeneratePopulation(generate, seed, mix);
    }
    // Lab-wide overrides, for benchmarks and quick experiments.
    for (SimDevice& device : lab.devices) {
        if (replyLoss >= 0) {
            device.faults.replyLoss = std::min(replyLoss, 1.0);
        }
        if (jitterMs >= 0) {
            device.faults.jitterMs = jitterMs;
        }
        if (factoryAddress != 0 && factoryAddress != kInvalidAddress) {
            device.fields.ip = factoryAddress;
        }
        if (!adminPassword.empty()) {
            SetAdminPassword(device, adminPassword);
        }
    }
    if (!writePath.empty()) {
        const std::string text = WriteLabText(lab);
        if (writePath == "-") {
            std::fwrite(text.data(), 1, text.size(), stdout);
        } else {
            std::ofstream(writePath, std::ios::binary) << text;
        }
    }
    std::fprintf(stderr, "corvane-devsim: %zu devices\n", lab.devices.size());
    if (checkOnly || (!writePath.empty() && !serveAfterWrite)) {
        return 0;
    }
    if (!realNetwork) {
        const devsim::NetworkCheck network = devsim::CheckNetworkPlace();
        if (network.place != devsim::NetworkPlace::Private) {
            std::fprintf(stderr,
                         "corvane-devsim: not serving: %s%s. Simulated devices would answer on the machine's "
                         "real network. Run the simulator inside the lab (scripts/lab, tests/netns-run), or "
                         "pass --real-network if that is really meant.\n",
                         network.why.c_str(),
                         network.place == devsim::NetworkPlace::Initial ? ", the machine's initial one" : "");
            return 2;
        }
    }

    UdpResponder responder(std::move(lab));
    if (claimAddresses) {
        responder.AddMoveListener([](std::size_t, const SimDevice& device) {
            if (!devsim::ClaimAddress(device.fields.ip)) {
                std::fprintf(stderr, "corvane-devsim: cannot claim a device's new address\n");
            }
        });
    }
    UdpServer server(responder, options);
    if (!server.Open()) {
        return 1;
    }
    // One SDK server per device on its address and TCP port.
    devsim::SdkLab sdkLab(responder, rebootMs, statePath);
    std::string sdkError;
    std::vector<std::string> sdkWarnings;
    const bool sdkStarted = !sdkSide || sdkLab.Start(sdkError, sdkWarnings, storedKeys);
    for (const std::string& warning : sdkWarnings) {
        std::fprintf(stderr, "corvane-devsim: %s\n", warning.c_str());
    }
    if (!sdkStarted) {
        std::fprintf(stderr, "corvane-devsim: %s\n", sdkError.c_str());
        return 1;
    }
    // The ONVIF devices: device service and WS-Discovery.
    onvifsim::OnvifSide onvif(responder, seed, statePath, rebootMs);
    if (onvifSide && !onvif.Start()) {
        return 1;
    }
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    if (!readyPath.empty()) {
        std::ofstream(readyPath) << "ready\n";
    }
    server.Run(g_stop);
    onvif.Stop(); // Bye from every ONVIF device
    return 0;
}
