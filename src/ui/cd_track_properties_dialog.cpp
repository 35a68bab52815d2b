#include "cd_track_properties_dialog.h"

#include "model/disc_codes.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quillon {

CdTrackPropertiesDialog::CdTrackPropertiesDialog(const QString& title, const QString& artist, QWidget* parent)
    : CdTrackPropertiesDialog(title, artist, QString(), parent)
{
}

CdTrackPropertiesDialog::CdTrackPropertiesDialog(const QString& title, const QString& artist, const QString& isrc,
                                                 QWidget* parent)
    : QDialog(parent), m_title(new QLineEdit(title, this)), m_artist(new QLineEdit(artist, this)),
      m_isrc(new QLineEdit(isrc, this)), m_isrcHint(new QLabel(this))
{
    setWindowTitle(tr("CD Track Properties"));
    auto* form = new QFormLayout(this);
    form->addRow(tr("CD Track Title:"), m_title);
    form->addRow(tr("CD Track Artist:"), m_artist);
    m_isrc->setPlaceholderText(QStringLiteral("CCXXXYYNNNNN"));
    form->addRow(tr("ISRC:"), m_isrc);
    m_isrcHint->setWordWrap(true);
    form->addRow(m_isrcHint);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_isrc, &QLineEdit::textChanged, this, [this] { checkIsrc(); });
    checkIsrc();
}

void CdTrackPropertiesDialog::checkIsrc()
{
    const bool valid = m_isrc->text().trimmed().isEmpty() || !isrc().isEmpty();
    m_isrcHint->setText(valid ? QString() : tr(DiscCodes::kIsrcRule));
    m_isrcHint->setVisible(!valid);
    m_ok->setEnabled(valid);
}

QString CdTrackPropertiesDialog::title() const { return m_title->text(); }
QString CdTrackPropertiesDialog::artist() const { return m_artist->text(); }
QString CdTrackPropertiesDialog::isrc() const
{
    return QString::fromStdString(DiscCodes::normaliseIsrc(m_isrc->text().trimmed().toStdString()));
}

} // namespace quillon
