// Login time against one simulated device on loopback, inside the test
// wrapper's namespace: prints the median and the 90th percentile of
// SDK_Login round trips, and what one offline password guess against a
// recorded handshake costs (one user key derivation).
// Run: tests/netns-run build/bin/sdk_login_bench [N]
#include "sim_fixture.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

volatile uint8_t g_sink = 0;

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const auto settings = simlab::NewSettings();
    auto device = simlab::StartDevice(settings);
    if (!device) {
        std::fprintf(stderr, "sdk_login_bench: the simulated device did not start\n");
        return 1;
    }
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        int error = 0;
        const auto start = std::chrono::steady_clock::now();
        const int handle = simlab::Login(settings, "admin", "admin123", &error);
        const auto end = std::chrono::steady_clock::now();
        if (handle <= 0) {
            std::fprintf(stderr, "sdk_login_bench: login failed with %d\n", error);
            return 1;
        }
        SDK_Logout(handle);
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    const double first = ms.front();
    std::sort(ms.begin(), ms.end());
    std::printf("logins: %d  first: %.2f ms  median: %.2f ms  p90: %.2f ms  max: %.2f ms\n", rounds, first,
                ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back());
    // The first login above paid the client's derivation, later ones found
    // it in the client's cache; a new client process pays it once per device.
    SdkCloseAll();
    int error = 0;
    const auto coldStart = std::chrono::steady_clock::now();
    const int cold = simlab::Login(settings, "admin", "admin123", &error);
    const double coldMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - coldStart).count();
    SDK_Logout(cold);
    std::vector<double> guesses;
    sdkwire::Salt salt{};
    salt.fill(0x5A);
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const auto key =
            sdkwire::UserKey("admin", "guess-" + std::to_string(i), salt, device->KeyIterations());
        guesses.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        g_sink = g_sink ^ key[0]; // keeps the derivation from being optimised away
    }
    std::sort(guesses.begin(), guesses.end());
    std::printf("login with the client's key not cached: %.2f ms\n", coldMs);
    std::printf("one offline guess (PBKDF2-HMAC-SHA256, %u iterations): median %.2f ms, min %.2f ms\n",
                device->KeyIterations(), guesses[2], guesses[0]);
    SdkCloseAll();
    return 0;
}
