#include "ui/audio_file_export_dialog.h"

#include "ui/loudness_choice.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillon {

AudioFileExportDialog::AudioFileExportDialog(SettingsStore& settings, QWidget* parent)
    : QDialog(parent), m_loudness(new LoudnessChoice(settings, "FileLoudness", {LoudnessMode::MatchTracks, LoudnessMode::Album}))
{
    setWindowTitle(tr("Export to Audio File"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    // The file and its type are chosen next, in the file filter's save dialog.
    QPushButton* choose = buttons->addButton(tr("Choose File..."), QDialogButtonBox::AcceptRole);
    choose->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_loudness);
    layout->addWidget(buttons);
}

LoudnessTarget AudioFileExportDialog::loudness() const { return m_loudness->target(); }

void AudioFileExportDialog::accept()
{
    m_loudness->store();
    QDialog::accept();
}

} // namespace quillon
