// "Recording Settings" shows and stores the channels and resolution of new takes.

#include "base/memory_settings_store.h"
#include "ui/recording_settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

TEST(RecordingSettingsDialogTest, ShowsTheStoredChoiceAndStoresTheNewOne)
{
    MemorySettingsStore settings;
    {
        RecordingSettingsDialog dialog(settings, QStringLiteral("/music/NewTake1.wav"));
        EXPECT_TRUE(dialog.stereoBox()->isChecked()) << "two channels by default";
        EXPECT_EQ(dialog.bits(), 16);
        EXPECT_EQ(dialog.destination(), QStringLiteral("/music/NewTake1.wav"));
        dialog.stereoBox()->setChecked(false);
        dialog.resolutionBox()->setCurrentIndex(2);
        dialog.destinationEdit()->setText(QStringLiteral("/music/side A.wav"));
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.destination(), QStringLiteral("/music/side A.wav"));
    }
    EXPECT_EQ(settings.profileInt("Recording", "Resolution", 0), 24);
    EXPECT_EQ(settings.profileInt("Recording", "Channels", 0), 1);

    RecordingSettingsDialog again(settings, QStringLiteral("/music/NewTake2.wav"));
    EXPECT_FALSE(again.stereoBox()->isChecked());
    EXPECT_EQ(again.bits(), 24);
    // Without a destination there is nothing to record into: OK is refused.
    again.destinationEdit()->clear();
    again.resolutionBox()->setCurrentIndex(0);
    again.accept();
    EXPECT_NE(again.result(), QDialog::Accepted);
    EXPECT_EQ(settings.profileInt("Recording", "Resolution", 0), 24);
}

} // namespace
} // namespace quillon::test
