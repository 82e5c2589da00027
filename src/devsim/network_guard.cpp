#include "network_guard.h"

#include <fstream>
#include <optional>
#include <sys/stat.h>

namespace devsim {

namespace {

std::optional<ino_t> NetNamespaceOf(const std::string& procRoot, const std::string& pid) {
    struct stat info {};
    if (::stat((procRoot + "/" + pid + "/ns/net").c_str(), &info) != 0) {
        return std::nullopt;
    }
    return info.st_ino;
}

std::string CommandOf(const std::string& procRoot, const std::string& pid) {
    std::ifstream in(procRoot + "/" + pid + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

} // namespace

NetworkCheck CheckNetworkPlace(const std::string& procRoot) {
    const auto own = NetNamespaceOf(procRoot, "self");
    if (!own) {
        return {NetworkPlace::Unknown, "the network namespace of this process cannot be read"};
    }
    // In a namespace made by unshare the process IDs are still the host's:
    // PID 2 is the kernel's thread starter and PID 1 the host's init, both
    // in the initial network namespace. Reading init's may be denied
    // (containers); kthreadd's usually is not.
    bool compared = false;
    if (CommandOf(procRoot, "2") == "kthreadd") {
        if (const auto kernel = NetNamespaceOf(procRoot, "2")) {
            compared = true;
            if (*kernel == *own) {
                return {NetworkPlace::Initial,
                        "this process shares the network namespace of the kernel's threads"};
            }
        }
    }
    if (const auto init = NetNamespaceOf(procRoot, "1")) {
        compared = true;
        if (*init == *own) {
            return {NetworkPlace::Initial, "this process shares the network namespace of PID 1 (init)"};
        }
    }
    if (!compared) {
        return {NetworkPlace::Unknown,
                "neither PID 1's nor PID 2's network namespace can be read to compare with"};
    }
    return {NetworkPlace::Private, {}};
}

} // namespace devsim
