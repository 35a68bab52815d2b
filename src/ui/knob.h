#pragma once
// A rotary control for a 16-bit value between a minimum and a maximum: the master
// volume and pan, and the level controls of the wizards. Dragging up or down, the
// wheel and the arrow and page keys turn it; each change the user makes is reported
// with valueChanged carrying the new value. Setting the value from code reports
// nothing, so a listener never hears its own writes back.
// User-interface thread only.

#include "ui/level_control.h"

namespace quillon {

class CKnob : public LevelControl {
    Q_OBJECT
public:
    // The pointer sweeps 270 degrees, from 225 (minimum, lower left) clockwise to -45.
    static constexpr double kStartAngle = 225.0;
    static constexpr double kSweep = 270.0;
    // Pixels of vertical mouse travel for the whole range.
    static constexpr int kDragPixels = 150;

    explicit CKnob(QWidget* parent = nullptr);

    // Angle of the pointer in degrees (mathematical sense) for the current value.
    double pointerAngle() const;
    QSize sizeHint() const override { return {50, 38}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_dragging = false;
    int m_dragY = 0;
    int m_dragValue = 0;
};

} // namespace quillon
