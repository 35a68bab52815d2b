#pragma once
// A recursive mutex that measures how long a render thread waits for it. The project's
// list locks (the document's and each track's) are of this kind: the user-interface
// thread keeps its hold on them short, and this is how we know that it does. A thread
// that renders marks itself (RenderThreadMark); its waits on any WatchedMutex feed one
// set of process-wide figures that benchmarks and diagnostics read.
//
// Threads: any thread may lock, unlock and read the figures. The uncontended path is
// one try_lock; the clock is read only when a marked thread has to wait.

#include <atomic>
#include <cstdint>
#include <mutex>

namespace quillon {

class WatchedMutex {
public:
    WatchedMutex() = default;
    WatchedMutex(const WatchedMutex&) = delete;
    WatchedMutex& operator=(const WatchedMutex&) = delete;

    void lock();
    bool try_lock() { return m_mutex.try_lock(); }
    void unlock() { m_mutex.unlock(); }

    // Waits of marked threads since the last reset.
    struct WaitFigures {
        int64_t longestNanoseconds = 0;
        int64_t totalNanoseconds = 0;
        int64_t waits = 0; // locks that were not free at once
    };
    static WaitFigures renderWaits();
    static void resetRenderWaits();

    // Whether the calling thread counts as a render thread.
    static bool isRenderThread();

private:
    friend class RenderThreadMark;
    static void setRenderThread(bool on);

    std::recursive_mutex m_mutex;
};

// Marks the current thread as a render thread for its lifetime (nests).
class RenderThreadMark {
public:
    RenderThreadMark() : m_was(WatchedMutex::isRenderThread()) { WatchedMutex::setRenderThread(true); }
    ~RenderThreadMark() { WatchedMutex::setRenderThread(m_was); }
    RenderThreadMark(const RenderThreadMark&) = delete;
    RenderThreadMark& operator=(const RenderThreadMark&) = delete;

private:
    bool m_was;
};

} // namespace quillon
