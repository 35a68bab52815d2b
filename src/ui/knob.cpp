#include "ui/knob.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillon {

CKnob::CKnob(QWidget* parent) : LevelControl(parent) { setMinimumSize(20, 20); }

double CKnob::pointerAngle() const
{
    const int span = int(m_maximum) - int(m_minimum);
    const double t = span > 0 ? double(int(m_value) - int(m_minimum)) / span : 0.0;
    return kStartAngle - kSweep * t;
}

void CKnob::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height()) - 4;
    const QPointF centre(width() / 2.0, height() / 2.0);
    const QRectF body(centre.x() - side / 2.0, centre.y() - side / 2.0, side, side);

    // The scale: a dot at each end of the sweep.
    p.setPen(Qt::NoPen);
    p.setBrush(palette().color(QPalette::WindowText));
    for (double a : {kStartAngle, kStartAngle - kSweep}) {
        const double r = side / 2.0 + 1.0;
        const double rad = a * std::numbers::pi / 180.0;
        p.drawEllipse(QPointF(centre.x() + r * std::cos(rad), centre.y() - r * std::sin(rad)), 1.2, 1.2);
    }

    QRadialGradient shade(centre - QPointF(side / 6.0, side / 6.0), side / 1.5);
    const QColor face = palette().color(isEnabled() ? QPalette::Button : QPalette::Window);
    shade.setColorAt(0, face.lighter(130));
    shade.setColorAt(1, face.darker(130));
    p.setBrush(shade);
    p.setPen(QPen(palette().color(QPalette::Dark), 1));
    p.drawEllipse(body.adjusted(2, 2, -2, -2));

    const double rad = pointerAngle() * std::numbers::pi / 180.0;
    const double inner = side * 0.12;
    const double outer = side / 2.0 - 4;
    p.setPen(QPen(palette().color(hasFocus() ? QPalette::Highlight : QPalette::ButtonText), 2, Qt::SolidLine,
                  Qt::RoundCap));
    p.drawLine(QPointF(centre.x() + inner * std::cos(rad), centre.y() - inner * std::sin(rad)),
               QPointF(centre.x() + outer * std::cos(rad), centre.y() - outer * std::sin(rad)));
}

void CKnob::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_dragY = int(event->position().y());
    m_dragValue = m_value;
}

void CKnob::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    const int span = int(m_maximum) - int(m_minimum);
    // Up turns the knob clockwise, toward the maximum; 64-bit so long drags on a
    // full 16-bit range cannot overflow.
    const int64_t travel = int64_t(m_dragY - int(event->position().y())) * span / kDragPixels;
    userSet(int(std::clamp<int64_t>(m_dragValue + travel, m_minimum, m_maximum)));
}

void CKnob::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
}

void CKnob::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right: userSet(m_value + 1); break;
    case Qt::Key_Down:
    case Qt::Key_Left: userSet(m_value - 1); break;
    case Qt::Key_PageUp: userSet(m_value + pageStep()); break;
    case Qt::Key_PageDown: userSet(m_value - pageStep()); break;
    case Qt::Key_Home: userSet(m_minimum); break;
    case Qt::Key_End: userSet(m_maximum); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

} // namespace quillon
