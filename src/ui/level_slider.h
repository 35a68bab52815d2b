#pragma once
// A vertical fader for a 16-bit value (the recording level and the wizards' level
// controls). The top of the groove is the maximum. Dragging the thumb or clicking the
// groove, the wheel and the keys move it; each change the user makes is reported
// with valueChanged. Setting the value from code reports nothing.
// User-interface thread only.

#include "ui/level_control.h"

namespace quillon {

class CLevelSlider : public LevelControl {
    Q_OBJECT
public:
    static constexpr int kThumbHeight = 10;
    static constexpr int kMargin = 4;

    explicit CLevelSlider(QWidget* parent = nullptr);

    // The y of the thumb's centre for a value, and the value at a y (clamped).
    int yOfValue(int value) const;
    int valueAtY(int y) const;
    QSize sizeHint() const override { return {24, 120}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int travel() const;

    bool m_dragging = false;
};

} // namespace quillon
