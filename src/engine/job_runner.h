#pragma once
// How a background job is run while its owner waits: the desktop program shows a modal
// progress dialog, the command-line tool a progress bar, tests poll. All follow the same
// rules, kept here: progress is shown in whole percent and only when that changes; the
// owner asks a job to stop through abort(); the run ends on a poll that finds the job
// done, so the worker thread has always ended when runJob() returns.
//
// Threads: runJob() is called on the owner's thread and returns there.

#include "base/prompt_text.h"
#include <chrono>
#include <functional>
#include <string>

namespace quillon {

class BackgroundJob;

class JobRunner {
public:
    // What runJob() returns, as the progress dialog does.
    static constexpr int kFinished = 1; // ended by itself with result 0
    static constexpr int kStopped = 2;  // stopped, or its result is nonzero

    virtual ~JobRunner() = default;
    virtual int runJob(BackgroundJob& job) = 0;

    // The job's progress in whole percent (truncated), 0..100.
    static int percentOf(const BackgroundJob& job);
    // "<title>, <percent>% done"; as a text a language pack translates (the title too).
    static PromptText captionText(const std::string& title, int percent);
    static std::string caption(const std::string& title, int percent) { return captionText(title, percent).english(); }
    static int outcome(const BackgroundJob& job, bool stopped);
};

// Polls on the calling thread at a fixed interval (100 ms unless told otherwise).
class PollingJobRunner : public JobRunner {
public:
    // Called on the owner's thread whenever the whole percent changes.
    using ProgressListener = std::function<void(int percent, const std::string& caption)>;
    // Asked at every poll while the job runs; true stops it (abort(), once).
    using StopCheck = std::function<bool(const BackgroundJob& job)>;

    explicit PollingJobRunner(std::chrono::milliseconds interval = std::chrono::milliseconds(100));

    void setProgressListener(ProgressListener listener) { m_listener = std::move(listener); }
    void setStopCheck(StopCheck check) { m_stopCheck = std::move(check); }

    int runJob(BackgroundJob& job) override;

private:
    std::chrono::milliseconds m_interval;
    ProgressListener m_listener;
    StopCheck m_stopCheck;
};

} // namespace quillon
