#pragma once
// The progress of a background job (an export, the burn preparation): a bar and a
// "Stop" button, the caption being the job's title and how much is done. It starts the
// job when it opens, polls it every 100 ms and changes bar and caption only when the
// whole percent changes. "Stop" asks the job to end; the dialog still ends only on a
// poll that finds the job done, so the worker thread has always ended when run()
// returns.
//
// Threads: the user-interface thread only; the job runs on its own worker.

#include "engine/job_runner.h"

#include <QBasicTimer>
#include <QDialog>

class QProgressBar;
class QPushButton;

namespace quillon {

class BackgroundJob;

class JobProgressDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPollMilliseconds = 100;

    JobProgressDialog(BackgroundJob& job, QWidget* parent = nullptr);

    // Runs the job modally: JobRunner::kFinished when it ended by itself with result 0,
    // JobRunner::kStopped when it was stopped or failed.
    int run();
    // Asks the job to end (blocks until its render has ended).
    void stop();

    QProgressBar* progressBar() const { return m_bar; }
    QPushButton* stopButton() const { return m_stop; }
    // Polls so far.
    int polls() const { return m_polls; }

    // Runs every job through a progress dialog over `parent`.
    class Runner : public JobRunner {
    public:
        explicit Runner(QWidget* parent = nullptr) : m_parent(parent) {}
        int runJob(BackgroundJob& job) override;

    private:
        QWidget* m_parent;
    };

protected:
    void timerEvent(QTimerEvent* event) override;
    // Escape stops the job like "Stop"; the dialog ends when the job has.
    void reject() override;

private:
    void poll();

    BackgroundJob& m_job;
    QProgressBar* m_bar;
    QPushButton* m_stop;
    QBasicTimer m_timer;
    int m_shown = -1;
    int m_polls = 0;
    bool m_stopped = false;
    bool m_ending = false;
};

} // namespace quillon
