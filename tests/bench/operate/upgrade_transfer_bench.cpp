// Figures, not a test: how fast firmware transfers move, without the logins
// and the writing around them. DEVICES simulated devices in this process
// (loopback, inside the test wrapper's namespace) receive one IMAGE_MIB
// image each, all at once, first as devices of protocol version 3 (one chunk
// at a time), then of version 4 (chunks in flight); against the floor: the
// same bytes as plain bulk data over as many TCP connections. Prints the
// time, the rate and this process's CPU time for each.
//
//   tests/netns-run build/bin/upgrade_transfer_bench [DEVICES] [IMAGE_MIB]
#include "devsim/sdk/sim_device.h"
#include "sdk/config_file.h"
#include "sdk/sdk.h"
#include "sdk/tcp_link.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Figures {
    double seconds = 0;
    double cpu = 0;
};

struct Transfer {
    std::atomic<bool> sent{false};
    int size = 0;
};

void OnProgress(int, int, int total, int value, void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    if ((total == transfer->size && value == transfer->size) || (total == 0 && value == -2)) {
        transfer->sent = true;
    }
}

devsim::SimSdkSettings Settings(int index, uint8_t version) {
    devsim::SimSdkSettings settings;
    settings.name = "BENCH-" + std::to_string(index);
    settings.ip = "127.0.1." + std::to_string(1 + index);
    settings.tcpPort = static_cast<uint16_t>(31000 + version * 100 + index);
    settings.httpPort = static_cast<uint16_t>(9000 + version * 100 + index);
    settings.users = {{"admin", "bench"}};
    settings.flashMs = 0;
    settings.rebootMs = 100;
    settings.maxSessions = 64;
    settings.maxVersion = version;
    return settings;
}

// The images' transfers to devices of one version, from the start of the
// upgrades until every image was answered.
Figures Upgrades(int devices, uint8_t version, const std::string& path, int size) {
    std::vector<std::unique_ptr<devsim::SimSdkDevice>> sims;
    std::vector<int> logins;
    for (int i = 0; i < devices; ++i) {
        const auto settings = Settings(i, version);
        sims.push_back(std::make_unique<devsim::SimSdkDevice>(settings));
        if (!sims.back()->Start()) {
            std::fprintf(stderr, "device %d did not start\n", i);
            std::exit(1);
        }
        unsigned char info[48];
        int error = 0;
        logins.push_back(
            SDK_Login(settings.ip.c_str(), settings.tcpPort, "admin", "bench", info, &error, 0, 0));
        if (logins.back() <= 0) {
            std::fprintf(stderr, "login %d failed: %d\n", i, error);
            std::exit(1);
        }
    }
    std::vector<Transfer> transfers(static_cast<std::size_t>(devices));
    std::vector<int> upgrades;
    const double cpu = CpuSeconds();
    const auto start = Clock::now();
    for (int i = 0; i < devices; ++i) {
        transfers[static_cast<std::size_t>(i)].size = size;
        upgrades.push_back(SDK_OpenUpgrade(logins[static_cast<std::size_t>(i)], path.c_str(), OnProgress,
                                           &transfers[static_cast<std::size_t>(i)], 0));
        SDK_StartUpgrade(upgrades.back());
    }
    for (const auto& transfer : transfers) {
        while (!transfer.sent) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    const Figures figures{std::chrono::duration<double>(Clock::now() - start).count(), CpuSeconds() - cpu};
    for (std::size_t i = 0; i < upgrades.size(); ++i) {
        SDK_CloseUpgrade(upgrades[i]);
        SDK_Logout(logins[i]);
    }
    return figures;
}

// The same bytes as plain bulk data, one connection per device.
Figures Floor(int devices, std::size_t perDevice) {
    auto listener = sdknet::TcpListener::Listen("127.0.1.250", 32500);
    if (!listener) {
        std::fprintf(stderr, "no listener\n");
        std::exit(1);
    }
    std::vector<std::thread> threads;
    const double cpu = CpuSeconds();
    const auto start = Clock::now();
    for (int i = 0; i < devices; ++i) {
        threads.emplace_back([perDevice] {
            auto link = sdknet::TcpLink::Connect("127.0.1.250", 32500, 3000);
            std::vector<uint8_t> block(1 << 20, 0x5A);
            for (std::size_t sent = 0; link && sent < perDevice; sent += block.size()) {
                link->SendAll(std::span(block.data(), std::min(block.size(), perDevice - sent)));
            }
        });
        threads.emplace_back([&listener, perDevice] {
            auto link = listener->Accept(3000);
            std::vector<uint8_t> block(1 << 20);
            for (std::size_t received = 0; link && received < perDevice;) {
                const int count = link->Receive(block, 3000);
                if (count < 0) {
                    break;
                }
                received += static_cast<std::size_t>(count);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    return {std::chrono::duration<double>(Clock::now() - start).count(), CpuSeconds() - cpu};
}

void Print(const char* what, const Figures& figures, double mib, const Figures& floor) {
    std::printf("%-34s %6.2f s  %7.0f MiB/s  CPU %5.2f s  %4.1f x the floor\n", what, figures.seconds,
                mib / figures.seconds, figures.cpu, figures.seconds / floor.seconds);
}

} // namespace

int main(int argc, char** argv) {
    const int devices = argc > 1 ? std::atoi(argv[1]) : 8;
    const int mib = argc > 2 ? std::atoi(argv[2]) : 32;
    const std::string path = "/tmp/upgrade_transfer_bench.upf";
    const sdkwire::FirmwareInfo firmware{"IPC-SIM", "V9.0 Build: 2026-12-08",
                                         sdkwire::Bytes(static_cast<std::size_t>(mib) << 20, 0x5A)};
    const auto image = sdkwire::EncodeFirmware(firmware);
    if (!sdkwire::WriteWholeFile(path, image)) {
        return 1;
    }
    const double total = static_cast<double>(image.size()) * devices / (1024.0 * 1024.0);
    std::printf("%d transfers at once of %d MiB (%.0f MiB in all)\n", devices, mib, total);
    const Figures floor = Floor(devices, image.size());
    Print("link floor (plain bulk data)", floor, total, floor);
    Print("version 3 (one chunk at a time)", Upgrades(devices, 3, path, static_cast<int>(image.size())),
          total, floor);
    Print("version 4 (16 chunks in flight)", Upgrades(devices, 4, path, static_cast<int>(image.size())),
          total, floor);
    return 0;
}
