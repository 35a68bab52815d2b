#include "ui/level_slider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace quillon {

CLevelSlider::CLevelSlider(QWidget* parent) : LevelControl(parent)
{
    setMinimumSize(12, 2 * kMargin + 2 * kThumbHeight);
}

int CLevelSlider::travel() const { return std::max(1, height() - 2 * kMargin - kThumbHeight); }

int CLevelSlider::yOfValue(int value) const
{
    const int span = int(m_maximum) - int(m_minimum);
    const int top = kMargin + kThumbHeight / 2;
    if (span <= 0)
        return top + travel();
    return top + int(int64_t(int(m_maximum) - clamp(value)) * travel() / span);
}

int CLevelSlider::valueAtY(int y) const
{
    const int span = int(m_maximum) - int(m_minimum);
    const int top = kMargin + kThumbHeight / 2;
    const int offset = std::clamp(y - top, 0, travel());
    // Rounded to the nearest step so that yOfValue and valueAtY meet.
    return int(m_maximum) - int((int64_t(offset) * span + travel() / 2) / travel());
}

void CLevelSlider::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int cx = width() / 2;
    const int top = kMargin + kThumbHeight / 2;
    const int bottom = top + travel();
    p.fillRect(QRect(cx - 2, top, 4, bottom - top + 1), palette().color(QPalette::Dark));
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(cx + 2, top, cx + 2, bottom);
    // Tick marks at every tenth of the range.
    p.setPen(palette().color(QPalette::WindowText));
    for (int i = 0; i <= 10; ++i) {
        const int y = top + travel() * i / 10;
        p.drawLine(1, y, 4, y);
        p.drawLine(width() - 5, y, width() - 2, y);
    }
    const int y = yOfValue(m_value);
    const QRect thumb(3, y - kThumbHeight / 2, width() - 6, kThumbHeight);
    p.fillRect(thumb, palette().color(isEnabled() ? QPalette::Button : QPalette::Window));
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(thumb.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(hasFocus() ? QPalette::Highlight : QPalette::ButtonText));
    p.drawLine(thumb.left() + 2, y, thumb.right() - 2, y);
}

void CLevelSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    userSet(valueAtY(int(event->position().y())));
}

void CLevelSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging)
        userSet(valueAtY(int(event->position().y())));
}

void CLevelSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
}

void CLevelSlider::keyPressEvent(QKeyEvent* event)
{
    const int page = pageStep();
    switch (event->key()) {
    case Qt::Key_Up: userSet(m_value + 1); break;
    case Qt::Key_Down: userSet(m_value - 1); break;
    case Qt::Key_PageUp: userSet(m_value + page); break;
    case Qt::Key_PageDown: userSet(m_value - page); break;
    case Qt::Key_Home: userSet(m_maximum); break;
    case Qt::Key_End: userSet(m_minimum); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

} // namespace quillon
