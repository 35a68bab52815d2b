#include "ui/project_settings_dialog.h"

#include "ui/audio_properties.h"
#include "ui/project_info_page.h"
#include "ui/tempo_properties.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace quillon {

ProjectSettingsDialog::ProjectSettingsDialog(const ProjectSettingsValues& values, SettingsStore& settings,
                                             Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_audio(new CAudioProperties(settings, prompter)),
      m_general(new CProjectInfoPage({values.title, values.artist, values.notes, values.lengthMinutes}, true)),
      m_tempo(new CTempoProperties)
{
    setWindowTitle(tr("Project Settings"));
    auto* tabs = new QTabWidget;
    tabs->addTab(m_audio, tr("Audio Settings"));
    tabs->addTab(m_general, tr("General"));
    m_tempo->setValues(values.beatsPerMinute, values.beatsPerMeasure);
    tabs->addTab(m_tempo, tr("Tempo and Meter"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
}

ProjectSettingsValues ProjectSettingsDialog::values() const
{
    ProjectSettingsValues v;
    const ProjectInfoValues info = m_general->values();
    v.title = info.title;
    v.artist = info.artist;
    v.notes = info.notes;
    v.lengthMinutes = info.lengthMinutes;
    v.beatsPerMinute = m_tempo->beatsPerMinute();
    v.beatsPerMeasure = m_tempo->beatsPerMeasure();
    return v;
}

void ProjectSettingsDialog::accept()
{
    QString message;
    if (!m_tempo->validate(message)) {
        if (auto* tabs = findChild<QTabWidget*>())
            tabs->setCurrentWidget(m_tempo);
        QMessageBox::warning(this, windowTitle(), message);
        return;
    }
    // A refused rate is discarded with its message; the other pages still apply.
    m_audio->store();
    QDialog::accept();
}

} // namespace quillon
