#pragma once
// Records the largest single allocation made by the test program, so tests
// can show that a parser never reserved the size a hostile frame claims.
#include <cstddef>

namespace allocprobe {
void Reset();
std::size_t Largest();
} // namespace allocprobe
