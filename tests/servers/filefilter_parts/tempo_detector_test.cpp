#include "tempo/tempo_detector.h"

#include "test_signals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace quillon::filefilter {
namespace {

constexpr int kRate = 44100;

// Stereo clicks: a short decaying 1.5 kHz burst on every beat. `tempos` gives one tempo
// per stretch of `stretchSeconds`.
std::vector<float> clickTrack(const std::vector<double>& tempos, double stretchSeconds)
{
    const int64_t stretch = static_cast<int64_t>(stretchSeconds * kRate);
    std::vector<float> out(static_cast<size_t>(2 * stretch * static_cast<int64_t>(tempos.size())), 0.0f);
    for (size_t s = 0; s < tempos.size(); ++s) {
        const double period = 60.0 / tempos[s] * kRate;
        for (int b = 0; b * period < static_cast<double>(stretch); ++b) {
            const int64_t at = static_cast<int64_t>(s) * stretch + std::llround(b * period);
            for (int j = 0; j < 400 && at + j < static_cast<int64_t>(out.size()) / 2; ++j) {
                const float v = static_cast<float>(0.8 * std::sin(2.0 * M_PI * 1500.0 * j / kRate) * std::exp(-j / 80.0));
                out[static_cast<size_t>(2 * (at + j))] = v;
                out[static_cast<size_t>(2 * (at + j) + 1)] = v;
            }
        }
    }
    return out;
}

float tempoOf(const std::vector<float>& samples, int64_t position)
{
    const int64_t frames = static_cast<int64_t>(samples.size()) / 2;
    TempoDetector detector(2, kRate);
    return detector.detect(
        [&](int64_t at, float* dest, size_t count) {
            EXPECT_GE(at, 0);
            EXPECT_LE(at + static_cast<int64_t>(count), frames);
            std::memcpy(dest, samples.data() + at * 2, count * 2 * sizeof(float));
            return count;
        },
        frames, position);
}

class ClickTrackTempo : public ::testing::TestWithParam<double> {};

TEST_P(ClickTrackTempo, MeasuredWithinOneBeatPerMinute)
{
    const double bpm = GetParam();
    const std::vector<float> track = clickTrack({bpm}, 30.0);
    const int64_t frames = static_cast<int64_t>(track.size()) / 2;
    // Where tempo matching asks: the end of one clip and the start of the next.
    EXPECT_NEAR(tempoOf(track, frames), bpm, 1.0);
    EXPECT_NEAR(tempoOf(track, 0), bpm, 1.0);
    EXPECT_NEAR(tempoOf(track, frames / 2), bpm, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Tempos, ClickTrackTempo, ::testing::Values(90.0, 120.0, 140.0),
                         [](const auto& info) { return std::to_string(static_cast<int>(info.param)) + "bpm"; });

TEST(TempoDetector, MeasuresAroundThePositionAsked)
{
    const std::vector<float> track = clickTrack({100.0, 130.0}, 30.0);
    const int64_t frames = static_cast<int64_t>(track.size()) / 2;
    EXPECT_NEAR(tempoOf(track, 0), 100.0, 1.0);
    EXPECT_NEAR(tempoOf(track, frames), 130.0, 1.0);
}

TEST(TempoDetector, NoBeatMeasuresZero)
{
    const int64_t frames = 20 * kRate;
    EXPECT_EQ(tempoOf(std::vector<float>(static_cast<size_t>(2 * frames), 0.0f), frames / 2), 0.0f);

    std::mt19937 rng(4);
    std::normal_distribution<float> noise(0.0f, 0.1f);
    std::vector<float> hiss(static_cast<size_t>(2 * frames));
    for (float& v : hiss)
        v = noise(rng);
    EXPECT_EQ(tempoOf(hiss, frames / 2), 0.0f);

    EXPECT_EQ(tempoOf(quillon::test::sine(440.0, 0.5, kRate, 2, frames), frames / 2), 0.0f);

    // Too short to hold a beat at all.
    EXPECT_EQ(tempoOf(std::vector<float>(2 * 500, 0.5f), 0), 0.0f);
}

} // namespace
} // namespace quillon::filefilter
