#include "ui/led_meter.h"

#include <QPainter>

#include <algorithm>

namespace quillon {

CLEDMeter::CLEDMeter(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(kLeds * 2, 4);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int CLEDMeter::ledsFor(int hundredthsDb)
{
    if (hundredthsDb <= kFloorDb)
        return 0;
    const int above = std::min(hundredthsDb, 0) - kFloorDb;
    // Rounded up: any level above the floor lights the first LED.
    return std::min(kLeds, (above * kLeds + (-kFloorDb) - 1) / (-kFloorDb));
}

int CLEDMeter::litLeds() const { return ledsFor(m_level); }

void CLEDMeter::setLevel(int16_t hundredthsDb)
{
    m_level = hundredthsDb;
    const int lit = litLeds();
    if (lit > 0 && lit - 1 >= m_held) {
        m_held = lit - 1;
        m_holdAge = 0;
    } else if (m_held >= 0 && ++m_holdAge >= kHoldFeeds) {
        m_held = lit - 1;
        m_holdAge = 0;
    }
    update();
}

void CLEDMeter::reset()
{
    m_level = kFloorDb;
    m_held = -1;
    m_holdAge = 0;
    update();
}

QColor CLEDMeter::ledColour(int index, bool lit)
{
    // The LED's lower edge decides its colour.
    const int db = kFloorDb + index * (-kFloorDb) / kLeds;
    QColor c = db >= kRedDb ? QColor(255, 0, 0) : db >= kYellowDb ? QColor(255, 220, 0) : QColor(0, 220, 0);
    return lit ? c : c.darker(400);
}

QRect CLEDMeter::ledRect(int index) const
{
    const int x0 = 1 + (width() - 2) * index / kLeds;
    const int x1 = 1 + (width() - 2) * (index + 1) / kLeds;
    return QRect(x0, 1, std::max(1, x1 - x0 - 1), std::max(1, height() - 2));
}

void CLEDMeter::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    const int lit = litLeds();
    for (int i = 0; i < kLeds; ++i)
        p.fillRect(ledRect(i), ledColour(i, i < lit || i == m_held));
}

} // namespace quillon
