// Logging in to many ONVIF devices and reading their information: finds the
// lab's devices by WS-Discovery, then logs in to every one through the ONVIF
// link (device information, interfaces, gateway, DNS, protocols, services)
// with at most JOBS logins in flight, and prints the time and the peak
// memory. The passwords come from the lab file the simulator plays.
//
//   onvif_login_bench LAB_FILE JOBS    (run_onvif_login_bench.sh runs it in the lab)
#include "onvif/onvif_discovery.h"
#include "onvif/onvif_link.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    const auto last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The administrator password of every device of the lab file, by address.
std::map<std::string, std::string> PasswordsByAddress(const char* path) {
    std::map<std::string, std::string> passwords;
    std::ifstream file(path);
    std::string line;
    std::string ip;
    std::string password;
    const auto flush = [&] {
        if (!ip.empty()) {
            passwords[ip] = password;
        }
        ip.clear();
        password.clear();
    };
    while (std::getline(file, line)) {
        line = Trim(line);
        if (line == "[device]") {
            flush();
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        const std::string key = Trim(line.substr(0, equals));
        const std::string value = Trim(line.substr(equals + 1));
        if (key == "ip") {
            ip = value;
        } else if (key == "admin-password") {
            password = value;
        }
    }
    flush();
    return passwords;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: onvif_login_bench LAB_FILE JOBS\n");
        return 2;
    }
    const std::map<std::string, std::string> passwords = PasswordsByAddress(argv[1]);
    const int jobs = std::max(1, std::atoi(argv[2]));
    auto transport = onvif::CreateCurlTransport();

    SearchOptions options;
    options.timing.phaseMs = 1500;
    onvif::OnvifDiscovery discovery(transport);
    const auto searchStart = std::chrono::steady_clock::now();
    const SearchResult found = discovery.Run(options, nullptr);
    const auto searched = std::chrono::steady_clock::now();
    std::vector<const DeviceEntry*> devices;
    for (const auto& [key, entry] : found.devices) {
        devices.push_back(&entry);
    }

    onvif::OnvifLink link(transport);
    std::atomic<std::size_t> next{0};
    std::atomic<int> succeeded{0};
    std::atomic<int> failed{0};
    const auto loginStart = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (int i = 0; i < jobs; ++i) {
        workers.emplace_back([&] {
            for (std::size_t index = next++; index < devices.size(); index = next++) {
                const DeviceEntry& entry = *devices[index];
                const auto password = passwords.find(entry.ip);
                DeviceLogin login;
                int error = 0;
                const bool ok = password != passwords.end() &&
                                link.Login(entry, "admin", password->second, login, error) &&
                                link.TakeInfo(DeviceKey(entry)).has_value();
                ++(ok ? succeeded : failed);
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    const auto done = std::chrono::steady_clock::now();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](auto from, auto to) {
        return static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
    };
    std::printf("ONVIF devices found %zu in %lld ms\n", devices.size(), ms(searchStart, searched));
    std::printf("logins with information read: %d succeeded, %d failed, %d in flight, %lld ms\n",
                succeeded.load(), failed.load(), jobs, ms(loginStart, done));
    std::printf("peak memory %ld KiB\n", usage.ru_maxrss);
    return failed.load() == 0 ? 0 : 1;
}
