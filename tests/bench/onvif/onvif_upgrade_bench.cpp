// Upgrading many ONVIF devices with one firmware image: the image is built
// once and shared read-only by every upgrade (StartFirmwareUpgrade, HTTP
// POST, the restart, the new version read back), at most JOBS in flight.
// Prints the time, the upload rate, the CPU time and the peak memory.
//
//   onvif_upgrade_bench COUNT JOBS MIB    (run_onvif_upgrade_bench.sh runs it in the lab)
#include "onvif/firmware_upgrade.h"
#include "sdk/config_file.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

// The address of device index as run_onvif_upgrade_bench.sh writes the lab.
std::string Address(int index) {
    const int host = 10 + index;
    return "10.77." + std::to_string(16 + host / 256) + "." + std::to_string(host % 256);
}

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: onvif_upgrade_bench COUNT JOBS MIB\n");
        return 2;
    }
    const int count = std::atoi(argv[1]);
    const int jobs = std::max(1, std::atoi(argv[2]));
    const std::size_t mib = static_cast<std::size_t>(std::max(1, std::atoi(argv[3])));
    sdkwire::FirmwareInfo firmware{"BENCH-1", "2.0", sdkwire::Bytes(mib * 1024 * 1024 - 140)};
    for (std::size_t i = 0; i < firmware.payload.size(); ++i) {
        firmware.payload[i] = static_cast<uint8_t>(i * 131 + (i >> 12));
    }
    const sdkwire::Bytes image = sdkwire::EncodeFirmware(firmware);
    firmware.payload = {};
    firmware.payload.shrink_to_fit();
    rusage before{};
    getrusage(RUSAGE_SELF, &before);

    auto soap = onvif::CreateCurlTransport();
    auto files = onvif::CreateCurlFileTransport();
    onvif::AuthMemory auth;
    const onvif::OnvifCredentials login{"admin", "admin-pass"};
    onvif::UpgradeTiming timing;
    timing.comeBack.pollIntervalMs = 100;
    std::atomic<int> next{0};
    std::atomic<int> succeeded{0};
    std::atomic<int> failed{0};
    std::atomic<long long> uploadMs{0};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (int j = 0; j < jobs; ++j) {
        workers.emplace_back([&] {
            for (int index = next++; index < count; index = next++) {
                const onvif::DeviceChannel channel{
                    *soap,         *files,
                    auth,          {"http://" + Address(index) + "/onvif/device_service"},
                    login,         onvif::UtcSecondsNow,
                    SteadyClock(), {}};
                std::chrono::steady_clock::time_point begun;
                const auto result = onvif::UpgradeOnvifFirmware(
                    channel, image,
                    [&begun, &uploadMs](int percent) {
                        const auto now = std::chrono::steady_clock::now();
                        if (percent == 0) {
                            begun = now;
                        } else if (percent == 100) {
                            uploadMs +=
                                std::chrono::duration_cast<std::chrono::milliseconds>(now - begun).count();
                        }
                    },
                    timing);
                ++(result.outcome == onvif::UpgradeOutcome::Ok ? succeeded : failed);
                if (result.outcome != onvif::UpgradeOutcome::Ok) {
                    std::fprintf(stderr, "%s: %s\n", Address(index).c_str(), result.errorKey.c_str());
                }
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double total = static_cast<double>(image.size()) * count / (1024.0 * 1024.0);
    std::printf(
        "ONVIF upgrades: %d devices x %zu MiB, %d in flight: %d verified at the new version, %d failed\n",
        count, mib, jobs, succeeded.load(), failed.load());
    std::printf("time %.2f s (each device: upload, restart, version read back), %.1f MiB/s overall\n",
                seconds, total / seconds);
    std::printf("uploads alone: %.1f MiB/s each on average, %.1f MiB/s with %d at once\n",
                total * 1000.0 / static_cast<double>(std::max(1LL, uploadMs.load())),
                total * 1000.0 * jobs / static_cast<double>(std::max(1LL, uploadMs.load())), jobs);
    std::printf("CPU %.2f s user, %.2f s system\n", Seconds(usage.ru_utime), Seconds(usage.ru_stime));
    std::printf(
        "peak memory %ld KiB (image %zu KiB; %ld KiB once the image was built, before the upgrades)\n",
        usage.ru_maxrss, image.size() / 1024, before.ru_maxrss);
    return failed.load() == 0 ? 0 : 1;
}
