// The "Tempo and Meter" page: range validation and the stored tempo.

#include "ui/tempo_properties.h"

#include <QApplication>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(TempoProperties, AcceptsTheRangeEdgesAndRefusesBeyondThem)
{
    CTempoProperties page;
    QString message;
    page.setValues(120.0, 4);
    EXPECT_TRUE(page.validate(message));
    EXPECT_DOUBLE_EQ(page.beatsPerMinute(), 120.0);
    EXPECT_EQ(page.beatsPerMeasure(), 4);

    page.setValues(40.0, 1);
    EXPECT_TRUE(page.validate(message));
    page.setValues(300.0, 16);
    EXPECT_TRUE(page.validate(message));

    page.setValues(39.99, 4);
    EXPECT_FALSE(page.validate(message));
    EXPECT_EQ(message, "Please enter a number between 40 and 300.");

    page.setValues(120.0, 17);
    EXPECT_FALSE(page.validate(message));
    EXPECT_EQ(message, "Please enter an integer between 1 and 16.");

    page.bpmEdit()->setText("fast");
    EXPECT_FALSE(page.validate(message));
    EXPECT_EQ(message, "Please enter a number between 40 and 300.");
    page.bpmEdit()->setText("128.5");
    page.beatsEdit()->setText("3.5");
    EXPECT_FALSE(page.validate(message));
    EXPECT_EQ(message, "Please enter an integer between 1 and 16.");
}

TEST(TempoProperties, TheRefusedFieldGetsTheFocus)
{
    CTempoProperties page;
    page.show();
    page.activateWindow();
    QApplication::processEvents();
    QString message;
    page.setValues(120.0, 0);
    EXPECT_FALSE(page.validate(message));
    EXPECT_TRUE(page.beatsEdit()->hasFocus() || QApplication::focusWidget() == page.beatsEdit() ||
                page.focusWidget() == page.beatsEdit());
}

TEST(TempoProperties, TempoIsStoredInHundredthsRounded)
{
    EXPECT_EQ(CTempoProperties::tempoFromBpm(120.0), 12000);
    EXPECT_EQ(CTempoProperties::tempoFromBpm(128.456), 12846);
    EXPECT_EQ(CTempoProperties::tempoFromBpm(99.994), 9999);
}

} // namespace
} // namespace quillon
