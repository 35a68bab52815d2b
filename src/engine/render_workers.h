#pragma once
// A small pool of threads that share the per-track part of a render block: reading and
// processing each track is independent of the others, and with several cores the tracks
// of one block are produced side by side. The calling thread takes part, so a pool of
// no extra threads simply runs the tasks in order on the caller.
//
// Threads: construction, run() and destruction belong to one thread (the render thread);
// the tasks run on that thread and on the pool's own threads. run() allocates nothing.

#include <atomic>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace quillon {

class RenderWorkers {
public:
    // Extra threads for `tasks` parallel tasks on this machine: one less than the cores,
    // at most one less than the tasks, never below 0.
    static int threadsFor(int tasks);

    explicit RenderWorkers(int extraThreads);
    ~RenderWorkers();
    RenderWorkers(const RenderWorkers&) = delete;
    RenderWorkers& operator=(const RenderWorkers&) = delete;

    int extraThreads() const { return static_cast<int>(m_threads.size()); }

    // Calls task(i) once for every i in [0, count), spread over the pool and the calling
    // thread, and returns when all have returned. The first exception a task throws is
    // thrown here once every task has ended (the others still run).
    template <typename Task>
    void run(int32_t count, Task& task)
    {
        runTasks(count, &task, [](void* t, int32_t i) { (*static_cast<Task*>(t))(i); });
    }

private:
    using Call = void (*)(void*, int32_t);
    void runTasks(int32_t count, void* context, Call call);
    void workerLoop(uint32_t seen);
    // Takes and runs tasks of the current batch until none is left.
    void takeTasks();

    std::vector<std::thread> m_threads;
    std::atomic<uint32_t> m_generation{0}; // raised for every batch; workers wait on it
    std::atomic<bool> m_quit{false};
    // The batch's task count (high half) and the next index to take (low half) in one
    // word: a thread that finds the index at or past the count has nothing of this
    // batch to do and never looks at a later batch's context by mistake.
    std::atomic<uint64_t> m_work{0};
    std::atomic<int32_t> m_remaining{0}; // tasks of the batch not yet finished
    void* m_context = nullptr;
    Call m_call = nullptr;
    std::mutex m_errorMutex;
    std::exception_ptr m_error;
};

} // namespace quillon
