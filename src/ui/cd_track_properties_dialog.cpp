#include "cd_track_properties_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace quillon {

CdTrackPropertiesDialog::CdTrackPropertiesDialog(const QString& title, const QString& artist, QWidget* parent)
    : QDialog(parent), m_title(new QLineEdit(title, this)), m_artist(new QLineEdit(artist, this))
{
    setWindowTitle(tr("CD Track Properties"));
    auto* form = new QFormLayout(this);
    form->addRow(tr("CD Track Title:"), m_title);
    form->addRow(tr("CD Track Artist:"), m_artist);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString CdTrackPropertiesDialog::title() const { return m_title->text(); }
QString CdTrackPropertiesDialog::artist() const { return m_artist->text(); }

} // namespace quillon
