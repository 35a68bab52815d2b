#pragma once
// What the knob and the level slider share: a 16-bit value kept inside a range, set
// silently from code and reported with valueChanged when the user changes it, and the
// wheel moving it one step per notch. A range given upside down is turned round.
// User-interface thread only.

#include <QWidget>

#include <cstdint>

namespace quillon {

class LevelControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(short minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(short maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(short value READ value WRITE setValue NOTIFY valueChanged)
public:
    explicit LevelControl(QWidget* parent = nullptr);

    int16_t minimum() const { return m_minimum; }
    int16_t maximum() const { return m_maximum; }
    int16_t value() const { return m_value; }
    void setMinimum(int16_t minimum);
    void setMaximum(int16_t maximum);
    void setValue(int16_t value);

signals:
    void valueChanged(short value);

protected:
    void wheelEvent(QWheelEvent* event) override;

    int clamp(int value) const;
    // Sets and reports a value the user chose; silent when nothing changes.
    void userSet(int value);
    // A tenth of the range, at least one step.
    int pageStep() const;

    int16_t m_minimum = 0;
    int16_t m_maximum = 100;
    int16_t m_value = 0;
};

} // namespace quillon
