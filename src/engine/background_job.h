#pragma once
// A long operation (export, burn preparation) that runs on one worker thread while the
// user-interface thread polls its done flag and progress, typically every 100 ms from a
// progress dialog, and may ask it to stop.
//
// Threads: start(), abort() and wait() are called by the owner's thread (the
// user-interface thread, the command-line tool's main thread); run() runs on the
// worker. isDone(), isRunning(), result() and progress() may be read from any thread;
// derived classes keep whatever progress() reads in atomics. The owner finishes the job
// (wait(), or polling until isDone() and then wait()) before destroying it; derived
// destructors call wait() themselves so that run() never outlives their members.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

namespace quillon {

class BackgroundJob {
public:
    BackgroundJob() = default;
    virtual ~BackgroundJob();
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Asks a running job to end early; returns once it has ended. The base does nothing
    // and reports false.
    virtual bool abort() { return false; }
    // Fraction done, 0..1.
    virtual float progress() const { return 0.0f; }
    // The caption a progress display shows.
    virtual std::string title() const { return {}; }
    // The work itself, on the worker thread; 0 means success.
    virtual int32_t run() = 0;

    // Starts the worker thread: it clears the done flag, calls run(), stores its result
    // and sets the done flag. An exception leaving run() is kept (error()) and makes the
    // result nonzero: the ClassCom code, else 1. A job that is still running is not
    // started twice (false).
    bool start();
    // Set once run() has returned (or thrown).
    bool isDone() const { return m_done.load(std::memory_order_acquire); }
    // Started and not yet done.
    bool isRunning() const { return m_started.load(std::memory_order_acquire) && !isDone(); }
    int32_t result() const { return m_result.load(std::memory_order_acquire); }
    // The exception that ended run(), once done; null when it returned normally.
    std::exception_ptr error() const { return isDone() ? m_error : nullptr; }
    // Blocks until the worker thread has ended (at once when it never started).
    void wait();
    // Waits up to `timeout` for the done flag and tells whether it is set; a poller uses
    // it in place of sleeping, so that it sees the end of the job at once.
    bool waitDone(std::chrono::milliseconds timeout);

private:
    void work();

    std::thread m_thread;
    std::atomic<bool> m_started{false};
    std::atomic<bool> m_done{false};
    std::atomic<int32_t> m_result{0};
    std::exception_ptr m_error;
    std::mutex m_doneMutex;
    std::condition_variable m_doneSignal;
};

} // namespace quillon
