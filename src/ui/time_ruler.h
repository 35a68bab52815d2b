#pragma once
// The time scale strip: labels and tick marks over a range of sample positions, drawn
// with the project's TimeFormatter. The layout is computed apart from the drawing so
// that its numbers can be checked without pixels.

#include "ui/time_formatter.h"

#include <QColor>
#include <QString>

#include <cstdint>
#include <vector>

class QPainter;

namespace quillon {

class TimeRuler {
public:
    static constexpr int kMinLabelPixels = 70;

    struct Label {
        int x = 0;            // where the major tick stands (may lie left of the ruler)
        int64_t position = 0; // the sample position it names
        QString text;
    };
    struct Layout {
        int64_t step = 0; // samples between labels; 0 when nothing is drawn
        int divisions = 0;
        double minorSpacing = 0.0;
        std::vector<Label> labels;
        std::vector<int> majorTicks; // x of every major tick drawn
        std::vector<int> minorTicks; // x of every minor tick drawn
    };

    TimeRuler();

    void setRange(int32_t start, int32_t end)
    {
        m_start = start;
        m_end = end;
    }
    int32_t start() const { return m_start; }
    int32_t end() const { return m_end; }

    QColor background;
    QColor textColour;
    QColor lineColour;
    bool noBackground = false;

    // The step and every label and tick for a ruler from `left` to `right`.
    Layout layout(int left, int right, TimeFormatter& formatter) const;
    // Draws into the rectangle (left, top)-(right, bottom), right and bottom exclusive as
    // the view gives them.
    void draw(QPainter& painter, int left, int top, int right, int bottom, TimeFormatter& formatter) const;

private:
    int32_t m_start = 0;
    int32_t m_end = 0;
};

} // namespace quillon
