#include "devsim/sdk/transfer_count.h"

#include "platform/memory.h"

#include <atomic>
#include <cstdio>

namespace devsim {

namespace {

std::atomic<int> g_running{0};
std::atomic<int> g_peak{0};
std::atomic<int> g_sessions{0};

} // namespace

void SessionOpened() {
    ++g_sessions;
}

void SessionClosed() {
    if (--g_sessions == 0) {
        ReleaseFreeMemory();
    }
}

void TransferBegan() {
    const int now = ++g_running;
    int peak = g_peak.load();
    while (now > peak) {
        if (g_peak.compare_exchange_weak(peak, now)) {
            std::fprintf(stderr, "devsim: firmware transfers at once: %d\n", now);
            break;
        }
    }
}

void TransferEnded() {
    --g_running;
}

int PeakTransfers() {
    return g_peak.load();
}

void ResetPeakTransfers() {
    g_peak.store(g_running.load());
}

} // namespace devsim
