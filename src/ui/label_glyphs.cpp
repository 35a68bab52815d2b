#include "ui/label_glyphs.h"

#include <QPainter>
#include <QPolygon>

namespace quillon {

void drawLabelGlyph(QPainter& painter, LabelGlyph glyph, int x, int y)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 0));
    switch (glyph) {
    case LabelGlyph::TrackSplit:
        // A flag on a pole.
        painter.drawLine(x, y, x, y + 9);
        painter.setBrush(QColor(0, 0, 160));
        painter.drawPolygon(QPolygon({QPoint(x + 1, y), QPoint(x + 7, y + 2), QPoint(x + 1, y + 5)}));
        break;
    case LabelGlyph::Index:
        painter.drawLine(x, y, x, y + 9);
        painter.setBrush(QColor(0, 128, 128));
        painter.drawRect(x + 1, y, 4, 3);
        break;
    case LabelGlyph::FreeLabel:
        painter.drawLine(x, y, x, y + 9);
        painter.setBrush(QColor(230, 200, 0));
        painter.drawEllipse(x + 1, y, 5, 5);
        break;
    case LabelGlyph::Pause:
        // A bracket whose inner edge is the handle a pause is dragged by.
        painter.setBrush(QColor(96, 96, 96));
        painter.drawRect(x + 4, y, 6, 8);
        painter.drawLine(x + 7, y + 8, x + 7, y + 11);
        break;
    case LabelGlyph::MarkStart:
        painter.setBrush(Qt::white);
        painter.drawPolygon(QPolygon({QPoint(x, y), QPoint(x + 6, y + 6), QPoint(x, y + 12)}));
        break;
    case LabelGlyph::MarkEnd:
        painter.setBrush(Qt::white);
        painter.drawPolygon(QPolygon({QPoint(x + 6, y), QPoint(x, y + 6), QPoint(x + 6, y + 12)}));
        break;
    }
    painter.restore();
}

} // namespace quillon
