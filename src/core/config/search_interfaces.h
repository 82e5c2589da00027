#pragma once
// The choice of the interfaces a search goes out of, as the settings page
// lists it: this PC's interfaces now, and the chosen ones that are away.
#include "net/interfaces.h"

#include <string>
#include <vector>

struct SearchInterfaceRow {
    std::string name;
    // "a.b.c.d/n" of each of its addresses, ", " between; empty when absent.
    std::string addresses;
    bool present = false; // up and broadcast-capable now
    bool chosen = false;
};

// Every up, broadcast-capable interface of local in the platform's order,
// then each chosen name that is not among them (an unplugged adapter stays
// chosen). chosen empty: every row is chosen.
std::vector<SearchInterfaceRow> SearchInterfaceRows(const std::vector<net::InterfaceAddress>& local,
                                                    const std::vector<std::string>& chosen);

// The names the configuration keeps: empty (every interface, those added
// later included) when every row is chosen or none is.
std::vector<std::string> ChosenInterfaceNames(const std::vector<SearchInterfaceRow>& rows);
