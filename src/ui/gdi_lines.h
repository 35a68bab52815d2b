#pragma once
// Lines as the timeline's geometry counts them: from the first point up to, but not
// including, the last one. Only horizontal and vertical lines are drawn this way.

#include <QPainter>

namespace quillon {

inline void gdiLine(QPainter& painter, int x1, int y1, int x2, int y2)
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

} // namespace quillon
