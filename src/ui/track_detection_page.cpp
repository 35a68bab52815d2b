#include "ui/track_detection_page.h"

#include "ui/recording_overview.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

namespace quillon {

TrackDetectionPage::TrackDetectionPage(const WAVEFORMATEX& projectFormat, QWidget* parent)
    : WizardPage(parent), m_format(projectFormat)
{
    auto* form = new QFormLayout(this);
    m_threshold = new QDoubleSpinBox(this);
    m_threshold->setRange(WizardCompilation::kLowestThresholdDb, WizardCompilation::kHighestThresholdDb);
    m_threshold->setSuffix(" dB");
    m_threshold->setValue(-40.0);
    m_pause = new QDoubleSpinBox(this);
    m_pause->setRange(0.1, 30.0);
    m_pause->setValue(2.0);
    m_pause->setSuffix(" s");
    m_track = new QDoubleSpinBox(this);
    m_track->setRange(0.1, 120.0);
    m_track->setValue(20.0);
    m_track->setSuffix(" s");
    m_expected = new QSpinBox(this);
    m_expected->setRange(0, 99);
    m_expected->setSpecialValueText(tr("Any"));
    m_detect = new QPushButton(tr("Detect"), this);
    m_list = new QListWidget(this);
    m_overview = new RecordingOverview(this);
    m_overview->setThresholdDb(float(m_threshold->value()));
    form->addRow(tr("Maximum noise level in pauses:"), m_threshold);
    form->addRow(tr("Minimum duration of pause:"), m_pause);
    form->addRow(tr("Minimum duration of track:"), m_track);
    form->addRow(tr("Expected number of tracks:"), m_expected);
    form->addRow(m_detect);
    form->addRow(m_overview);
    form->addRow(m_list);
    connect(m_detect, &QPushButton::clicked, this, &TrackDetectionPage::detect);
    // The line follows the control at once; the ranges only change on "Detect".
    connect(m_threshold, &QDoubleSpinBox::valueChanged, this,
            [this](double db) { m_overview->setThresholdDb(float(db)); });
    connect(m_overview, &RecordingOverview::rangeClicked, m_list, [this](int row) { m_list->setCurrentRow(row); });
    connect(m_list, &QListWidget::currentRowChanged, m_overview, &RecordingOverview::setSelectedRange);
}

QString TrackDetectionPage::description() const
{
    return tr("Select the maximum noise level in pauses between tracks and the minimum length of pauses and tracks. "
              "Click \"Detect\" to scan the recording with new settings.");
}

WizardCompilation::Detection TrackDetectionPage::settings() const
{
    return {float(m_threshold->value()), float(m_track->value()), float(m_pause->value())};
}

void TrackDetectionPage::activate(WizardFrame& frame)
{
    frame.setFlags(WizardFrame::kNext);
    // The take is complete by now; open it afresh in case it was recorded again.
    m_overview->setRecording(m_recording, &m_format);
    detect();
}

void TrackDetectionPage::detect()
{
    if (m_expected->value() > 0) {
        const float db = WizardCompilation::thresholdForCount(m_expected->value(), [this](float level) {
            WizardCompilation::Detection s = settings();
            s.thresholdDb = level;
            return int(WizardCompilation::detectRanges(m_recording, s, &m_format).size());
        });
        m_threshold->setValue(db);
    }
    m_ranges = WizardCompilation::detectRanges(m_recording, settings(), &m_format);
    m_list->clear();
    m_overview->setRanges(m_ranges);
    const double rate = m_format.nSamplesPerSec ? m_format.nSamplesPerSec : 44100;
    for (size_t i = 0; i < m_ranges.size(); ++i)
        m_list->addItem(tr("Track %1: %2 s to %3 s")
                            .arg(i + 1)
                            .arg(m_ranges[i].first / rate, 0, 'f', 1)
                            .arg(m_ranges[i].second / rate, 0, 'f', 1));
}

void TrackDetectionPage::leave()
{
    m_pieces = WizardCompilation::detectPieces(m_recording, settings(), &m_format);
}

} // namespace quillon
