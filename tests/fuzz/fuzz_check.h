#pragma once
// Stops a fuzz target at once when a property it checks does not hold, so
// libFuzzer (and the corpus replay) report the input as a crash.

inline void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}
