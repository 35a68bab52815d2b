#include "engine/job_runner.h"

#include "engine/background_job.h"

#include <algorithm>
#include <cstdio>

namespace quillon {

int JobRunner::percentOf(const BackgroundJob& job)
{
    return std::clamp(static_cast<int>(job.progress() * 100.0f), 0, 100);
}

PromptText JobRunner::captionText(const std::string& title, int percent)
{
    return PromptText("%1, %2% done").arg(PromptText(title)).arg(percent);
}

int JobRunner::outcome(const BackgroundJob& job, bool stopped)
{
    return stopped || job.result() != 0 ? kStopped : kFinished;
}

PollingJobRunner::PollingJobRunner(std::chrono::milliseconds interval) : m_interval(interval) {}

int PollingJobRunner::runJob(BackgroundJob& job)
{
    if (!job.start())
        return kStopped;
    int shown = -1;
    bool stopped = false;
    for (;;) {
        job.waitDone(m_interval);
        const int percent = percentOf(job);
        if (percent != shown) {
            shown = percent;
            if (m_listener)
                m_listener(percent, caption(job.title(), percent));
        }
        if (job.isDone()) {
            job.wait();
            return outcome(job, stopped);
        }
        if (!stopped && m_stopCheck && m_stopCheck(job)) {
            job.abort();
            stopped = true;
        }
    }
}

} // namespace quillon
