#include "burn_progress_dialog.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace quillon {

BurnProgressDialog::BurnProgressDialog(CdBurnWorkflow& workflow, CLabelList& labels, const CdBurnOptions& options,
                                       QWidget* parent)
    : QDialog(parent), m_workflow(workflow), m_labels(labels), m_options(options),
      m_preparation(new QProgressBar(this)), m_track(new QLabel(this)), m_writing(new QProgressBar(this)),
      m_phase(new QLabel(tr("Not Burning"), this))
{
    setWindowTitle(tr("Burn progress"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(tr("Preparing Audio Data"), this), 0, 0, 1, 2);
    grid->addWidget(m_preparation, 1, 0, 1, 2);
    grid->addWidget(new QLabel(tr("Current track:"), this), 2, 0);
    grid->addWidget(m_track, 2, 1);
    grid->addWidget(new QLabel(tr("Writing to CD"), this), 3, 0, 1, 2);
    grid->addWidget(m_writing, 4, 0, 1, 2);
    grid->addWidget(new QLabel(tr("Burning Phase:"), this), 5, 0);
    grid->addWidget(m_phase, 5, 1);
    auto* cancelButton = new QPushButton(tr("Cancel"), this);
    grid->addWidget(cancelButton, 6, 1, Qt::AlignRight);
    connect(cancelButton, &QPushButton::clicked, this, [this] { m_cancel = true; });
    m_preparation->setRange(0, 100);
    m_writing->setRange(0, 100);
}

void BurnProgressDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_started)
        QTimer::singleShot(0, this, &BurnProgressDialog::run);
}

void BurnProgressDialog::run()
{
    if (m_started)
        return;
    m_started = true;
    m_result = m_workflow.burn(m_labels, m_options, *this);
    done(m_result == CdBurnWorkflow::Result::Burned ? QDialog::Accepted : QDialog::Rejected);
}

void BurnProgressDialog::currentTrack(const std::string& text) { m_track->setText(QString::fromStdString(text)); }

void BurnProgressDialog::preparation(int percent) { m_preparation->setValue(std::clamp(percent, 0, 100)); }

void BurnProgressDialog::writing(int percent) { m_writing->setValue(std::clamp(percent, 0, 100)); }

// The burn's phases are English whole texts of the workflow and the burner library.
void BurnProgressDialog::phase(const std::string& text)
{
    m_phase->setText(QCoreApplication::translate("Messages", text.c_str()));
}

bool BurnProgressDialog::cancelled()
{
    // Asked at every poll of the work: the moment to keep the window alive.
    QCoreApplication::processEvents();
    return m_cancel;
}

} // namespace quillon
