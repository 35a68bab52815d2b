#include "engine/pcm_converter.h"
#include "engine/wave_output_device.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace quillon {
namespace {

struct Converted {
    std::vector<uint8_t> bytes;
    uint16_t bits;

    int32_t at(size_t i) const
    {
        const uint8_t* p = bytes.data() + i * (bits / 8);
        switch (bits) {
        case 8:
            return p[0];
        case 16:
            return static_cast<int16_t>(p[0] | (p[1] << 8));
        case 24:
            return static_cast<int32_t>((static_cast<uint32_t>(p[0]) | (p[1] << 8) | (p[2] << 16)) << 8) >> 8;
        default:
            return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (p[1] << 8) | (p[2] << 16) |
                                        (static_cast<uint32_t>(p[3]) << 24));
        }
    }
    size_t count() const { return bytes.size() / (bits / 8); }
};

Converted convert(const std::vector<float>& in, uint32_t channels, uint16_t bits, bool dither = false,
                  bool shaping = false, float* error = nullptr, PcmConverter* converter = nullptr)
{
    float local[2] = {0, 0};
    PcmConverter own;
    Converted out{std::vector<uint8_t>(in.size() * (bits / 8)), bits};
    (converter ? *converter : own)
        .convert(in.data(), static_cast<uint32_t>(in.size() / channels), channels, bits, dither, shaping,
                 error ? error : local, out.bytes.data());
    return out;
}

TEST(PcmConversion, SixteenBitEdgeValues)
{
    const Converted out = convert({1.0f, -1.0f, 0.5f, -0.5f, 0.0f, 1.5f, -2.0f, 0.99999f}, 1, 16);
    EXPECT_EQ(out.at(0), 32767);
    EXPECT_EQ(out.at(1), -32767) << "never -32768";
    EXPECT_EQ(out.at(2), 16383);
    EXPECT_EQ(out.at(3), -16383) << "truncation goes toward zero";
    EXPECT_EQ(out.at(4), 0);
    EXPECT_EQ(out.at(5), 32767);
    EXPECT_EQ(out.at(6), -32767);
    EXPECT_EQ(out.at(7), 32766);
    // Little-endian byte order.
    EXPECT_EQ(out.bytes[0], 0xFF);
    EXPECT_EQ(out.bytes[1], 0x7F);
}

TEST(PcmConversion, EightBitIsUnsignedAroundTheMidpoint)
{
    const Converted out = convert({0.0f, -1.0f, 1.0f, 0.5f, -0.5f, 3.0f, -3.0f}, 1, 8);
    EXPECT_EQ(out.at(0), 128);
    EXPECT_EQ(out.at(1), 1) << "128 - 127";
    EXPECT_EQ(out.at(2), 255);
    EXPECT_EQ(out.at(3), 191); // 191.5
    EXPECT_EQ(out.at(4), 64);  // 64.5
    EXPECT_EQ(out.at(5), 255);
    EXPECT_EQ(out.at(6), 0);
}

TEST(PcmConversion, TwentyFourAndThirtyTwoBits)
{
    const std::vector<float> in = {1.0f, -1.0f, 0.5f, -1.5f, 2.0f, -1e-10f, 0.25f};
    const Converted c24 = convert(in, 1, 24);
    EXPECT_EQ(c24.at(0), 8388607);
    EXPECT_EQ(c24.at(1), -8388607);
    EXPECT_EQ(c24.at(2), 4194303);
    EXPECT_EQ(c24.at(3), -8388608) << "the negative limit is one further out";
    EXPECT_EQ(c24.at(4), 8388607);
    EXPECT_EQ(c24.at(5), 0);
    EXPECT_EQ(c24.at(6), 2097151);
    EXPECT_EQ(c24.bytes.size(), in.size() * 3) << "packed, three bytes a sample";
    EXPECT_EQ(c24.bytes[3], 0x01);
    EXPECT_EQ(c24.bytes[5], 0x80);

    const Converted c32 = convert(in, 1, 32);
    EXPECT_EQ(c32.at(0), 2147483647);
    EXPECT_EQ(c32.at(1), -2147483647);
    EXPECT_EQ(c32.at(2), 1073741824);
    EXPECT_EQ(c32.at(3), -2147483647);
    EXPECT_EQ(c32.at(4), 2147483647);
    EXPECT_EQ(c32.at(5), 0);
    EXPECT_EQ(c32.at(6), 536870912);
}

TEST(PcmConversion, ResolutionsAboveSixteenBitsIgnoreDitherAndShaping)
{
    const std::vector<float> in(64, 0.3f);
    for (uint16_t bits : {24, 32}) {
        float error[2] = {0, 0};
        const Converted plain = convert(in, 2, bits);
        const Converted shaped = convert(in, 2, bits, true, true, error);
        EXPECT_EQ(plain.bytes, shaped.bytes) << bits;
        EXPECT_EQ(error[0], 0.0f);
    }
}

TEST(PcmConversion, NoiseShapingFeedsTheErrorIntoTheNextSample)
{
    float error[2] = {0, 0};
    const Converted out = convert(std::vector<float>(8, 0.25f), 1, 16, false, true, error);
    EXPECT_EQ(out.at(0), 8191); // 8191.75 truncated
    EXPECT_EQ(out.at(1), 8192); // 8191.75 + 0.75
    // Over every four samples the output averages the exact value.
    EXPECT_EQ(out.at(0) + out.at(1) + out.at(2) + out.at(3), 32767);
    EXPECT_EQ(out.at(4) + out.at(5) + out.at(6) + out.at(7), 32767);

    const Converted plain = convert(std::vector<float>(8, 0.25f), 1, 16);
    for (size_t i = 0; i < plain.count(); ++i)
        EXPECT_EQ(plain.at(i), 8191);
}

TEST(PcmConversion, NoiseShapingStateCarriesAcrossBlocksPerChannel)
{
    // Two channels with different levels, converted in one call and frame by frame.
    std::vector<float> in;
    for (int f = 0; f < 50; ++f) {
        in.push_back(0.25f + 0.001f * static_cast<float>(f));
        in.push_back(-0.4f);
    }
    float whole[2] = {0, 0};
    const Converted once = convert(in, 2, 16, false, true, whole);

    PcmConverter converter;
    float pieces[2] = {0, 0};
    std::vector<uint8_t> joined;
    for (size_t f = 0; f < 50; ++f) {
        const std::vector<float> frame = {in[f * 2], in[f * 2 + 1]};
        const Converted part = convert(frame, 2, 16, false, true, pieces, &converter);
        joined.insert(joined.end(), part.bytes.begin(), part.bytes.end());
    }
    EXPECT_EQ(joined, once.bytes);
    EXPECT_EQ(whole[0], pieces[0]);
    EXPECT_EQ(whole[1], pieces[1]);

    // The right channel's error never leaks into the left: a constant left channel next
    // to a varying right one keeps the single-channel sequence.
    std::vector<float> mixed;
    for (int f = 0; f < 8; ++f) {
        mixed.push_back(0.25f);
        mixed.push_back(f % 2 ? 0.7f : -0.3f);
    }
    const Converted m = convert(mixed, 2, 16, false, true);
    const Converted mono = convert(std::vector<float>(8, 0.25f), 1, 16, false, true);
    for (size_t f = 0; f < 8; ++f)
        EXPECT_EQ(m.at(f * 2), mono.at(f)) << f;
}

TEST(PcmConversion, ClippingClearsTheShapingError)
{
    float error[2] = {0, 0};
    convert({0.25f}, 1, 16, false, true, error);
    EXPECT_FLOAT_EQ(error[0], -0.75f);
    const Converted out = convert({1.0f, 0.25f}, 1, 16, false, true, error);
    EXPECT_EQ(out.at(0), 32767);
    EXPECT_EQ(out.at(1), 8191) << "the clipped sample leaves no error behind";

    error[0] = 0.0f;
    convert({0.3f / 127.0f}, 1, 8, false, true, error); // v = 128.3 -> error -0.3
    EXPECT_NEAR(error[0], -0.3f, 1e-4);
    const Converted low = convert({-1.5f, 0.0f}, 1, 8, false, true, error);
    EXPECT_EQ(low.at(0), 0);
    EXPECT_EQ(low.at(1), 128);
}

TEST(PcmConversion, DitherAddsZeroOrOneLsb)
{
    // 0.25 at 16 bits is 8191.75: undithered 8191, dithered 8191 or 8192.
    const std::vector<float> in(4000, 0.25f);
    const Converted out = convert(in, 2, 16, true, false);
    size_t raised = 0;
    for (size_t i = 0; i < out.count(); ++i) {
        ASSERT_TRUE(out.at(i) == 8191 || out.at(i) == 8192) << i << ": " << out.at(i);
        raised += out.at(i) == 8192;
    }
    // Rectangular: about half of the samples get the extra LSB.
    EXPECT_GT(raised, out.count() * 4 / 10);
    EXPECT_LT(raised, out.count() * 6 / 10);

    const Converted eight = convert(std::vector<float>(2000, -0.2f), 1, 8, true, false);
    // -0.2 * 127 + 128 = 102.6: 102 or 103.
    for (size_t i = 0; i < eight.count(); ++i)
        ASSERT_TRUE(eight.at(i) == 102 || eight.at(i) == 103) << eight.at(i);
}

TEST(PcmConversion, DitherWithShapingKeepsTheLongTermAverage)
{
    // Error feedback makes the output average the input plus the dither's mean of 0.5.
    float error[2] = {0, 0};
    const std::vector<float> in(20000, 0.25f);
    const Converted out = convert(in, 1, 16, true, true, error);
    double sum = 0;
    for (size_t i = 0; i < out.count(); ++i) {
        sum += out.at(i);
        ASSERT_GE(out.at(i), 8190);
        ASSERT_LE(out.at(i), 8194);
    }
    EXPECT_NEAR(sum / static_cast<double>(out.count()), 8191.75 + 0.5, 0.02);
}

TEST(PcmConversion, DitherSequenceIsReproducibleFromTheSeed)
{
    PcmConverter a(42), b(42), c(43);
    std::vector<uint32_t> sa, sb, sc;
    for (int i = 0; i < 64; ++i) {
        sa.push_back(a.nextDither());
        sb.push_back(b.nextDither());
        sc.push_back(c.nextDither());
    }
    EXPECT_EQ(sa, sb);
    EXPECT_NE(sa, sc);
}

TEST(PcmConversion, NonFiniteSamplesStayDefined)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<float> in = {nan, inf, -inf};
    float error[2] = {0, 0};
    const Converted c16 = convert(in, 1, 16, false, true, error);
    EXPECT_EQ(c16.at(0), 0);
    EXPECT_EQ(c16.at(1), 32767);
    EXPECT_EQ(c16.at(2), -32767);
    EXPECT_FALSE(std::isnan(error[0]));
    const Converted c8 = convert(in, 1, 8);
    EXPECT_EQ(c8.at(0), 128);
    EXPECT_EQ(c8.at(1), 255);
    EXPECT_EQ(c8.at(2), 0);
    const Converted c24 = convert(in, 1, 24);
    EXPECT_EQ(c24.at(0), 0);
    EXPECT_EQ(c24.at(1), 8388607);
    EXPECT_EQ(c24.at(2), -8388608);
    const Converted c32 = convert(in, 1, 32);
    EXPECT_EQ(c32.at(0), 0);
    EXPECT_EQ(c32.at(1), 2147483647);
    EXPECT_EQ(c32.at(2), -2147483647);
}

TEST(PcmConversion, ChannelsBeyondTheSecondAreNotShaped)
{
    std::vector<float> in;
    for (int f = 0; f < 4; ++f)
        in.insert(in.end(), {0.25f, 0.25f, 0.25f});
    const Converted out = convert(in, 3, 16, false, true);
    EXPECT_EQ(out.at(0), 8191);
    EXPECT_EQ(out.at(3), 8192);
    for (size_t f = 0; f < 4; ++f)
        EXPECT_EQ(out.at(f * 3 + 2), 8191) << f;
}

TEST(PcmConversion, ReadingBackGivesTheSampleScale)
{
    for (uint16_t bits : {8, 16, 24, 32}) {
        const std::vector<float> in = {0.0f, 0.5f, -0.5f, 1.0f, -1.0f};
        const Converted out = convert(in, 1, bits);
        const double step = bits == 8 ? 1.0 / 127 : bits == 16 ? 1.0 / 32767 : 1.0 / 8388607;
        for (size_t i = 0; i < in.size(); ++i)
            EXPECT_NEAR(PcmConverter::toFloat(out.bytes.data() + i * (bits / 8), bits), in[i], step) << bits;
    }
    const uint8_t minus32[4] = {0x00, 0x00, 0x00, 0x80};
    EXPECT_FLOAT_EQ(PcmConverter::toFloat(minus32, 32), -1.0f);
    const uint8_t minus16[2] = {0x00, 0x80};
    EXPECT_NEAR(PcmConverter::toFloat(minus16, 16), -32768.0 / 32767.0, 1e-6);
}

TEST(PcmConversion, GainScalesEachSideOfEachResolution)
{
    for (uint16_t bits : {8, 16, 24, 32}) {
        Converted c = convert({1.0f, 1.0f, -1.0f, -1.0f}, 2, bits);
        PcmConverter::applyGain(c.bytes.data(), 2, 2, bits, 0.5f, 0.0f);
        const int32_t full = bits == 8 ? 127 : bits == 16 ? 32767 : bits == 24 ? 8388607 : 2147483647;
        const int32_t mid = bits == 8 ? 128 : 0;
        EXPECT_EQ(c.at(0), mid + full / 2) << bits;
        EXPECT_EQ(c.at(1), mid) << bits;
        EXPECT_EQ(c.at(2), mid - full / 2) << bits;
        EXPECT_EQ(c.at(3), mid) << bits;
    }
}

TEST(OutputVolume, KnobsGiveTheDeviceVolumeWord)
{
    const uint32_t half = WaveOutputDevice::volumeWord(-6.0, 0);
    const uint32_t expected = static_cast<uint32_t>(std::pow(10.0, -0.3) * 0xFFFF);
    EXPECT_EQ(half & 0xFFFF, expected);
    EXPECT_EQ(half >> 16, expected);
    EXPECT_NEAR((half & 0xFFFF) / 65535.0, 0.501, 0.001);

    EXPECT_EQ(WaveOutputDevice::volumeWord(0.0, 0), 0xFFFFFFFFu);
    const uint32_t left = WaveOutputDevice::volumeWord(-6.0, -100);
    EXPECT_EQ(left & 0xFFFF, expected);
    EXPECT_EQ(left >> 16, 0u);
    const uint32_t right = WaveOutputDevice::volumeWord(0.0, 50);
    EXPECT_EQ(right & 0xFFFF, 0x7FFFu);
    EXPECT_EQ(right >> 16, 0xFFFFu);
    EXPECT_EQ(WaveOutputDevice::volumeWord(-60.0, 0) & 0xFFFF, 65u); // 0.001 x 0xFFFF
}

} // namespace
} // namespace quillon
