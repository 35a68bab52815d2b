#include "ui/track_level_meter.h"

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace quillon {

void TrackLevelMeter::feed(float peak)
{
    m_ring[m_count % kRing] = peak;
    ++m_count;
    const float delayed = m_ring[m_count % kRing];
    m_previous = m_level;
    float level = delayed <= kSilence ? 0.0f : 20.0f * std::log10(delayed) / 60.0f + 1.0f;
    if (level < m_level)
        level = std::max(level, m_level - kFall);
    m_level = level;
    m_dirty = true;
}

void TrackLevelMeter::reset()
{
    m_previous = -1.0f;
    m_level = 0.0f;
    m_ring.fill(0.0f);
    m_count = 0;
    m_dirty = true;
}

QColor TrackLevelMeter::columnColour(int m, int w, float level)
{
    if (m % 3 == 1)
        return Qt::white;
    if (static_cast<int>(w * level) < m)
        return QColor(228, 228, 220);
    const double t = (double(m) / w) * (double(m) / w);
    return QColor(int(std::min(t, 0.6) * 255), int(std::min(1.0 - t, 0.6) * 255), 0);
}

void TrackLevelMeter::draw(QPainter& p, const QRect& rect, bool mirrored, bool whole)
{
    const int w = rect.width();
    const int h = rect.height();
    const int x0 = rect.left();
    const int y0 = rect.top();
    p.setPen(QColor(158, 158, 131));
    // Lines end one pixel short of their end point, as the frame was designed.
    p.drawLine(x0 + 1, y0, x0 + w - 1, y0);
    p.drawLine(x0 + 1, y0 + h, x0 + w - 1, y0 + h);
    p.drawLine(x0, y0 + 1, x0, y0 + h - 1);
    p.drawLine(x0 + w, y0 + 1, x0 + w, y0 + h - 1);

    int from = 2;
    int to = w - 1; // exclusive
    if (!whole && m_previous >= 0.0f) {
        const float lo = std::min(m_level, m_previous);
        const float hi = std::max(m_level, m_previous);
        const int first = static_cast<int>((w - 2) * lo + 1);
        from = first > 1 ? first : 2;
        to = std::min(w - 1, static_cast<int>((w - 2) * hi + 3));
    }
    for (int m = from; m < to; ++m) {
        p.setPen(columnColour(m, w, m_level));
        const int x = mirrored ? x0 + w - m : x0 + m;
        p.drawLine(x, y0 + 2, x, y0 + h - 2);
    }
    m_previous = -1.0f;
    m_dirty = false;
}

} // namespace quillon
