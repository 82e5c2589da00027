#pragma once
// Whether the simulator runs in the machine's own (initial) network
// namespace, where its answers would reach the real network. The lab
// (scripts/lab, tests/netns-run) gives it a namespace of its own.
#include <string>

namespace devsim {

enum class NetworkPlace { Private, Initial, Unknown };

struct NetworkCheck {
    NetworkPlace place = NetworkPlace::Unknown;
    std::string why; // for the refusal message
};

// Compares the network namespace of this process with that of kernel
// threads (kthreadd, PID 2: always in the initial namespace) and of PID 1
// (init, when its namespace may be read). procRoot is "/proc" except in tests.
NetworkCheck CheckNetworkPlace(const std::string& procRoot = "/proc");

} // namespace devsim
