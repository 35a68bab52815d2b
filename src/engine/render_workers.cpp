#include "engine/render_workers.h"

#include "base/watched_mutex.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace quillon {

namespace {

// How long a thread waiting for the other side spins before it sleeps: longer than the
// gap between two blocks of a render that runs hundreds of times faster than real time,
// short against the 50 ms between blocks of a playback.
constexpr auto kSpinTime = std::chrono::microseconds(200);

inline void cpuRelax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// Spins until done() or kSpinTime has passed; whether done() became true.
template <typename Done>
bool spinUntil(Done done)
{
    const auto until = std::chrono::steady_clock::now() + kSpinTime;
    for (;;) {
        for (int i = 0; i < 64; ++i) {
            if (done())
                return true;
            cpuRelax();
        }
        if (std::chrono::steady_clock::now() >= until)
            return done();
    }
}

} // namespace

int RenderWorkers::threadsFor(int tasks)
{
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::max(0, std::min(cores, tasks) - 1);
}

RenderWorkers::RenderWorkers(int extraThreads)
{
    m_threads.reserve(static_cast<size_t>(std::max(0, extraThreads)));
    // Workers start from the generation of now: a batch (or the end) announced before a
    // worker first runs is still seen by it.
    const uint32_t start = m_generation.load(std::memory_order_acquire);
    for (int i = 0; i < extraThreads; ++i)
        m_threads.emplace_back([this, start] { workerLoop(start); });
}

RenderWorkers::~RenderWorkers()
{
    m_quit.store(true, std::memory_order_release);
    m_generation.fetch_add(1, std::memory_order_acq_rel);
    m_generation.notify_all();
    for (std::thread& t : m_threads)
        t.join();
}

void RenderWorkers::runTasks(int32_t count, void* context, Call call)
{
    if (count <= 0)
        return;
    m_error = nullptr;
    m_context = context;
    m_call = call;
    m_remaining.store(count, std::memory_order_relaxed);
    // The release publishes the batch to whoever takes a task of it.
    m_work.store(uint64_t(uint32_t(count)) << 32, std::memory_order_release);
    if (!m_threads.empty() && count > 1) {
        m_generation.fetch_add(1, std::memory_order_release);
        m_generation.notify_all();
    }
    takeTasks();
    // The last task of a batch usually ends within microseconds: spin, then sleep.
    if (!spinUntil([this] { return m_remaining.load(std::memory_order_acquire) == 0; })) {
        for (int32_t left; (left = m_remaining.load(std::memory_order_acquire)) != 0;)
            m_remaining.wait(left, std::memory_order_acquire);
    }
    if (m_error)
        std::rethrow_exception(std::exchange(m_error, nullptr));
}

void RenderWorkers::takeTasks()
{
    for (;;) {
        const uint64_t work = m_work.fetch_add(1, std::memory_order_acq_rel);
        const auto index = static_cast<uint32_t>(work);
        if (index >= static_cast<uint32_t>(work >> 32))
            return;
        try {
            m_call(m_context, static_cast<int32_t>(index));
        } catch (...) {
            std::lock_guard lock(m_errorMutex);
            if (!m_error)
                m_error = std::current_exception();
        }
        if (m_remaining.fetch_sub(1, std::memory_order_acq_rel) == 1)
            m_remaining.notify_all();
    }
}

void RenderWorkers::workerLoop(uint32_t seen)
{
    // Tracks are read here under their locks: waits count as the render's.
    RenderThreadMark mark;
    for (;;) {
        // The next block's batch follows soon while a render runs flat out.
        if (!spinUntil([&] { return m_generation.load(std::memory_order_acquire) != seen; }))
            m_generation.wait(seen, std::memory_order_acquire);
        seen = m_generation.load(std::memory_order_acquire);
        if (m_quit.load(std::memory_order_acquire))
            return;
        takeTasks();
    }
}

} // namespace quillon
