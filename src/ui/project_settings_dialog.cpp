#include "ui/project_settings_dialog.h"

#include "ui/tempo_properties.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace quillon {

ProjectSettingsDialog::ProjectSettingsDialog(const ProjectSettingsValues& values, QWidget* parent)
    : QDialog(parent), m_title(new QLineEdit), m_artist(new QLineEdit), m_notes(new QPlainTextEdit),
      m_length(new QSpinBox), m_tempo(new CTempoProperties)
{
    setWindowTitle(tr("Project Settings"));
    auto* tabs = new QTabWidget;
    auto* general = new QWidget;
    auto* form = new QFormLayout(general);
    m_title->setText(QString::fromStdString(values.title));
    m_artist->setText(QString::fromStdString(values.artist));
    m_notes->setPlainText(QString::fromStdString(values.notes));
    m_length->setRange(1, 800);
    m_length->setValue(values.lengthMinutes);
    m_length->setSuffix(tr(" min"));
    form->addRow(tr("Title:"), m_title);
    form->addRow(tr("Artist:"), m_artist);
    form->addRow(tr("Notes:"), m_notes);
    form->addRow(tr("Project length:"), m_length);
    tabs->addTab(general, tr("General"));
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
    v.title = m_title->text().toStdString();
    v.artist = m_artist->text().toStdString();
    v.notes = m_notes->toPlainText().toStdString();
    v.lengthMinutes = m_length->value();
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
    QDialog::accept();
}

} // namespace quillon
