#include "ui/recording_settings_dialog.h"

#include "base/settings_store.h"
#include "ui/file_dialog_filters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace quillon {

namespace {
QString tr_(const char* text) { return QCoreApplication::translate("RecordingSettingsDialog", text); }
} // namespace

RecordingSettingsDialog::RecordingSettingsDialog(SettingsStore& settings, const QString& destination, QWidget* parent)
    : QDialog(parent), m_settings(settings)
{
    setWindowTitle(tr_("Recording Settings"));
    m_stereo = new QCheckBox(tr_("Stereo recording"));
    m_stereo->setChecked(m_settings.profileInt(kSection, "Channels", 2) == 2);
    m_resolution = new QComboBox;
    for (const char* item : {"8 bit", "16 bit", "24 bit", "32 bit"})
        m_resolution->addItem(tr_(item));
    const int32_t bits = m_settings.profileInt(kSection, "Resolution", 16);
    // A stored value that is no resolution falls back to 16 bits.
    m_resolution->setCurrentIndex(bits % 8 == 0 && bits >= 8 && bits <= 32 ? bits / 8 - 1 : 1);
    m_destination = new QLineEdit(destination);
    auto* browseButton = new QPushButton(QStringLiteral("..."));
    browseButton->setFixedWidth(32);
    connect(browseButton, &QPushButton::clicked, this, &RecordingSettingsDialog::browse);

    auto* destinationRow = new QHBoxLayout;
    destinationRow->addWidget(m_destination, 1);
    destinationRow->addWidget(browseButton);
    auto* form = new QFormLayout;
    form->addRow(m_stereo);
    form->addRow(tr_("Resolution:"), m_resolution);
    form->addRow(tr_("Destination file:"), destinationRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString RecordingSettingsDialog::destination() const { return m_destination->text(); }

uint16_t RecordingSettingsDialog::bits() const { return static_cast<uint16_t>(8 * (m_resolution->currentIndex() + 1)); }

bool RecordingSettingsDialog::stereo() const { return m_stereo->isChecked(); }

void RecordingSettingsDialog::accept()
{
    // No take without a file to write it to.
    if (m_destination->text().trimmed().isEmpty())
        return;
    m_settings.writeProfileInt(kSection, "Resolution", bits());
    m_settings.writeProfileInt(kSection, "Channels", stereo() ? 2 : 1);
    QDialog::accept();
}

void RecordingSettingsDialog::browse()
{
    QFileDialog dialog(this, tr_("Destination file:"), m_destination->text(),
                       FileDialogFilters::fromList(FileDialogFilters::currentList()));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        m_destination->setText(dialog.selectedFiles().constFirst());
}

} // namespace quillon
