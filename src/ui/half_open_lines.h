#pragma once
// Lines as the timeline's geometry counts them: from the first point up to, but not
// including, the last one. Only horizontal and vertical lines are drawn this way.

#include <QPainter>

namespace quillon {

inline void halfOpenLine(QPainter& painter, int x1, int y1, int x2, int y2)
{
    if (x1 == x2) {
        if (y1 == y2)
            return;
        painter.drawLine(x1, y1, x2, y2 > y1 ? y2 - 1 : y2 + 1);
    } else if (y1 == y2) {
        painter.drawLine(x1, y1, x2 > x1 ? x2 - 1 : x2 + 1, y2);
    } else {
        painter.drawLine(x1, y1, x2, y2);
    }
}

// A dotted line, one pixel on and one off from the first point, over the same pixels.
inline void dottedLine(QPainter& painter, int x1, int y1, int x2, int y2)
{
    const int dx = x2 > x1 ? 1 : x2 < x1 ? -1 : 0;
    const int dy = y2 > y1 ? 1 : y2 < y1 ? -1 : 0;
    if (dx != 0 && dy != 0)
        return;
    for (int x = x1, y = y1, i = 0; (x != x2 || y != y2); x += dx, y += dy, ++i)
        if (i % 2 == 0)
            painter.drawPoint(x, y);
}

inline void dottedRect(QPainter& painter, const QRect& r)
{
    dottedLine(painter, r.left(), r.top(), r.right() + 1, r.top());
    dottedLine(painter, r.right(), r.top(), r.right(), r.bottom() + 1);
    dottedLine(painter, r.right(), r.bottom(), r.left() - 1, r.bottom());
    dottedLine(painter, r.left(), r.bottom(), r.left(), r.top() - 1);
}

} // namespace quillon
