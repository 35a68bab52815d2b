#include "pause_detector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace quillon::filefilter {
namespace {

constexpr int kRate = 44100;

struct Recording {
    std::vector<float> samples; // stereo
    int64_t frames() const { return static_cast<int64_t>(samples.size()) / 2; }

    explicit Recording(double seconds, float noiseFloor = 0.0f) : samples(static_cast<size_t>(2 * seconds * kRate))
    {
        std::mt19937 rng(17);
        std::uniform_real_distribution<float> noise(-noiseFloor, noiseFloor);
        if (noiseFloor > 0.0f) {
            for (float& v : samples)
                v = noise(rng);
        }
    }
    // A tone on the right channel only, so that the detector must look at every channel.
    void tone(double from, double to, double frequency = 440.0, double amplitude = 0.5)
    {
        for (int64_t k = std::llround(from * kRate); k < std::llround(to * kRate); ++k)
            samples[static_cast<size_t>(2 * k + 1)] =
                static_cast<float>(amplitude * std::sin(2.0 * M_PI * frequency * (k + 0.25) / kRate));
    }
    std::vector<AudioRange> split(PauseDetector::Settings settings) const
    {
        PauseDetector detector(2, kRate);
        return detector.detect(
            [this](int64_t at, float* dest, size_t count) {
                std::memcpy(dest, samples.data() + at * 2, count * 2 * sizeof(float));
                return count;
            },
            frames(), settings);
    }
};

PauseDetector::Settings settings(float threshold, float minTrack, float minPause)
{
    PauseDetector::Settings s;
    s.threshold = threshold;
    s.minTrackSeconds = minTrack;
    s.minPauseSeconds = minPause;
    return s;
}

void expectRange(const AudioRange& range, double begin, double end)
{
    const double tolerance = 0.05 * kRate;
    EXPECT_NEAR(static_cast<double>(range.begin), begin * kRate, tolerance);
    EXPECT_NEAR(static_cast<double>(range.end), end * kRate, tolerance);
}

TEST(PauseDetector, ThreeTonesSplitIntoThreePieces)
{
    Recording rec(23.0, 0.001f); // a faint noise floor below the threshold
    rec.tone(1.0, 6.0);
    rec.tone(9.0, 14.0, 1000.0);
    rec.tone(17.0, 22.0, 220.0, 0.2);
    const auto pieces = rec.split(settings(0.01f, 2.0f, 2.0f));
    ASSERT_EQ(pieces.size(), 3u);
    expectRange(pieces[0], 1.0, 6.0);
    expectRange(pieces[1], 9.0, 14.0);
    expectRange(pieces[2], 17.0, 22.0);
}

TEST(PauseDetector, PausesShorterThanTheMinimumDoNotSplit)
{
    Recording rec(23.0);
    rec.tone(1.0, 6.0);
    rec.tone(9.0, 14.0);
    rec.tone(17.0, 22.0);
    const auto pieces = rec.split(settings(0.01f, 2.0f, 3.5f));
    ASSERT_EQ(pieces.size(), 1u);
    expectRange(pieces[0], 1.0, 22.0);
}

TEST(PauseDetector, ShortPiecesJoinTheNeighbourAcrossTheShorterPause)
{
    Recording rec(30.0);
    rec.tone(1.0, 8.0);
    rec.tone(10.5, 10.6); // a click 2.5 s after the first track, 4.4 s before the second
    rec.tone(15.0, 22.0);
    rec.tone(24.5, 29.0);
    const auto pieces = rec.split(settings(0.01f, 3.0f, 2.0f));
    ASSERT_EQ(pieces.size(), 3u);
    expectRange(pieces[0], 1.0, 10.6);
    expectRange(pieces[1], 15.0, 22.0);
    expectRange(pieces[2], 24.5, 29.0);
}

TEST(PauseDetector, NeverMoreThanTheCallerTakes)
{
    Recording rec(135.0);
    // 40 pieces of one second; every fifth pause is longer, so those must survive.
    for (int k = 0; k < 40; ++k)
        rec.tone(1.0 + k * 3.2 + (k / 5) * 0.5, 2.0 + k * 3.2 + (k / 5) * 0.5);
    auto s = settings(0.01f, 0.5f, 1.0f);
    ASSERT_EQ(rec.split(s).size(), 40u);
    s.maxRanges = 8;
    const auto pieces = rec.split(s);
    ASSERT_EQ(pieces.size(), 8u);
    for (size_t i = 0; i < pieces.size(); ++i)
        expectRange(pieces[i], 1.0 + i * 16.5, 2.0 + (i * 5 + 4) * 3.2 + i * 0.5);
}

TEST(PauseDetector, SilenceAndEmptySources)
{
    const Recording silent(5.0);
    const auto pieces = silent.split(settings(0.01f, 2.0f, 2.0f));
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0], (AudioRange{0, silent.frames()}));

    PauseDetector detector(2, kRate);
    EXPECT_TRUE(detector.detect([](int64_t, float*, size_t) { return size_t{0}; }, 0, {}).empty());

    // Nonsense settings neither hang nor split at every zero crossing.
    Recording rec(10.0);
    rec.tone(1.0, 9.0, 50.0);
    const auto odd = rec.split(settings(std::nanf(""), std::nanf(""), -4.0f));
    ASSERT_EQ(odd.size(), 1u);
    expectRange(odd[0], 1.0, 9.0);
}

} // namespace
} // namespace quillon::filefilter
