// The knob, the level slider and the LED meter: ranges, user input reported as
// value changes, code writes kept silent, and the drawn LEDs.

#include "ui/knob.h"
#include "ui/led_meter.h"
#include "ui/level_slider.h"

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

TEST(KnobTest, RangeKeepsTheValueInsideAndCodeWritesAreSilent)
{
    CKnob knob;
    QSignalSpy spy(&knob, &CKnob::valueChanged);
    knob.setMinimum(-60);
    knob.setMaximum(0);
    knob.setValue(-80);
    EXPECT_EQ(knob.value(), -60);
    knob.setValue(5);
    EXPECT_EQ(knob.value(), 0);
    knob.setMinimum(20); // upside down: turned round
    EXPECT_EQ(knob.minimum(), 0);
    EXPECT_EQ(knob.maximum(), 20);
    EXPECT_EQ(knob.value(), 0);
    EXPECT_EQ(spy.count(), 0);
}

TEST(KnobTest, PointerSweepsFromLowerLeftToLowerRight)
{
    CKnob knob;
    knob.setMinimum(-100);
    knob.setMaximum(100);
    knob.setValue(-100);
    EXPECT_DOUBLE_EQ(knob.pointerAngle(), 225.0);
    knob.setValue(0);
    EXPECT_DOUBLE_EQ(knob.pointerAngle(), 90.0);
    knob.setValue(100);
    EXPECT_DOUBLE_EQ(knob.pointerAngle(), -45.0);
}

TEST(KnobTest, KeysWheelAndDragReportEachChangeOnce)
{
    CKnob knob;
    knob.setMinimum(-60);
    knob.setMaximum(0);
    knob.setValue(-10);
    knob.resize(50, 38);
    knob.show();
    QSignalSpy spy(&knob, &CKnob::valueChanged);

    QTest::keyClick(&knob, Qt::Key_Up);
    QTest::keyClick(&knob, Qt::Key_PageDown);
    QTest::keyClick(&knob, Qt::Key_End);
    QTest::keyClick(&knob, Qt::Key_End); // already there: nothing reported
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy[0][0].value<short>(), -9);
    EXPECT_EQ(spy[1][0].value<short>(), -15);
    EXPECT_EQ(spy[2][0].value<short>(), 0);

    // Dragging down by half the travel of the whole range.
    spy.clear();
    QTest::mousePress(&knob, Qt::LeftButton, {}, QPoint(25, 10));
    QTest::mouseMove(&knob, QPoint(25, 10 + CKnob::kDragPixels / 2));
    QTest::mouseRelease(&knob, Qt::LeftButton, {}, QPoint(25, 10 + CKnob::kDragPixels / 2));
    EXPECT_EQ(knob.value(), -30);
    ASSERT_FALSE(spy.isEmpty());
    EXPECT_EQ(spy.last()[0].value<short>(), -30);
    // Far beyond the end stays at the minimum.
    QTest::mousePress(&knob, Qt::LeftButton, {}, QPoint(25, 0));
    QTest::mouseMove(&knob, QPoint(25, 30000));
    QTest::mouseRelease(&knob, Qt::LeftButton, {}, QPoint(25, 30000));
    EXPECT_EQ(knob.value(), -60);
}

TEST(LevelSliderTest, ValueAndPositionMeetAndClicksReport)
{
    CLevelSlider slider;
    slider.resize(24, 2 * CLevelSlider::kMargin + CLevelSlider::kThumbHeight + 100);
    slider.show();
    QSignalSpy spy(&slider, &CLevelSlider::valueChanged);
    for (int v : {0, 1, 37, 50, 99, 100})
        EXPECT_EQ(slider.valueAtY(slider.yOfValue(v)), v) << v;
    EXPECT_LT(slider.yOfValue(100), slider.yOfValue(0)); // maximum at the top

    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(12, slider.yOfValue(75)));
    EXPECT_EQ(slider.value(), 75);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(12, -50));
    EXPECT_EQ(slider.value(), 100);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy[1][0].value<short>(), 100);

    slider.setMinimum(-32768);
    slider.setMaximum(32767);
    slider.setValue(32767);
    EXPECT_EQ(slider.valueAtY(slider.yOfValue(-32768)), -32768);
    EXPECT_EQ(spy.count(), 2);
}

struct LedCase {
    int16_t level;
    int lit;
};

class LedMeterLevels : public ::testing::TestWithParam<LedCase> {};

TEST_P(LedMeterLevels, LightsTheLedsOfTheLevel)
{
    CLEDMeter meter;
    meter.setLevel(GetParam().level);
    EXPECT_EQ(meter.litLeds(), GetParam().lit);
}

INSTANTIATE_TEST_SUITE_P(Levels, LedMeterLevels,
                         ::testing::Values(LedCase{-32768, 0}, LedCase{-6000, 0}, LedCase{-5999, 1},
                                           LedCase{-3000, 15}, LedCase{-1, 30}, LedCase{0, 30},
                                           LedCase{600, 30}));

TEST(LedMeterTest, HoldFallsBackAndResetDarkensEverything)
{
    CLEDMeter meter;
    meter.resize(32 * CLEDMeter::kLeds + 2, 12);
    meter.setLevel(0);
    EXPECT_EQ(meter.heldLed(), CLEDMeter::kLeds - 1);
    for (int i = 0; i < CLEDMeter::kHoldFeeds - 1; ++i)
        meter.setLevel(-3000);
    EXPECT_EQ(meter.heldLed(), CLEDMeter::kLeds - 1);
    meter.setLevel(-3000);
    EXPECT_EQ(meter.heldLed(), 14);

    QImage image = meter.grab().toImage();
    auto centre = [&](int i) { return QColor(image.pixel(meter.ledRect(i).center())); };
    EXPECT_EQ(centre(0), CLEDMeter::ledColour(0, true));
    EXPECT_EQ(centre(14), QColor(0, 220, 0));
    EXPECT_EQ(centre(15), CLEDMeter::ledColour(15, false));
    EXPECT_EQ(CLEDMeter::ledColour(25, true), QColor(255, 220, 0));
    EXPECT_EQ(CLEDMeter::ledColour(29, true), QColor(255, 0, 0));

    meter.reset();
    EXPECT_EQ(meter.litLeds(), 0);
    EXPECT_EQ(meter.heldLed(), -1);
    image = meter.grab().toImage();
    EXPECT_EQ(centre(0), CLEDMeter::ledColour(0, false));
    EXPECT_EQ(centre(14), CLEDMeter::ledColour(14, false));
}

} // namespace
} // namespace quillon::test
