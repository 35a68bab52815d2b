#include "ui/audio_properties.h"

#include "base/prompter.h"
#include "base/settings_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>

#include <algorithm>

namespace quillon {

namespace {

constexpr const char* kAudio = "Audio";

} // namespace

CAudioProperties::CAudioProperties(SettingsStore& settings, Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_prompter(prompter), m_rate(new QComboBox), m_depth(new QComboBox),
      m_noiseShaping(new QCheckBox(tr("Use noise shaping when converting to lower bit depths"))),
      m_dithering(new QCheckBox(tr("Use dithering when converting to lower bit depths")))
{
    m_rate->setEditable(true);
    m_rate->addItems({tr("96000 Hz (HQ Mastering)"), tr("48000 Hz (DAT)"), tr("44100 Hz (CD)"),
                      tr("32000 Hz (DAT Long Play)"), tr("22050 Hz"), tr("11025 Hz"), tr("8000 Hz (Telephone)")});
    m_depth->addItems({tr("8 Bit (Telephone)"), tr("16 Bit (CD and DAT)"), tr("24 Bit (HQ Mastering, packed)"),
                       tr("32 Bit (HQ Mastering, unpacked)")});
    m_rate->setEditText(QString::number(settings.profileInt(kAudio, "SampleRate", 44100)));
    const int resolution = settings.profileInt(kAudio, "Resolution", 16);
    m_depth->setCurrentIndex(std::clamp(resolution / 8 - 1, 0, 3));
    m_dithering->setChecked(settings.profileInt(kAudio, "Dithering", 0) != 0);
    m_noiseShaping->setChecked(settings.profileInt(kAudio, "NoiseShaping", 1) != 0);
    connect(m_depth, &QComboBox::currentIndexChanged, this, [this] { updateConversionBoxes(); });
    updateConversionBoxes();

    auto* form = new QFormLayout(this);
    form->addRow(tr("Rendering sample rate:"), m_rate);
    form->addRow(tr("Rendering bit depth:"), m_depth);
    form->addRow(m_noiseShaping);
    form->addRow(m_dithering);
}

void CAudioProperties::updateConversionBoxes()
{
    const bool lower = m_depth->currentIndex() <= 1;
    m_noiseShaping->setEnabled(lower);
    m_dithering->setEnabled(lower);
}

int CAudioProperties::leadingRate(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype end = 0;
    while (end < t.size() && t[end].isDigit() && end < 9)
        ++end;
    return end == 0 ? 0 : t.left(end).toInt();
}

bool CAudioProperties::store()
{
    const int rate = leadingRate(m_rate->currentText());
    if (rate < kMinRate || rate > kMaxRate) {
        m_prompter.showMessage(tr(kInvalidRateText).toStdString(), PromptIcon::Warning);
        return false;
    }
    m_settings.writeProfileInt(kAudio, "Resolution", 8 * (m_depth->currentIndex() + 1));
    m_settings.writeProfileInt(kAudio, "SampleRate", rate);
    m_settings.writeProfileInt(kAudio, "Dithering", m_dithering->isChecked() ? 1 : 0);
    m_settings.writeProfileInt(kAudio, "NoiseShaping", m_noiseShaping->isChecked() ? 1 : 0);
    return true;
}

} // namespace quillon
