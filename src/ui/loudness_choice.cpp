#include "ui/loudness_choice.h"

#include "base/settings_store.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

#include <algorithm>
#include <cmath>

namespace quillon {

LoudnessChoice::LoudnessChoice(SettingsStore& settings, std::string name, std::vector<LoudnessMode> modes,
                               QWidget* parent)
    : QWidget(parent), m_settings(settings), m_name(std::move(name)), m_mode(new QComboBox(this)),
      m_target(new QDoubleSpinBox(this))
{
    m_mode->addItem(tr("None"), int(LoudnessMode::Off));
    for (LoudnessMode mode : modes)
        m_mode->addItem(mode == LoudnessMode::MatchTracks ? tr("Match track loudness") : tr("Album loudness"),
                        int(mode));
    // A mode this dialog does not offer (a value edited by hand) leaves the export unchanged.
    const int stored = m_mode->findData(m_settings.profileInt(kSection, m_name, int(LoudnessMode::Off)));
    m_mode->setCurrentIndex(std::max(stored, 0));

    m_target->setRange(kLowestTarget, kHighestTarget);
    m_target->setDecimals(1);
    m_target->setSingleStep(0.5);
    m_target->setSuffix(tr(" LUFS"));
    m_target->setValue(
        m_settings.profileInt(kSection, m_name + "Target", int(std::lround(LoudnessTarget::kDefaultTargetLufs * 10))) /
        10.0);

    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(tr("Loudness:"), m_mode);
    form->addRow(tr("Loudness target:"), m_target);
    auto showTarget = [this] { m_target->setEnabled(mode() != LoudnessMode::Off); };
    connect(m_mode, &QComboBox::currentIndexChanged, this, showTarget);
    showTarget();
}

LoudnessMode LoudnessChoice::mode() const { return LoudnessMode(m_mode->currentData().toInt()); }

LoudnessTarget LoudnessChoice::target() const
{
    LoudnessTarget target;
    target.mode = mode();
    target.targetLufs = m_target->value();
    return target;
}

void LoudnessChoice::store() const
{
    m_settings.writeProfileInt(kSection, m_name, int(mode()));
    m_settings.writeProfileInt(kSection, m_name + "Target", int(std::lround(m_target->value() * 10)));
}

} // namespace quillon
