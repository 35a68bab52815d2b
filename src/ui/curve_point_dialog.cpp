#include "ui/curve_point_dialog.h"

#include "model/curve.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace quillon {

namespace {

constexpr double kSilenceDb = -144.0;

QSpinBox* spin(int maximum, int value, const char* name)
{
    auto* box = new QSpinBox;
    box->setRange(0, maximum);
    box->setValue(value);
    box->setObjectName(QLatin1String(name));
    return box;
}

} // namespace

CurvePointDialog::CurvePointDialog(int32_t kind, const CurvePoint& point, int32_t rate, QWidget* parent)
    : QDialog(parent), m_kind(kind), m_point(point), m_rate(rate),
      m_fields(curvePointFieldsFromPosition(point.position, rate)), m_valueText(valueText(kind, point.value))
{
    setWindowTitle(tr("Edit Curve Point"));
    m_minutes = spin(std::max(curvePointMaxMinutes(rate), m_fields.minutes), m_fields.minutes, "minutes");
    m_seconds = spin(59, m_fields.seconds, "seconds");
    m_frames = spin(999, m_fields.milliseconds, "frames");
    m_value = new QLineEdit(m_valueText);
    m_value->setObjectName(QStringLiteral("value"));

    auto* position = new QGroupBox(tr("Time Line Position"));
    auto* row = new QHBoxLayout(position);
    row->addWidget(m_minutes);
    row->addWidget(new QLabel(tr("min")));
    row->addWidget(m_seconds);
    row->addWidget(new QLabel(tr("sec")));
    row->addWidget(m_frames);
    row->addWidget(new QLabel(tr("frames")));

    auto* value = new QGroupBox(tr("Value"));
    auto* form = new QFormLayout(value);
    form->addRow(kind == CCurve::kPan ? tr("Pan (in %)") : tr("Volume (in dB)"), m_value);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_value, &QLineEdit::textChanged, this, &CurvePointDialog::updateOk);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(position);
    layout->addWidget(value);
    layout->addWidget(buttons);
}

double CurvePointDialog::displayValue(int32_t kind, float value)
{
    if (kind == CCurve::kPan)
        return double(value) * 200.0 - 100.0;
    return value > 0.0f ? 20.0 * std::log10(double(value)) : kSilenceDb;
}

float CurvePointDialog::valueFromDisplay(int32_t kind, double entry)
{
    if (kind == CCurve::kPan)
        return float(std::clamp((entry + 100.0) * 0.005, 0.0, 1.0));
    if (!(entry > kSilenceDb))
        return 0.0f;
    return float(std::clamp(std::pow(10.0, entry * 0.05), 0.0, 1.0));
}

QString CurvePointDialog::valueText(int32_t kind, float value)
{
    const double shown = displayValue(kind, value);
    return kind == CCurve::kPan ? QString::asprintf("%.1f %%", shown) : QString::asprintf("%.2f dB", shown);
}

bool CurvePointDialog::parseEntry(const QString& text, double& entry)
{
    // The unit the dialog wrote may stay in the field; a comma is taken as the
    // decimal point as well.
    static const QRegularExpression number(QStringLiteral("^\\s*([-+]?(\\d+([.,]\\d*)?|[.,]\\d+))\\s*(dB|%)?\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return false;
    bool ok = false;
    entry = m.captured(1).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok && std::isfinite(entry);
}

void CurvePointDialog::updateOk()
{
    double entry = 0.0;
    m_ok->setEnabled(parseEntry(m_value->text(), entry));
}

CurvePoint CurvePointDialog::result() const
{
    CurvePoint out = m_point;
    const CurvePointFields now{m_minutes->value(), m_seconds->value(), m_frames->value()};
    if (now.minutes != m_fields.minutes || now.seconds != m_fields.seconds || now.milliseconds != m_fields.milliseconds)
        out.position = curvePointPositionFromFields(now, m_rate);
    double entry = 0.0;
    if (m_value->text() != m_valueText && parseEntry(m_value->text(), entry))
        out.value = valueFromDisplay(m_kind, entry);
    return out;
}

} // namespace quillon
