#include "ui/project_info_page.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

namespace quillon {

CProjectInfoPage::CProjectInfoPage(const ProjectInfoValues& values, bool titleEnabled, QWidget* parent)
    : QWidget(parent), m_title(new QLineEdit), m_artist(new QLineEdit), m_notes(new QPlainTextEdit),
      m_length(new QSpinBox)
{
    m_title->setText(QString::fromStdString(values.title));
    m_title->setEnabled(titleEnabled);
    m_artist->setText(QString::fromStdString(values.artist));
    m_notes->setPlainText(QString::fromStdString(values.notes));
    m_length->setRange(1, kMaxMinutes);
    m_length->setValue(values.lengthMinutes);
    auto* form = new QFormLayout(this);
    form->addRow(tr("Project Title:"), m_title);
    form->addRow(tr("Artist:"), m_artist);
    form->addRow(tr("Notes:"), m_notes);
    form->addRow(tr("Project Length (in minutes):"), m_length);
}

ProjectInfoValues CProjectInfoPage::values() const
{
    ProjectInfoValues v;
    v.title = m_title->text().toStdString();
    v.artist = m_artist->text().toStdString();
    v.notes = m_notes->toPlainText().toStdString();
    v.lengthMinutes = m_length->value();
    return v;
}

} // namespace quillon
