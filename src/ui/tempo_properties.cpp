#include "ui/tempo_properties.h"

#include <QFormLayout>
#include <QLineEdit>

#include <cmath>

namespace quillon {

CTempoProperties::CTempoProperties(QWidget* parent) : QWidget(parent), m_bpm(new QLineEdit(this)), m_beats(new QLineEdit(this))
{
    auto* form = new QFormLayout(this);
    form->addRow(tr("Beats per minute:"), m_bpm);
    form->addRow(tr("Beats per measure:"), m_beats);
}

void CTempoProperties::setValues(double beatsPerMinute, int32_t beatsPerMeasure)
{
    m_bpm->setText(QString::number(beatsPerMinute, 'g', 6));
    m_beats->setText(QString::number(beatsPerMeasure));
}

bool CTempoProperties::validate(QString& message)
{
    bool ok = false;
    const double bpm = m_bpm->text().trimmed().toDouble(&ok);
    if (!ok || !(bpm >= kMinBpm && bpm <= kMaxBpm)) {
        message = tr("Please enter a number between %1 and %2.").arg(kMinBpm).arg(kMaxBpm);
        m_bpm->setFocus();
        m_bpm->selectAll();
        return false;
    }
    const int beats = m_beats->text().trimmed().toInt(&ok);
    if (!ok || beats < kMinBeats || beats > kMaxBeats) {
        message = tr("Please enter an integer between %1 and %2.").arg(kMinBeats).arg(kMaxBeats);
        m_beats->setFocus();
        m_beats->selectAll();
        return false;
    }
    return true;
}

double CTempoProperties::beatsPerMinute() const { return m_bpm->text().trimmed().toDouble(); }

int32_t CTempoProperties::beatsPerMeasure() const { return m_beats->text().trimmed().toInt(); }

int32_t CTempoProperties::tempoFromBpm(double bpm) { return static_cast<int32_t>(std::trunc(bpm * 100.0 + 0.5)); }

} // namespace quillon
