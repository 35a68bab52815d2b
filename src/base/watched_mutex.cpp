#include "base/watched_mutex.h"

#include <chrono>

namespace quillon {

namespace {

thread_local bool t_renderThread = false;

std::atomic<int64_t> g_longest{0};
std::atomic<int64_t> g_total{0};
std::atomic<int64_t> g_waits{0};

int64_t nowNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void WatchedMutex::lock()
{
    if (m_mutex.try_lock())
        return;
    if (!t_renderThread) {
        m_mutex.lock();
        return;
    }
    const int64_t begin = nowNanoseconds();
    m_mutex.lock();
    const int64_t waited = nowNanoseconds() - begin;
    g_total.fetch_add(waited, std::memory_order_relaxed);
    g_waits.fetch_add(1, std::memory_order_relaxed);
    int64_t longest = g_longest.load(std::memory_order_relaxed);
    while (waited > longest && !g_longest.compare_exchange_weak(longest, waited, std::memory_order_relaxed)) {
    }
}

WatchedMutex::WaitFigures WatchedMutex::renderWaits()
{
    return {g_longest.load(std::memory_order_relaxed), g_total.load(std::memory_order_relaxed),
            g_waits.load(std::memory_order_relaxed)};
}

void WatchedMutex::resetRenderWaits()
{
    g_longest.store(0, std::memory_order_relaxed);
    g_total.store(0, std::memory_order_relaxed);
    g_waits.store(0, std::memory_order_relaxed);
}

bool WatchedMutex::isRenderThread() { return t_renderThread; }

void WatchedMutex::setRenderThread(bool on) { t_renderThread = on; }

} // namespace quillon
