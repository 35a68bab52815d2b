#pragma once
// "Edit Curve Point": one point's place on the timeline as minutes, seconds and
// milliseconds (the third field is captioned "frames"), and its value in the curve's
// unit (dB for volume, percent for pan).
//
// A field the user leaves alone keeps the point's exact value: the fields only hold
// whole milliseconds and two decimals, and confirming an untouched dialog must not
// move the point by the rounding. Minutes are not wrapped at 60 and reach as far as a
// sample position can at the project rate.

#include "model/curve_point.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace quillon {

class CurvePointDialog : public QDialog {
    Q_OBJECT
public:
    CurvePointDialog(int32_t kind, const CurvePoint& point, int32_t rate, QWidget* parent = nullptr);

    // The point as the dialog leaves it.
    CurvePoint result() const;

    // The value in the curve's unit: 20 log10(v) dB (-144 for 0) or v * 200 - 100 %.
    static double displayValue(int32_t kind, float value);
    // Back from the unit, kept within 0..1: -144 dB or less is 0, anything above 0 dB
    // is 1.0 (a curve never amplifies), pan entries beyond +-100 % are clamped.
    static float valueFromDisplay(int32_t kind, double entry);
    // "%.2f dB" or "%.1f %".
    static QString valueText(int32_t kind, float value);
    // The number at the start of an entry such as "-6.02 dB"; false when there is none.
    static bool parseEntry(const QString& text, double& entry);

    QSpinBox* minutesBox() const { return m_minutes; }
    QSpinBox* secondsBox() const { return m_seconds; }
    QSpinBox* framesBox() const { return m_frames; }
    QLineEdit* valueEdit() const { return m_value; }

private:
    void updateOk();

    int32_t m_kind;
    CurvePoint m_point;
    int32_t m_rate;
    CurvePointFields m_fields;
    QString m_valueText;
    QSpinBox* m_minutes;
    QSpinBox* m_seconds;
    QSpinBox* m_frames;
    QLineEdit* m_value;
    QPushButton* m_ok = nullptr;
};

} // namespace quillon
