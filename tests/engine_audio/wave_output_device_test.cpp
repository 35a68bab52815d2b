// The wave output device on a real PortAudio stream into ALSA's file plug-in: what is
// played lands in a raw file, at the real rate, so the ring, the waiting render thread,
// reset and the played position can all be watched.

#include "alsa_test_setup.h"

#include "engine/pcm_converter.h"
#include "engine/sample_block.h"
#include "engine/wave_output_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <future>
#include <thread>

namespace quillon {
namespace {

using namespace std::chrono_literals;
using test::AlsaTestSetup;

constexpr uint32_t kRate = 44100;
constexpr uint32_t kBlock = 2205; // 50 ms

// Block n of a stereo test signal: two sines around an offset, so that no sample is
// silence in any resolution and the channels differ.
SampleBlock testBlock(uint32_t n, uint32_t frames = kBlock, uint32_t channels = 2)
{
    SampleBlock block(frames, channels * 4);
    float* d = block.data();
    for (uint32_t f = 0; f < frames; ++f) {
        const double t = static_cast<double>(n * frames + f) / kRate;
        for (uint32_t c = 0; c < channels; ++c)
            d[f * channels + c] = static_cast<float>(0.15 + 0.6 * std::sin(2 * M_PI * (440.0 + 110.0 * c) * t) +
                                                     (c ? -0.2 : 0.0));
    }
    return block;
}

uint8_t silenceByte(uint16_t bits)
{
    return bits == 8 ? 0x80 : 0x00;
}

// Waits for the ring to drain, like the playback thread, then closes.
void drainAndClose(WaveOutputDevice& device)
{
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!device.lastBufferDone() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(device.lastBufferDone());
    device.close();
}

// The played bytes from the first sound on: the stream plays silence before the first
// block arrives and after the last one.
std::vector<uint8_t> playedSound(const std::string& path, uint32_t frameBytes, uint16_t bits)
{
    const std::vector<uint8_t> raw = test::readBytes(path);
    size_t first = 0;
    for (; first + frameBytes <= raw.size(); first += frameBytes) {
        bool silent = true;
        for (uint32_t b = 0; b < frameBytes; ++b)
            silent = silent && raw[first + b] == silenceByte(bits);
        if (!silent)
            break;
    }
    return std::vector<uint8_t>(raw.begin() + static_cast<std::ptrdiff_t>(std::min(first, raw.size())), raw.end());
}

// The same signal converted by the rule alone (no dither, no shaping), sample by sample.
std::vector<uint8_t> plainPcm(const std::vector<SampleBlock>& blocks, uint16_t bits)
{
    std::vector<uint8_t> out;
    for (const SampleBlock& b : blocks) {
        for (uint32_t i = 0; i < b.frameCount() * b.channels(); ++i) {
            const double x = b.data()[i];
            switch (bits) {
            case 8:
                out.push_back(static_cast<uint8_t>(static_cast<int>(static_cast<float>(x) * 127.0f + 128.0f)));
                break;
            case 16: {
                const auto v = static_cast<int16_t>(static_cast<float>(x) * 32767.0f);
                out.push_back(static_cast<uint8_t>(v));
                out.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
                break;
            }
            case 24: {
                const auto v = static_cast<uint32_t>(static_cast<int32_t>(x * 8388607.0));
                out.insert(out.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                                       static_cast<uint8_t>(v >> 16)});
                break;
            }
            default: {
                const auto v = static_cast<uint32_t>(static_cast<int32_t>(x * 2147483648.0));
                out.insert(out.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                                       static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)});
                break;
            }
            }
        }
    }
    return out;
}

class WaveOutputDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_options = AlsaTestSetup::defaults();
        AlsaTestSetup::configure(m_options);
    }

    test::AlsaDeviceOptions m_options;
};

struct ConversionCase {
    uint16_t bits;
    bool dither;
    bool shaping;
};

class PlayedPcm : public WaveOutputDeviceTest, public ::testing::WithParamInterface<ConversionCase> {};

TEST_P(PlayedPcm, LandsInTheDeviceExactlyAsConverted)
{
    const ConversionCase c = GetParam();
    WaveOutputDevice device;
    device.setDithering(c.dither);
    device.setNoiseShaping(c.shaping);
    ASSERT_TRUE(device.open(kRate, 2, c.bits, -1, WaveOutputDevice::kPlaybackRingSize));
    EXPECT_EQ(device.outputFormat().nBlockAlign, 2 * c.bits / 8);

    std::vector<SampleBlock> blocks;
    for (uint32_t n = 0; n < 4; ++n)
        blocks.push_back(testBlock(n));
    for (const SampleBlock& b : blocks)
        ASSERT_TRUE(device.acceptBlock(b));
    EXPECT_EQ(device.framesDelivered(), 4 * kBlock);
    drainAndClose(device);
    EXPECT_EQ(device.framesDone(), 4 * kBlock);

    // Without dither and shaping the rule alone says what every byte must be; with them,
    // a converter with the device's seed and fresh error state converting block after
    // block (the state carries across blocks).
    std::vector<uint8_t> expected;
    if (!c.dither && !c.shaping) {
        expected = plainPcm(blocks, c.bits);
    } else {
        PcmConverter converter(WaveOutputDevice::kDitherSeed);
        float error[2] = {0, 0};
        for (const SampleBlock& b : blocks) {
            std::vector<uint8_t> part(b.frameCount() * 2 * c.bits / 8);
            converter.convert(b.data(), b.frameCount(), 2, c.bits, c.dither, c.shaping, error, part.data());
            expected.insert(expected.end(), part.begin(), part.end());
        }
        if (c.bits <= 16) {
            EXPECT_NE(expected, plainPcm(blocks, c.bits)) << "the options change the sound";
        }
    }

    const std::vector<uint8_t> played = playedSound(m_options.outFile, 2 * c.bits / 8, c.bits);
    ASSERT_GE(played.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), played.begin())) << "the blocks, in order, unchanged";
    for (size_t i = expected.size(); i < played.size(); ++i)
        ASSERT_EQ(played[i], silenceByte(c.bits)) << "only silence after the last block, at byte " << i;
}

INSTANTIATE_TEST_SUITE_P(Resolutions, PlayedPcm,
                         ::testing::Values(ConversionCase{8, false, false}, ConversionCase{8, true, true},
                                           ConversionCase{16, false, false}, ConversionCase{16, false, true},
                                           ConversionCase{16, true, false}, ConversionCase{16, true, true},
                                           ConversionCase{24, false, false}, ConversionCase{32, false, false}),
                         [](const auto& info) {
                             return std::to_string(info.param.bits) + "bit" + (info.param.dither ? "Dither" : "") +
                                    (info.param.shaping ? "Shaping" : "");
                         });

TEST_F(WaveOutputDeviceTest, TheTenthBlockWaitsUntilABufferReturned)
{
    WaveOutputDevice device;
    ASSERT_TRUE(device.open(kRate, 2, 16, -1, 10));
    for (uint32_t n = 0; n < 9; ++n)
        ASSERT_TRUE(device.acceptBlock(testBlock(n)));
    // Nine blocks are 450 ms of sound: none of them can have played yet.
    EXPECT_EQ(device.queuedBuffers(), 9u);
    EXPECT_LT(device.framesDone(), kBlock);
    EXPECT_FALSE(device.lastBufferDone());

    ASSERT_TRUE(device.acceptBlock(testBlock(9)));
    // It came back only once the first buffer had played out.
    EXPECT_GE(device.framesDone(), kBlock);
    EXPECT_LE(device.queuedBuffers(), 9u);
    EXPECT_EQ(device.framesDelivered(), 10 * kBlock);
    device.reset();
    device.close();
}

TEST_F(WaveOutputDeviceTest, ResetReleasesABlockedRenderThreadAtOnce)
{
    WaveOutputDevice device;
    ASSERT_TRUE(device.open(kRate, 2, 16, -1, 10));
    // Long blocks: a returned buffer would take two seconds.
    for (uint32_t n = 0; n < 9; ++n)
        ASSERT_TRUE(device.acceptBlock(testBlock(n, 2 * kRate)));

    std::promise<void> entered;
    auto writer = std::async(std::launch::async, [&] {
        entered.set_value();
        const bool ok = device.acceptBlock(testBlock(9, kBlock));
        return std::make_pair(ok, std::chrono::steady_clock::now());
    });
    entered.get_future().wait();
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(writer.wait_for(0ms), std::future_status::timeout) << "the writer waits for a free buffer";

    const auto resetAt = std::chrono::steady_clock::now();
    device.reset();
    ASSERT_EQ(writer.wait_for(2s), std::future_status::ready);
    const auto [accepted, returnedAt] = writer.get();
    EXPECT_TRUE(accepted);
    EXPECT_LT(returnedAt - resetAt, 100ms);

    // The long blocks were dropped unplayed; the late one plays, then the ring is empty.
    EXPECT_LT(device.framesDone(), 2 * kRate);
    drainAndClose(device);
    EXPECT_LT(device.framesDone(), 2 * kRate + kBlock);
}

TEST_F(WaveOutputDeviceTest, FramesDoneFollowThePlayingSound)
{
    WaveOutputDevice device;
    ASSERT_TRUE(device.open(kRate, 2, 16, -1, 10));
    const int64_t total = 6 * kBlock;
    for (uint32_t n = 0; n < 6; ++n)
        ASSERT_TRUE(device.acceptBlock(testBlock(n)));

    std::vector<int64_t> seen;
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (!device.lastBufferDone() && std::chrono::steady_clock::now() < deadline) {
        seen.push_back(device.framesDone());
        std::this_thread::sleep_for(5ms);
    }
    seen.push_back(device.framesDone());
    ASSERT_TRUE(device.lastBufferDone());
    EXPECT_EQ(seen.back(), total);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    // The position grows while the sound plays (300 ms), not all at once.
    const auto between = std::count_if(seen.begin(), seen.end(), [&](int64_t v) { return v > 0 && v < total; });
    EXPECT_GE(between, 10);
    device.close();
    EXPECT_TRUE(device.isClosed());
}

TEST_F(WaveOutputDeviceTest, VolumeIsAppliedToTheSoundPlayed)
{
    WaveOutputDevice device;
    device.setVolume(WaveOutputDevice::volumeWord(-6.0, -100));
    ASSERT_TRUE(device.open(kRate, 2, 16, -1, 10));
    device.setNoiseShaping(false);
    const SampleBlock block = testBlock(0);
    ASSERT_TRUE(device.acceptBlock(block));
    drainAndClose(device);
    EXPECT_EQ(device.volume(), WaveOutputDevice::volumeWord(-6.0, -100)) << "kept across close";

    const std::vector<uint8_t> played = playedSound(m_options.outFile, 4, 16);
    ASSERT_GE(played.size(), kBlock * 4u);
    const double gain = (WaveOutputDevice::volumeWord(-6.0, -100) & 0xFFFF) / 65535.0;
    for (uint32_t f = 0; f < kBlock; ++f) {
        const auto left = static_cast<int16_t>(played[f * 4] | (played[f * 4 + 1] << 8));
        const auto right = static_cast<int16_t>(played[f * 4 + 2] | (played[f * 4 + 3] << 8));
        const double full = static_cast<int16_t>(block.data()[f * 2] * 32767.0f);
        ASSERT_NEAR(left, full * gain, 1.0) << f;
        ASSERT_EQ(right, 0) << f;
    }
}

TEST_F(WaveOutputDeviceTest, RefusesWhatItCannotPlay)
{
    WaveOutputDevice device;
    EXPECT_FALSE(device.open(kRate, 2, 12, -1, 10));
    EXPECT_FALSE(device.open(kRate, 2, 16, -1, 1)) << "a ring of one buffer could never take a block";
    EXPECT_FALSE(device.open(kRate, 0, 16, -1, 10));
    EXPECT_FALSE(device.open(kRate, 2, 16, static_cast<int>(WaveOutputDevice::deviceNames().size()), 10));
    EXPECT_TRUE(device.isClosed());
    EXPECT_FALSE(device.acceptBlock(testBlock(0))) << "closed";

    // A device that ALSA cannot open.
    m_options.unavailable = true;
    AlsaTestSetup::configure(m_options);
    EXPECT_FALSE(device.open(kRate, 2, 16, -1, 10));
    EXPECT_TRUE(device.isClosed());
}

TEST_F(WaveOutputDeviceTest, BlocksOfAnotherShapeAreIgnoredOrRefused)
{
    WaveOutputDevice device;
    ASSERT_TRUE(device.open(kRate, 2, 16, -1, 10));
    SampleBlock empty(0, 8);
    EXPECT_TRUE(device.acceptBlock(empty));
    EXPECT_FALSE(device.acceptBlock(testBlock(0, kBlock, 1))) << "mono block into a stereo device";
    EXPECT_EQ(device.framesDelivered(), 0);
    EXPECT_TRUE(device.lastBufferDone()) << "nothing written: a drain loop must not wait forever";
    device.close();
}

TEST_F(WaveOutputDeviceTest, AFailingDeviceReturnsFalseInsteadOfHanging)
{
    for (bool withError : {false, true}) {
        SCOPED_TRACE(withError ? "device error" : "device hangs");
        m_options.failAfter = 3 * kBlock;
        m_options.failWithError = withError;
        AlsaTestSetup::configure(m_options);

        WaveOutputDevice device;
        device.setReturnTimeout(300ms);
        ASSERT_TRUE(device.open(kRate, 2, 16, -1, 4));
        bool refused = false;
        for (uint32_t n = 0; n < 20 && !refused; ++n)
            refused = !device.acceptBlock(testBlock(n));
        EXPECT_TRUE(refused);
        EXPECT_TRUE(device.hasFailed());
        EXPECT_TRUE(device.lastBufferDone()) << "a drain loop ends";
        EXPECT_FALSE(device.acceptBlock(testBlock(0))) << "and stays refused";
        EXPECT_LE(device.framesDone(), 4 * kBlock);
        device.reset();
        device.close();
        EXPECT_TRUE(device.isClosed());
    }
}

TEST_F(WaveOutputDeviceTest, ADeviceThatHangsWhileDrainingEndsTheDrain)
{
    m_options.failAfter = kBlock;
    AlsaTestSetup::configure(m_options);
    WaveOutputDevice device;
    device.setReturnTimeout(300ms);
    ASSERT_TRUE(device.open(kRate, 2, 16, -1, 10));
    for (uint32_t n = 0; n < 3; ++n)
        ASSERT_TRUE(device.acceptBlock(testBlock(n)));
    const auto start = std::chrono::steady_clock::now();
    while (!device.lastBufferDone())
        ASSERT_LT(std::chrono::steady_clock::now() - start, 5s) << "the drain never ends";
    EXPECT_TRUE(device.hasFailed());
    EXPECT_LT(device.framesDone(), 3 * kBlock);
    device.close();
}

TEST_F(WaveOutputDeviceTest, TheDeviceListNamesTheSystemsOutputs)
{
    const std::vector<std::string> names = WaveOutputDevice::deviceNames();
    ASSERT_FALSE(names.empty());
    EXPECT_NE(std::find(names.begin(), names.end(), "default"), names.end());
    // Device ids index this list.
    const auto index = std::find(names.begin(), names.end(), "default") - names.begin();
    WaveOutputDevice device;
    EXPECT_TRUE(device.open(kRate, 2, 16, static_cast<int>(index), 10));
}

} // namespace
} // namespace quillon
