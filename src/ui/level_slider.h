#pragma once
// A vertical fader for a 16-bit value (the recording level and the wizards' level
// controls). The top of the groove is the maximum. Dragging the thumb or clicking the
// groove, the wheel and the keys move it; each change the user makes is reported
// with valueChanged. Setting the value from code reports nothing.
// User-interface thread only.

#include <QWidget>

#include <cstdint>

namespace quillon {

class CLevelSlider : public QWidget {
    Q_OBJECT
    Q_PROPERTY(short minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(short maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(short value READ value WRITE setValue NOTIFY valueChanged)
public:
    static constexpr int kThumbHeight = 10;
    static constexpr int kMargin = 4;

    explicit CLevelSlider(QWidget* parent = nullptr);

    int16_t minimum() const { return m_minimum; }
    int16_t maximum() const { return m_maximum; }
    int16_t value() const { return m_value; }
    void setMinimum(int16_t minimum);
    void setMaximum(int16_t maximum);
    void setValue(int16_t value);

    // The y of the thumb's centre for a value, and the value at a y (clamped).
    int yOfValue(int value) const;
    int valueAtY(int y) const;
    QSize sizeHint() const override { return {24, 120}; }

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
    void userSet(int value);
    int travel() const;

    int16_t m_minimum = 0;
    int16_t m_maximum = 100;
    int16_t m_value = 0;
    bool m_dragging = false;
};

} // namespace quillon
