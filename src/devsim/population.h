#pragma once
// A reproducible population of devices for labs and benchmarks.
#include "lab.h"

#include <cstdint>

// Devices get addresses 10.77.16.1 upwards (last octets 1..250, then the next
// third octet), mask 255.255.0.0, gateway 10.77.0.1; up to kMaxPopulation.
inline constexpr int kMaxPopulation = 4000;

// How many devices, in percent, speak only ONVIF and how many speak both
// families; the rest are native. Spread evenly over the population.
struct FamilyMix {
    int onvifPercent = 0;
    int bothPercent = 0;
};

Lab GeneratePopulation(int count, uint64_t seed, FamilyMix mix = {});
