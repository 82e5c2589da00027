#pragma once
// The machine's IPv4 interfaces, read from the platform, and the choice of
// those a search goes out of.
#include <cstdint>
#include <string>
#include <vector>

namespace net {

struct InterfaceAddress {
    std::string name;
    unsigned index = 0;   // the platform's interface index
    uint32_t address = 0; // host order
    uint32_t mask = 0;
    bool broadcast = false; // can send broadcasts
    bool multicast = false;
};

// Every address of every up IPv4 interface other than loopback and
// point-to-point links, in the platform's order (an interface with two
// addresses is listed twice).
std::vector<InterfaceAddress> LocalInterfaces();

// The name of the interface of the given index; empty when there is none.
std::string InterfaceNameOf(unsigned index);

// One entry per broadcast-capable interface (its first address), for
// sending a limited broadcast once out of each.
std::vector<InterfaceAddress> BroadcastInterfaces(const std::vector<InterfaceAddress>& interfaces);

// The entries of interfaces whose name is in chosen; all of them when
// chosen is empty.
std::vector<InterfaceAddress> ChosenInterfaces(const std::vector<InterfaceAddress>& interfaces,
                                               const std::vector<std::string>& chosen);

// Names in the order first seen, each once.
std::vector<std::string> InterfaceNames(const std::vector<InterfaceAddress>& interfaces);

// Names separated by commas (blanks around them dropped, each once).
std::vector<std::string> ParseInterfaceList(const std::string& text);

} // namespace net
