#include "ui/time_ruler.h"

#include "ui/half_open_lines.h"

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QPalette>

#include <cmath>

namespace quillon {

namespace {

// A ruler too narrow to ever give 70 pixels per label over a long range stops growing
// its step here; one label (clipped) is then all it shows.
constexpr int64_t kStepLimit = int64_t(1) << 40;

} // namespace

TimeRuler::TimeRuler()
{
    const QPalette palette = QApplication::palette();
    background = palette.color(QPalette::Button);
    textColour = palette.color(QPalette::ButtonText);
    lineColour = textColour;
}

TimeRuler::Layout TimeRuler::layout(int left, int right, TimeFormatter& formatter) const
{
    Layout out;
    const int64_t span = int64_t(m_end) - m_start;
    const int64_t width = right - left;
    if (span <= 0 || width < 1)
        return out;

    int64_t base = 0;
    const std::vector<RulerStep> candidates = formatter.rulerSteps(base);
    int64_t step = 0;
    int divisions = 10;
    bool chosen = false;
    for (const RulerStep& c : candidates) {
        step = c.samples(base);
        divisions = c.multiplier == 1 ? 10 : std::min(c.multiplier, 10);
        if (step > 0 && width * step / span >= kMinLabelPixels) {
            chosen = true;
            break;
        }
    }
    if (!chosen) {
        divisions = 10;
        // A format without candidates (or with a zero base) starts counting in samples.
        if (step < 1)
            step = 1;
        while (width * step / span < kMinLabelPixels && step < kStepLimit)
            step *= 10;
        if (width * step / span < kMinLabelPixels && step >= kStepLimit)
            step = kStepLimit;
    }
    out.step = step;
    out.divisions = divisions;

    int64_t q = (int64_t(m_start) / step) * step;
    if (q >= step)
        q -= step;
    out.minorSpacing = double(width) * double(step) / (double(divisions) * double(span));
    for (; q < m_end; q += step) {
        const int x = left + static_cast<int>((q - m_start) * width / span);
        Label label;
        label.x = x;
        label.position = q;
        label.text = formatter.format(static_cast<int32_t>(q));
        out.labels.push_back(label);
        if (x >= left)
            out.majorTicks.push_back(x);
        for (int i = 1; i < divisions; ++i) {
            const double f = i * out.minorSpacing;
            if (left <= x + f && x + f <= right)
                out.minorTicks.push_back(x + static_cast<int>(f));
        }
    }
    return out;
}

void TimeRuler::draw(QPainter& painter, int left, int top, int right, int bottom, TimeFormatter& formatter) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    painter.setFont(font);
    if (!noBackground)
        painter.fillRect(QRect(QPoint(left, top), QPoint(right, bottom - 1)), background);
    painter.setPen(QPen(lineColour, 0));
    halfOpenLine(painter, left, bottom - 1, right + 1, bottom - 1);

    const Layout l = layout(left, right, formatter);
    const QRect clip(QPoint(left, top), QPoint(right - 1, bottom - 1));
    for (const Label& label : l.labels) {
        painter.save();
        painter.setClipRect(clip);
        painter.setPen(textColour);
        painter.drawText(QRect(label.x + 4, bottom - 16, 400, 16), Qt::AlignLeft | Qt::AlignTop, label.text);
        painter.restore();
    }
    painter.setPen(QPen(lineColour, 0));
    for (int x : l.majorTicks)
        halfOpenLine(painter, x, bottom - 13, x, bottom);
    for (int x : l.minorTicks)
        halfOpenLine(painter, x, bottom - 4, x, bottom - 1);
    painter.restore();
}

} // namespace quillon
