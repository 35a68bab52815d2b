#include "engine/background_job.h"

#include "plugins/class_com.h"

namespace quillon {

BackgroundJob::~BackgroundJob() { wait(); }

bool BackgroundJob::start()
{
    if (isRunning())
        return false;
    wait(); // the thread of an earlier run
    m_error = nullptr;
    m_result.store(0, std::memory_order_release);
    // Cleared before the thread exists, so that a poll right after start() cannot see
    // the done flag of an earlier run.
    m_done.store(false, std::memory_order_release);
    m_started.store(true, std::memory_order_release);
    m_thread = std::thread([this] { work(); });
    return true;
}

void BackgroundJob::work()
{
    int32_t result = 1;
    try {
        result = run();
    } catch (const ClassCom& e) {
        m_error = std::current_exception();
        result = e.code() != 0 ? e.code() : 1;
    } catch (...) {
        m_error = std::current_exception();
        result = 1;
    }
    m_result.store(result, std::memory_order_release);
    {
        // Set under the mutex so that a waiter cannot miss the signal between its check
        // and its wait.
        std::lock_guard lock(m_doneMutex);
        m_done.store(true, std::memory_order_release);
    }
    m_doneSignal.notify_all();
}

bool BackgroundJob::waitDone(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_doneMutex);
    return m_doneSignal.wait_for(lock, timeout, [this] { return isDone(); });
}

void BackgroundJob::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace quillon
