#pragma once
// The initial values of the port panel's three fields, from "DEFAULT_CFG".
#include <cstdint>
#include <string>

struct PortDefaults {
    uint16_t Http = 80;
    uint16_t Tcp = 34567;
    uint16_t Rtsp = 554;
};

// Reads "Http_port", "Tcp_port" and "Rtsp_port" of "DEFAULT_CFG" from the
// configuration file. A key that is missing, not a decimal number, or outside
// the port range 1..65535 keeps its built-in value (a value cut to 16 bits
// would name another port).
PortDefaults ReadPortDefaults(const std::string& configPath);
