#include "ui/general_prefs.h"

#include "ui/plugin_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QSpinBox>

#include <algorithm>
#include <cmath>

namespace quillon {

CGeneralPrefs::CGeneralPrefs(const GeneralPrefsValues& values, const std::vector<std::string>& exportFormats,
                             QWidget* parent)
    : QWidget(parent), m_autoTracks(new QCheckBox(tr("Automatically add CD track splits"))),
      m_limitUndo(new QCheckBox(tr("Limit number of undo levels"))), m_undoLevels(new QSpinBox),
      m_startupTracks(new QSpinBox), m_pause(new QDoubleSpinBox), m_exportFormat(new QComboBox),
      m_loadedExportFormat(values.exportFormat)
{
    m_undoLevels->setRange(0, kMaxUndoLevels);
    m_startupTracks->setRange(1, kMaxStartupTracks);
    m_pause->setRange(0.0, kMaxPause);
    m_pause->setDecimals(1);
    m_pause->setSingleStep(0.1);

    m_autoTracks->setChecked(values.autoTracks);
    m_limitUndo->setChecked(values.undoLevels >= 0);
    m_undoLevels->setValue(values.undoLevels >= 0 ? values.undoLevels : kShownUndoLevels);
    m_undoLevels->setEnabled(values.undoLevels >= 0);
    connect(m_limitUndo, &QCheckBox::toggled, m_undoLevels, &QWidget::setEnabled);
    m_startupTracks->setValue(values.startupTracks);
    m_pause->setValue(values.pauseSeconds);
    for (const std::string& name : exportFormats)
        m_exportFormat->addItem(PluginTexts::fileType(name));
    m_exportFormat->setCurrentIndex(values.exportFormat < m_exportFormat->count() ? values.exportFormat : -1);

    auto* form = new QFormLayout(this);
    form->addRow(m_autoTracks);
    form->addRow(m_limitUndo);
    form->addRow(tr("Maximum number of undo levels:"), m_undoLevels);
    form->addRow(tr("Number of tracks in new projects:"), m_startupTracks);
    form->addRow(tr("Default duration of CD track splits (in seconds):"), m_pause);
    form->addRow(tr("Default Export File Format:"), m_exportFormat);
}

int32_t CGeneralPrefs::pauseTenths(double seconds)
{
    return int32_t(std::lround(std::clamp(seconds, 0.0, kMaxPause) * 10.0));
}

GeneralPrefsValues CGeneralPrefs::values() const
{
    GeneralPrefsValues v;
    v.autoTracks = m_autoTracks->isChecked();
    v.undoLevels = m_limitUndo->isChecked() ? m_undoLevels->value() : -1;
    v.startupTracks = m_startupTracks->value();
    v.pauseSeconds = pauseTenths(m_pause->value()) / 10.0;
    // Without a list (no file filter) the stored choice is kept, not wiped.
    v.exportFormat = m_exportFormat->count() > 0 ? m_exportFormat->currentIndex() : m_loadedExportFormat;
    return v;
}

} // namespace quillon
