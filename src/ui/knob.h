#pragma once
// A rotary control for a 16-bit value between a minimum and a maximum: the master
// volume and pan, and the level controls of the wizards. Dragging up or down, the
// wheel and the arrow and page keys turn it; each change the user makes is reported
// with valueChanged carrying the new value. Setting the value from code reports
// nothing, so a listener never hears its own writes back.
// User-interface thread only.

#include <QWidget>

#include <cstdint>

namespace quillon {

class CKnob : public QWidget {
    Q_OBJECT
    Q_PROPERTY(short minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(short maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(short value READ value WRITE setValue NOTIFY valueChanged)
public:
    // The pointer sweeps 270 degrees, from 225 (minimum, lower left) clockwise to -45.
    static constexpr double kStartAngle = 225.0;
    static constexpr double kSweep = 270.0;
    // Pixels of vertical mouse travel for the whole range.
    static constexpr int kDragPixels = 150;

    explicit CKnob(QWidget* parent = nullptr);

    int16_t minimum() const { return m_minimum; }
    int16_t maximum() const { return m_maximum; }
    int16_t value() const { return m_value; }
    // The value is kept inside the range; a range given upside down is turned round.
    void setMinimum(int16_t minimum);
    void setMaximum(int16_t maximum);
    void setValue(int16_t value);

    // Angle of the pointer in degrees (mathematical sense) for the current value.
    double pointerAngle() const;
    QSize sizeHint() const override { return {50, 38}; }

signals:
    void valueChanged(short value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int clamp(int value) const;
    // Sets and reports a value the user chose; silent when nothing changes.
    void userSet(int value);
    int pageStep() const;

    int16_t m_minimum = 0;
    int16_t m_maximum = 100;
    int16_t m_value = 0;
    bool m_dragging = false;
    int m_dragY = 0;
    int m_dragValue = 0;
};

} // namespace quillon
