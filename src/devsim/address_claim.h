#pragma once
// Makes a device's new address answer on the lab's link: the address is
// added to the simulator's loopback (a /32), so that the kernel answers ARP
// for it, connections to it reach the simulator, and its replies can leave
// from it. Only inside a lab namespace: the simulator is refused anywhere
// else. Host-order address; false when the kernel refuses (not root).
#include <cstdint>

namespace devsim {

bool ClaimAddress(uint32_t address);

} // namespace devsim
