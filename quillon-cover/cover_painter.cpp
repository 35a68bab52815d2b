#include "cover_painter.h"

#include <QCoreApplication>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace quillon {

namespace {

QRectF mmRect(const QPagedPaintDevice& device, double x, double y, double w, double h)
{
    const double dots = device.logicalDpiX() / 25.4;
    return QRectF(x * dots, y * dots, w * dots, h * dots);
}

QString untitled(const QString& text, const QString& fallback) { return text.isEmpty() ? fallback : text; }

// The printed words follow the user's language pack, which the program installs.
QString audioCd() { return QCoreApplication::translate("CoverPainter", "Audio CD"); }

} // namespace

bool CoverPainter::paint(const CoverDocument& cover, QPagedPaintDevice& device)
{
    device.setPageSize(QPageSize(QPageSize::A4));
    QPainter p;
    if (!p.begin(&device))
        return false;
    const double margin = 20.0;
    // Front insert.
    const QRectF front = mmRect(device, margin, margin, kFrontMm, kFrontMm);
    p.drawRect(front);
    QFont font("DejaVu Sans");
    font.setPointSizeF(20);
    p.setFont(font);
    p.drawText(front.adjusted(0, front.height() * 0.3, 0, 0), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
               untitled(cover.title, audioCd()));
    font.setPointSizeF(14);
    p.setFont(font);
    p.drawText(front.adjusted(0, front.height() * 0.55, 0, 0), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
               cover.artist);
    device.newPage();
    // Back inlay: spine, track list, spine.
    const QRectF back = mmRect(device, margin, margin, kBackWidthMm, kBackHeightMm);
    p.drawRect(back);
    const QRectF left = mmRect(device, margin, margin, kSpineMm, kBackHeightMm);
    const QRectF right = mmRect(device, margin + kBackWidthMm - kSpineMm, margin, kSpineMm, kBackHeightMm);
    p.drawRect(left);
    p.drawRect(right);
    const QString spine = cover.artist.isEmpty() ? untitled(cover.title, audioCd())
                                                 : cover.artist + " - " + untitled(cover.title, audioCd());
    font.setPointSizeF(8);
    p.setFont(font);
    for (const QRectF& s : {left, right}) {
        p.save();
        p.translate(s.center());
        p.rotate(s == left ? -90 : 90);
        p.drawText(QRectF(-s.height() / 2, -s.width() / 2, s.height(), s.width()), Qt::AlignCenter, spine);
        p.restore();
    }
    const QRectF list = mmRect(device, margin + kSpineMm + 6, margin + 8, kBackWidthMm - 2 * kSpineMm - 12,
                               kBackHeightMm - 16);
    const int rows = std::max<int>(int(cover.tracks.size()) + 2, 12);
    font.setPointSizeF(std::min(9.0, 300.0 / rows));
    p.setFont(font);
    const double line = list.height() / rows;
    for (int i = 0; i < cover.tracks.size(); ++i) {
        const CoverTrack& t = cover.tracks[i];
        const QRectF row(list.left(), list.top() + i * line, list.width(), line);
        QString text = QString("%1. %2").arg(i + 1).arg(untitled(t.title, QCoreApplication::translate("CoverPainter", "Track %1").arg(i + 1)));
        if (!t.artist.isEmpty())
            text += " - " + t.artist;
        p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, text);
        p.drawText(row, Qt::AlignRight | Qt::AlignVCenter, t.playTime);
    }
    const QRectF total(list.left(), list.top() + (cover.tracks.size() + 1) * line, list.width(), line);
    p.drawText(total, Qt::AlignRight | Qt::AlignVCenter, QCoreApplication::translate("CoverPainter", "Total %1").arg(cover.playTime));
    return p.end();
}

bool CoverPainter::writePdf(const CoverDocument& cover, const QString& path)
{
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setTitle(cover.title);
    return paint(cover, writer);
}

} // namespace quillon
