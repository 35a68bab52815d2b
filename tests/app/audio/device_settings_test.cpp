// "Device Settings" over the devices PortAudio finds on the test card.

#include "alsa_test_setup.h"
#include "base/memory_settings_store.h"
#include "engine/wave_input_device.h"
#include "engine/wave_output_device.h"
#include "ui/device_settings_dialog.h"

#include <QComboBox>

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

QStringList lines(const QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

QStringList expectedLines(const std::vector<std::string>& names)
{
    QStringList out;
    for (const std::string& n : names)
        out << QString::fromStdString(n);
    out << QString::fromLatin1(DeviceSettingsDialog::kWaveMapper);
    return out;
}

TEST(DeviceSettings, ListsTheDevicesThenTheWaveMapperAndStoresItAsMinusOne)
{
    AlsaTestSetup::configure(AlsaTestSetup::defaults());
    const std::vector<std::string> inputs = WaveInputDevice::deviceNames();
    const std::vector<std::string> outputs = WaveOutputDevice::deviceNames();
    ASSERT_FALSE(inputs.empty());
    ASSERT_FALSE(outputs.empty());

    MemorySettingsStore settings;
    {
        // Nothing stored: the first device.
        DeviceSettingsDialog dialog(settings);
        EXPECT_EQ(lines(dialog.inputBox()), expectedLines(inputs));
        EXPECT_EQ(lines(dialog.outputBox()), expectedLines(outputs));
        EXPECT_EQ(dialog.inputBox()->currentIndex(), 0);
        EXPECT_EQ(dialog.outputBox()->currentIndex(), 0);
        // OK on the wave mapper stores -1; on a device, its index.
        dialog.inputBox()->setCurrentIndex(int(inputs.size()));
        dialog.outputBox()->setCurrentIndex(int(outputs.size()) - 1);
        dialog.accept();
        EXPECT_EQ(settings.profileInt("Devices", "Input", 99), -1);
        EXPECT_EQ(settings.profileInt("Devices", "Output", 99), int(outputs.size()) - 1);
    }
    {
        // -1 selects the wave mapper line, the one after the devices.
        DeviceSettingsDialog dialog(settings);
        EXPECT_EQ(dialog.inputBox()->currentIndex(), int(inputs.size()));
        EXPECT_EQ(dialog.inputBox()->currentText(), QString::fromLatin1(DeviceSettingsDialog::kWaveMapper));
        EXPECT_EQ(dialog.outputBox()->currentIndex(), int(outputs.size()) - 1);
    }
    // A device that is gone shows (and is kept) as the wave mapper.
    settings.writeProfileInt("Devices", "Output", int(outputs.size()) + 5);
    DeviceSettingsDialog dialog(settings);
    EXPECT_EQ(dialog.outputBox()->currentIndex(), int(outputs.size()));
    dialog.accept();
    EXPECT_EQ(settings.profileInt("Devices", "Output", 99), -1);
    EXPECT_EQ(settings.profileInt("Devices", "Input", 99), -1);
}

TEST(DeviceSettings, WithThreeInputDevicesTheWaveMapperIsTheFourthLine)
{
    MemorySettingsStore settings;
    settings.writeProfileInt("Devices", "Input", -1);
    settings.writeProfileInt("Devices", "Output", 1);
    DeviceSettingsDialog dialog(settings, {"one", "two", "three"}, {"out one", "out two"});
    EXPECT_EQ(dialog.inputBox()->currentIndex(), 3);
    EXPECT_EQ(dialog.outputBox()->currentIndex(), 1);
}

} // namespace
} // namespace quillon::test
