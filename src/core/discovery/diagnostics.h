#pragma once
// What is wrong with the addresses of the devices a search found, read off
// the table alone: the list colours such rows and says why, the command
// line writes the findings beside each device.
#include "discovery/device_entry.h"
#include "net/interfaces.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

enum class AddressProblem : uint8_t {
    // The device's address is also another device's.
    Conflict = 1 << 0,
    // The device's MAC answered from more than one address; the record
    // keeps the first reply's (otherAddresses lists the rest).
    MacAnsweredTwice = 1 << 1,
    // The address is in no subnet of the interface the reply came in on:
    // this computer cannot talk to it until its address changes.
    Unreachable = 1 << 2,
    // The gateway lies outside the device's own subnet.
    GatewayOutside = 1 << 3,
};

class AddressProblems {
public:
    constexpr AddressProblems() = default;
    constexpr bool Has(AddressProblem problem) const { return (m_bits & static_cast<uint8_t>(problem)) != 0; }
    constexpr void Add(AddressProblem problem) { m_bits |= static_cast<uint8_t>(problem); }
    constexpr bool Empty() const { return m_bits == 0; }
    bool operator==(const AddressProblems&) const = default;

private:
    uint8_t m_bits = 0;
};

// Every problem, most serious first: the order of tool-tip lines and of
// the command line's words.
inline constexpr AddressProblem kAddressProblems[] = {AddressProblem::Conflict, AddressProblem::Unreachable,
                                                      AddressProblem::MacAnsweredTwice,
                                                      AddressProblem::GatewayOutside};

// The problems of every record that has any, by table key. interfaces: the
// machine's (each interface with every one of its addresses).
std::map<std::string, AddressProblems> DiagnoseTable(const DeviceTable& table,
                                                     const std::vector<net::InterfaceAddress>& interfaces);

// The language key of a problem's explanation.
const char* AddressProblemKey(AddressProblem problem);
// The command line's word for a problem ("addressConflict" and so on).
const char* AddressProblemWord(AddressProblem problem);
// The words of a set, separated by blanks, in kAddressProblems order.
std::string AddressProblemWords(AddressProblems problems);
