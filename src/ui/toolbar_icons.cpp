#include "ui/toolbar_icons.h"

#include "ui/command_ids.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quillon {

namespace {

void page(QPainter& p)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(3, 14)}));
    p.drawLine(10, 1, 10, 4);
    p.drawLine(10, 4, 13, 4);
}

void wave(QPainter& p, const QColor& colour, int x0, int x1, int mid, int amp)
{
    p.setPen(QPen(colour, 1));
    for (int x = x0; x <= x1; ++x) {
        const int a = ((x * 7) % 5 + 1) * amp / 5;
        p.drawLine(x, mid - a, x, mid + a);
    }
}

void magnifier(QPainter& p, bool plus)
{
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(220, 240, 255));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.setPen(QPen(QColor(120, 80, 40), 2.5));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
    p.setPen(QPen(Qt::black, 1.5));
    p.drawLine(QPointF(3.5, 6), QPointF(8.5, 6));
    if (plus)
        p.drawLine(QPointF(6, 3.5), QPointF(6, 8.5));
}

void arrow(QPainter& p, bool back)
{
    QPainterPath path;
    if (back) {
        path.moveTo(13, 12);
        path.cubicTo(13, 4, 6, 3, 4, 7);
    } else {
        path.moveTo(3, 12);
        path.cubicTo(3, 4, 10, 3, 12, 7);
    }
    p.setPen(QPen(QColor(0, 60, 160), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setBrush(QColor(0, 60, 160));
    p.setPen(Qt::NoPen);
    if (back)
        p.drawPolygon(QPolygon({QPoint(1, 5), QPoint(7, 4), QPoint(4, 10)}));
    else
        p.drawPolygon(QPolygon({QPoint(15, 5), QPoint(9, 4), QPoint(12, 10)}));
}

// Transport glyphs: triangles and bars in a dark green, stop in black.
void triangle(QPainter& p, double x, double w, bool back)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 110, 0));
    if (back)
        p.drawPolygon(QPolygonF({QPointF(x + w, 3), QPointF(x + w, 13), QPointF(x, 8)}));
    else
        p.drawPolygon(QPolygonF({QPointF(x, 3), QPointF(x, 13), QPointF(x + w, 8)}));
}

void bar(QPainter& p, double x)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 110, 0));
    p.drawRect(QRectF(x, 3, 2, 10));
}

} // namespace

QIcon toolbarIcon(int id)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    switch (id) {
    case cmd::kNew:
        page(p);
        break;
    case cmd::kOpen:
        p.setPen(QPen(QColor(120, 90, 0), 1));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(1, 4, 13, 9);
        p.drawRect(1, 2, 5, 2);
        p.setBrush(QColor(255, 225, 120));
        p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
        break;
    case cmd::kSave:
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(40, 70, 160));
        p.drawRect(1, 1, 13, 13);
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(3, 9, 9, 5);
        break;
    case cmd::kCut:
        p.setPen(QPen(Qt::black, 1.3));
        p.drawLine(QPointF(4, 1), QPointF(10, 10));
        p.drawLine(QPointF(11, 1), QPointF(5, 10));
        p.drawEllipse(QRectF(1.5, 10, 4, 4));
        p.drawEllipse(QRectF(9.5, 10, 4, 4));
        break;
    case cmd::kCopy:
        p.translate(-2, -1);
        page(p);
        p.translate(4, 2);
        p.scale(0.9, 0.9);
        page(p);
        break;
    case cmd::kPaste:
        p.setPen(QPen(QColor(100, 60, 0), 1));
        p.setBrush(QColor(200, 150, 80));
        p.drawRect(2, 2, 10, 12);
        p.setBrush(QColor(180, 180, 180));
        p.drawRect(5, 1, 4, 3);
        p.setBrush(Qt::white);
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(7, 6, 7, 9);
        break;
    case cmd::kUndo:
        arrow(p, true);
        break;
    case cmd::kRedo:
        arrow(p, false);
        break;
    case cmd::kZoomIn:
        magnifier(p, true);
        break;
    case cmd::kZoomOut:
        magnifier(p, false);
        break;
    case cmd::kShowMarkedSection:
        p.fillRect(QRect(4, 1, 8, 14), QColor(50, 100, 220));
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(1, 8, 15, 8);
        p.drawLine(4, 1, 4, 14);
        p.drawLine(11, 1, 11, 14);
        break;
    case cmd::kViewWholeProject:
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(0, 2, 15, 11);
        wave(p, QColor(0, 100, 0), 2, 13, 8, 4);
        break;
    case cmd::kInsertAudioFile:
        wave(p, QColor(0, 0, 160), 1, 10, 9, 5);
        p.setPen(QPen(QColor(0, 140, 0), 2));
        p.drawLine(12, 1, 12, 7);
        p.drawLine(9, 4, 15, 4);
        break;
    case cmd::kBurnCd: {
        QRadialGradient g(8, 8, 8);
        g.setColorAt(0, QColor(250, 250, 250));
        g.setColorAt(1, QColor(150, 170, 210));
        p.setBrush(g);
        p.setPen(QPen(QColor(80, 80, 80), 1));
        p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(6, 6, 4, 4));
        p.setPen(QPen(QColor(230, 80, 0), 2));
        p.drawLine(11, 2, 14, 5);
        break;
    }
    case cmd::kWaveEditor:
        wave(p, QColor(120, 0, 120), 1, 9, 8, 6);
        p.setPen(QPen(QColor(60, 60, 60), 2));
        p.drawLine(QPointF(9, 14), QPointF(15, 6));
        break;
    case cmd::kPlayFromCursor:
        triangle(p, 4, 9, false);
        break;
    case cmd::kPlayAll:
        bar(p, 2);
        triangle(p, 6, 8, false);
        break;
    case cmd::kPlayLooped: {
        triangle(p, 5, 7, false);
        QPainterPath loop;
        loop.addEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(QColor(0, 60, 160), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(loop);
        break;
    }
    case cmd::kStopPlaying:
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
        break;
    case cmd::kPreviousCdTrack:
        bar(p, 2);
        triangle(p, 4, 9, true);
        break;
    case cmd::kRewind:
        triangle(p, 1, 7, true);
        triangle(p, 8, 7, true);
        break;
    case cmd::kFastForward:
        triangle(p, 1, 7, false);
        triangle(p, 8, 7, false);
        break;
    case cmd::kNextCdTrack:
        triangle(p, 3, 9, false);
        bar(p, 12);
        break;
    default:
        return QIcon();
    }
    p.end();
    return QIcon(pm);
}

} // namespace quillon
