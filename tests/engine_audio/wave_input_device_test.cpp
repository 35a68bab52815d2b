// The wave input device capturing from ALSA's file plug-in: what the device reads is the
// test's own input file, at the real rate.

#include "alsa_test_setup.h"

#include "base/wave_format.h"
#include "engine/wave_input_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace quillon {
namespace {

using namespace std::chrono_literals;
using test::AlsaTestSetup;

// Recognisable PCM: every byte differs from its neighbours and silence never occurs.
std::vector<uint8_t> inputBytes(size_t count)
{
    std::vector<uint8_t> bytes(count);
    uint32_t state = 12345;
    for (uint8_t& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<uint8_t>((state >> 16) | 1u);
    }
    return bytes;
}

class WaveInputDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { m_options = AlsaTestSetup::defaults(); }

    test::AlsaDeviceOptions m_options;
};

class CapturedPcm : public WaveInputDeviceTest, public ::testing::WithParamInterface<uint16_t> {};

TEST_P(CapturedPcm, ReadsTheInputInWholeBuffers)
{
    const uint16_t bits = GetParam();
    const WAVEFORMATEX format = makePcmFormat(44100, 2, bits);
    const std::vector<uint8_t> input = inputBytes(static_cast<size_t>(format.nAvgBytesPerSec)); // one second
    test::writeBytes(m_options.inFile, input);
    AlsaTestSetup::configure(m_options);

    WaveInputDevice device;
    ASSERT_EQ(device.open(-1, format, 4410), WaveInputDevice::kOpened);
    EXPECT_EQ(device.bufferBytes(), 4410u * format.nBlockAlign);

    std::vector<uint8_t> captured;
    std::vector<uint8_t> buffer(device.bufferBytes());
    while (captured.size() < 3 * buffer.size()) {
        const WaveInputDevice::ReadResult r = device.read(buffer.data(), 1000ms);
        ASSERT_NE(r, WaveInputDevice::ReadResult::Failed);
        if (r == WaveInputDevice::ReadResult::Ready)
            captured.insert(captured.end(), buffer.begin(), buffer.end());
    }
    device.close();
    EXPECT_FALSE(device.isOpen());
    ASSERT_LE(captured.size(), input.size());
    EXPECT_TRUE(std::equal(captured.begin(), captured.end(), input.begin())) << "the input, from its start, in order";
    EXPECT_EQ(device.droppedFrames(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Resolutions, CapturedPcm, ::testing::Values(8, 16, 24, 32),
                         [](const auto& info) { return std::to_string(info.param) + "bit"; });

TEST_F(WaveInputDeviceTest, AReaderThatFallsBehindLosesTheNewestNotTheOldest)
{
    const WAVEFORMATEX format = makePcmFormat(44100, 2, 16);
    const uint32_t frames = 441; // 10 ms: the 32 buffers fill in 320 ms
    const std::vector<uint8_t> input = inputBytes(format.nAvgBytesPerSec);
    test::writeBytes(m_options.inFile, input);
    AlsaTestSetup::configure(m_options);

    WaveInputDevice device;
    ASSERT_EQ(device.open(-1, format, frames), WaveInputDevice::kOpened);
    std::this_thread::sleep_for(600ms);
    EXPECT_GT(device.droppedFrames(), 0u);

    std::vector<uint8_t> buffer(device.bufferBytes());
    for (uint32_t i = 0; i < WaveInputDevice::kBufferCount; ++i) {
        ASSERT_EQ(device.read(buffer.data(), 0ms), WaveInputDevice::ReadResult::Ready) << i;
        ASSERT_TRUE(std::equal(buffer.begin(), buffer.end(), input.begin() + i * buffer.size()))
            << "buffer " << i << " was overwritten";
    }
    device.close();
}

TEST_F(WaveInputDeviceTest, OpenFailuresAreReported)
{
    AlsaTestSetup::configure(m_options);
    WaveInputDevice device;
    EXPECT_EQ(device.open(-1, makePcmFormat(44100, 2, 12), 4410), WaveInputDevice::kCannotOpen);
    EXPECT_EQ(device.open(static_cast<int>(WaveInputDevice::deviceNames().size()), makePcmFormat(44100, 2, 16), 4410),
              WaveInputDevice::kCannotOpen);
    m_options.unavailable = true;
    AlsaTestSetup::configure(m_options);
    EXPECT_EQ(device.open(-1, makePcmFormat(44100, 2, 16), 4410), WaveInputDevice::kCannotOpen);
    EXPECT_FALSE(device.isOpen());
    std::vector<uint8_t> buffer(16);
    EXPECT_EQ(device.read(buffer.data(), 10ms), WaveInputDevice::ReadResult::Failed);
}

TEST_F(WaveInputDeviceTest, AFailingDeviceDeliversWhatCameBeforeThenFails)
{
    const WAVEFORMATEX format = makePcmFormat(44100, 2, 16);
    const std::vector<uint8_t> input = inputBytes(format.nAvgBytesPerSec);
    test::writeBytes(m_options.inFile, input);
    for (bool withError : {false, true}) {
        SCOPED_TRACE(withError ? "device error" : "device hangs");
        m_options.failAfter = 2 * 4410 + 2000;
        m_options.failWithError = withError;
        AlsaTestSetup::configure(m_options);

        WaveInputDevice device;
        device.setStallLimit(300ms);
        ASSERT_EQ(device.open(-1, format, 4410), WaveInputDevice::kOpened);
        std::vector<uint8_t> buffer(device.bufferBytes());
        std::vector<uint8_t> captured;
        const auto start = std::chrono::steady_clock::now();
        WaveInputDevice::ReadResult r;
        while ((r = device.read(buffer.data(), 100ms)) != WaveInputDevice::ReadResult::Failed) {
            ASSERT_LT(std::chrono::steady_clock::now() - start, 5s) << "the failure was never noticed";
            if (r == WaveInputDevice::ReadResult::Ready)
                captured.insert(captured.end(), buffer.begin(), buffer.end());
        }
        EXPECT_EQ(captured.size(), 2 * buffer.size()) << "both whole buffers before the failure";
        EXPECT_TRUE(std::equal(captured.begin(), captured.end(), input.begin()));
        device.close();
    }
}

TEST_F(WaveInputDeviceTest, TheDeviceListNamesTheSystemsInputs)
{
    const std::vector<std::string> names = WaveInputDevice::deviceNames();
    ASSERT_FALSE(names.empty());
    EXPECT_NE(std::find(names.begin(), names.end(), "default"), names.end());
}

} // namespace
} // namespace quillon
