#pragma once
// Records the largest single allocation made by the test program, so tests
// can show that a parser never reserved the size a hostile frame claims, and
// counts them, so tests can show that a loop allocates nothing.
#include <cstddef>

namespace allocprobe {
void Reset();
std::size_t Largest();
std::size_t Count();
} // namespace allocprobe
