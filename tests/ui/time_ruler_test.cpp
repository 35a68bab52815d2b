// The ruler's step choice, label positions and the ticks it draws.

#include "ui/time_ruler.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace quillon {
namespace {

constexpr int kRate = 44100;

TimeFormatter metric()
{
    TimeFormatter f;
    f.set(kTimeMetric, kRate, 4, 22050);
    return f;
}

TEST(TimeRuler, SevenHundredPixelsOverTenSecondsLabelEverySecond)
{
    TimeRuler ruler;
    ruler.setRange(0, kRate * 10);
    TimeFormatter f = metric();
    const TimeRuler::Layout l = ruler.layout(0, 700, f);
    EXPECT_EQ(l.step, kRate);
    EXPECT_EQ(l.divisions, 10);
    EXPECT_DOUBLE_EQ(l.minorSpacing, 7.0);
    ASSERT_EQ(l.labels.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(l.labels[size_t(i)].x, i * 70);
        EXPECT_EQ(l.labels[size_t(i)].position, int64_t(i) * kRate);
    }
    EXPECT_EQ(l.labels[3].text, "0m 03s:000");
    EXPECT_EQ(l.majorTicks.size(), 10u);
    // Nine minor ticks after each label: 7, 14, ... 63 pixels on.
    ASSERT_EQ(l.minorTicks.size(), 90u);
    EXPECT_EQ(l.minorTicks[0], 7);
    EXPECT_EQ(l.minorTicks[8], 63);
    EXPECT_EQ(l.minorTicks[9], 77);
}

TEST(TimeRuler, DrawnTicksStandWhereTheLayoutSays)
{
    TimeRuler ruler;
    ruler.background = QColor(255, 255, 255);
    ruler.lineColour = QColor(255, 0, 0);
    ruler.textColour = QColor(0, 0, 255);
    ruler.setRange(0, kRate * 10);
    QImage image(700, 65, QImage::Format_RGB32);
    image.fill(Qt::green);
    {
        QPainter p(&image);
        TimeFormatter f = metric();
        ruler.draw(p, 0, 0, 700, 65, f);
    }
    const QRgb line = qRgb(255, 0, 0);
    const QRgb back = qRgb(255, 255, 255);
    // Whether label text (or its antialiased edge) reaches the rows of the minor ticks in
    // column x; the ticks are checked where it does not, as how far down and across a label
    // reaches depends on the font.
    auto textAt = [&](int x) {
        for (int y = 60; y < 64; ++y)
            if (image.pixel(x, y) != line && image.pixel(x, y) != back)
                return true;
        return false;
    };
    // Base line across the bottom row.
    EXPECT_EQ(image.pixel(0, 64), line);
    EXPECT_EQ(image.pixel(699, 64), line);
    // Major ticks: bottom - 13 .. bottom - 1, every 70 pixels.
    for (int x : {70, 140, 630}) {
        EXPECT_EQ(image.pixel(x, 65 - 13), line) << x;
        EXPECT_EQ(image.pixel(x, 63), line) << x;
        EXPECT_EQ(image.pixel(x, 65 - 14), back) << x;
    }
    // Minor ticks: bottom - 4 .. bottom - 2, every 7 pixels, and nothing between them.
    TimeFormatter f = metric();
    const TimeRuler::Layout layout = ruler.layout(0, 700, f);
    int clear = 0;
    for (int x : layout.minorTicks) {
        if (textAt(x - 3) || textAt(x) || textAt(x + 3))
            continue;
        ++clear;
        EXPECT_EQ(image.pixel(x, 61), line) << x;
        EXPECT_EQ(image.pixel(x, 63), line) << x;
        EXPECT_EQ(image.pixel(x, 60), back) << x;
        EXPECT_EQ(image.pixel(x - 3, 62), back) << x;
        EXPECT_EQ(image.pixel(x + 3, 62), back) << x;
    }
    // Labels stand above the tick rows, so most ticks are free.
    EXPECT_GE(clear, 45);
    // Label text to the right of its tick, in the text colour.
    bool text = false;
    for (int x = 74; x < 130 && !text; ++x)
        for (int y = 49; y < 63 && !text; ++y)
            text = qBlue(image.pixel(x, y)) > 150 && qRed(image.pixel(x, y)) < 100;
    EXPECT_TRUE(text);
}

TEST(TimeRuler, WithoutBackgroundOnlyLinesAndTextArePainted)
{
    TimeRuler ruler;
    ruler.noBackground = true;
    ruler.lineColour = Qt::black;
    ruler.setRange(0, kRate * 10);
    QImage image(700, 65, QImage::Format_RGB32);
    image.fill(Qt::green);
    QPainter p(&image);
    TimeFormatter f = metric();
    ruler.draw(p, 0, 0, 700, 65, f);
    p.end();
    EXPECT_EQ(image.pixel(35, 10), QColor(Qt::green).rgb());
    EXPECT_EQ(image.pixel(35, 64), qRgb(0, 0, 0));
}

TEST(TimeRuler, EmptyOrInvertedRangesAndNarrowRulersShowOnlyTheBaseLine)
{
    TimeFormatter f = metric();
    TimeRuler ruler;
    ruler.setRange(1000, 1000);
    EXPECT_TRUE(ruler.layout(0, 700, f).labels.empty());
    ruler.setRange(2000, 1000);
    EXPECT_TRUE(ruler.layout(0, 700, f).labels.empty());
    ruler.setRange(0, 1000);
    EXPECT_TRUE(ruler.layout(10, 10, f).labels.empty());
}

TEST(TimeRuler, AFirstLabelLeftOfTheRangeIsKeptForClipping)
{
    TimeRuler ruler;
    ruler.setRange(kRate * 5 / 2, kRate * 25 / 2); // 2.5 s .. 12.5 s
    TimeFormatter f = metric();
    const TimeRuler::Layout l = ruler.layout(100, 800, f);
    ASSERT_FALSE(l.labels.empty());
    EXPECT_EQ(l.labels.front().position, kRate * 1);
    EXPECT_EQ(l.labels.front().x, 100 - 105);
    // Its major tick is left of the ruler and is not drawn; its minor ticks are where
    // they fall inside.
    EXPECT_EQ(l.majorTicks.front(), 100 + 35);
    EXPECT_EQ(l.minorTicks.front(), 100);
}

TEST(TimeRuler, StepsGrowPastTheListAndStayBounded)
{
    TimeFormatter f;
    f.set(kTimeSamples, kRate, 4, 22050);
    TimeRuler ruler;
    ruler.setRange(0, 1000000);
    const TimeRuler::Layout l = ruler.layout(0, 700, f);
    // 1, 10, ... samples: 100000 samples give exactly 70 pixels.
    EXPECT_EQ(l.step, 100000);
    EXPECT_EQ(l.divisions, 10);

    // One pixel over the longest range never reaches 70 pixels a label.
    ruler.setRange(0, INT32_MAX);
    const TimeRuler::Layout narrow = ruler.layout(0, 1, f);
    EXPECT_GT(narrow.step, 0);
    EXPECT_LE(narrow.labels.size(), 1u);
}

TEST(TimeRuler, BarsAndBeatsTakeTheBarStep)
{
    TimeFormatter f;
    f.set(kTimeBarsBeats, kRate, 4, 22050);
    TimeRuler ruler;
    // 40 beats over 700 pixels: one beat is 17.5 pixels, one bar 70.
    ruler.setRange(0, 22050 * 40);
    const TimeRuler::Layout l = ruler.layout(0, 700, f);
    EXPECT_EQ(l.step, 22050 * 4);
    EXPECT_EQ(l.divisions, 4);
    EXPECT_EQ(l.labels[1].text, "1:0:000");
}

} // namespace
} // namespace quillon
