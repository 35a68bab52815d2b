#include "ui/job_progress_dialog.h"

#include "engine/background_job.h"
#include "engine/job_runner.h"
#include "ui/qt_prompter.h"

#include <QCoreApplication>

#include <QProgressBar>
#include <QPushButton>
#include <QTimerEvent>
#include <QVBoxLayout>

namespace quillon {

JobProgressDialog::JobProgressDialog(BackgroundJob& job, QWidget* parent) : QDialog(parent), m_job(job)
{
    m_bar = new QProgressBar;
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_stop = new QPushButton(tr("Stop"));
    connect(m_stop, &QPushButton::clicked, this, &JobProgressDialog::stop);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addWidget(m_stop, 0, Qt::AlignHCenter);
    setMinimumWidth(320);
    // Job titles are the model's English whole texts.
    setWindowTitle(QCoreApplication::translate("Messages", m_job.title().c_str()));
}

int JobProgressDialog::run()
{
    if (!m_job.start())
        return JobRunner::kStopped;
    m_timer.start(kPollMilliseconds, this);
    const int outcome = exec();
    m_job.wait();
    return outcome;
}

void JobProgressDialog::stop()
{
    if (m_stopped || m_job.isDone())
        return;
    m_stopped = true;
    m_stop->setEnabled(false);
    m_job.abort();
}

void JobProgressDialog::reject() { stop(); }

void JobProgressDialog::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer.timerId())
        poll();
    else
        QDialog::timerEvent(event);
}

void JobProgressDialog::poll()
{
    ++m_polls;
    const int percent = JobRunner::percentOf(m_job);
    if (percent != m_shown) {
        m_shown = percent;
        m_bar->setValue(percent);
        setWindowTitle(QtPrompter::translated(JobRunner::captionText(m_job.title(), percent)));
    }
    if (m_job.isDone() && !m_ending) {
        m_ending = true;
        m_timer.stop();
        done(JobRunner::outcome(m_job, m_stopped));
    }
}

int JobProgressDialog::Runner::runJob(BackgroundJob& job)
{
    JobProgressDialog dialog(job, m_parent);
    return dialog.run();
}

} // namespace quillon
