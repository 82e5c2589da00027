#include "allocation_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> g_largest{0};
std::atomic<std::size_t> g_count{0};
} // namespace

namespace allocprobe {
void Reset() {
    g_largest = 0;
}
std::size_t Largest() {
    return g_largest;
}
std::size_t Count() {
    return g_count;
}
} // namespace allocprobe

void* operator new(std::size_t size) {
    ++g_count;
    std::size_t seen = g_largest.load();
    while (size > seen && !g_largest.compare_exchange_weak(seen, size)) {
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
