#include "time_scaler.h"

#include "test_signals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <algorithm>
#include <random>
#include <tuple>

namespace quillon::filefilter {
namespace {

using quillon::test::rms;
using quillon::test::sine;
using quillon::test::toneFrequency;

constexpr int kRate = 44100;

// An in-memory source that also counts how it is read.
struct Source {
    std::vector<float> samples;
    int channels = 2;
    int64_t frames() const { return static_cast<int64_t>(samples.size()) / channels; }
    TimeScaler::SourceRead reader()
    {
        return [this](int64_t position, float* dest, size_t count) {
            EXPECT_GE(position, 0);
            EXPECT_LE(position + static_cast<int64_t>(count), frames());
            std::memcpy(dest, samples.data() + position * channels, count * channels * sizeof(float));
            return count;
        };
    }
};

std::vector<float> readAll(TimeScaler& scaler, int64_t frames, size_t block, int64_t* inside = nullptr)
{
    std::vector<float> out(static_cast<size_t>(frames * scaler.channels()));
    int64_t total = 0;
    for (int64_t at = 0; at < frames; at += static_cast<int64_t>(block)) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(block), frames - at));
        total += static_cast<int64_t>(scaler.read(out.data() + at * scaler.channels(), n));
    }
    if (inside)
        *inside = total;
    return out;
}

TEST(TimeScaleMap, ClipRatioGivesExactlyTheScaledLength)
{
    TimeScaleMap map(88207);
    EXPECT_TRUE(map.isIdentity());
    EXPECT_EQ(map.outputLength(), 88207);
    ASSERT_EQ(map.segments().size(), 1u);
    EXPECT_FALSE(map.segments()[0].stretched);

    ASSERT_TRUE(map.setRatio(1.5f));
    EXPECT_EQ(map.outputLength(), std::llround(88207 * 1.5));
    EXPECT_EQ(map.scaledLength(), 88207); // the clip ratio is the caller's to apply
    ASSERT_TRUE(map.setRatio(0.8f));
    EXPECT_EQ(map.outputLength(), std::llround(88207 * static_cast<double>(0.8f)));
    EXPECT_NEAR(map.localRatio(1000.0), 0.8, 1e-4);

    for (float bad : {0.0f, -1.0f, 1000.0f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()}) {
        EXPECT_FALSE(map.setRatio(bad)) << bad;
        EXPECT_EQ(map.ratio(), 0.8f);
    }
    // An output no 32-bit position could reach is refused.
    TimeScaleMap huge(1'500'000'000);
    EXPECT_FALSE(huge.setRatio(2.0f));
    EXPECT_EQ(huge.outputLength(), 1'500'000'000);
}

TEST(TimeScaleMap, HardEndTransitionScalesOnlyTheTail)
{
    TimeScaleMap map(10000);
    ASSERT_TRUE(map.setTransition(1000, TimeScaleMap::kEnd | TimeScaleMap::kHard, 1.2f));
    EXPECT_EQ(map.scaledLength(), 10200);
    EXPECT_EQ(map.outputLength(), 10200);
    ASSERT_EQ(map.segments().size(), 2u);
    EXPECT_FALSE(map.segments()[0].stretched);
    EXPECT_EQ(map.segments()[0].outEnd, 9000);
    EXPECT_TRUE(map.segments()[1].stretched);
    EXPECT_EQ(map.segments()[1].sourceBegin, 9000);
    EXPECT_DOUBLE_EQ(map.outputAt(4321.0), 4321.0);
    EXPECT_NEAR(map.localRatio(9500.0), 1.2, 1e-6);
    EXPECT_NEAR(map.outputAt(9500.0), 9600.0, 1e-6);
}

TEST(TimeScaleMap, GradualStartTransitionGlidesFromTheRatioToOne)
{
    TimeScaleMap map(10000);
    ASSERT_TRUE(map.setTransition(1000, TimeScaleMap::kStart | TimeScaleMap::kGradual, 0.6f));
    // The ratio runs linearly from 0.6 at the clip's start to 1: the mean is 0.8.
    EXPECT_EQ(map.scaledLength(), 9800);
    EXPECT_NEAR(map.localRatio(0.0), 0.6, 1e-3);
    EXPECT_NEAR(map.localRatio(500.0), 0.8, 1e-3);
    EXPECT_NEAR(map.localRatio(999.9), 1.0, 1e-3);
    EXPECT_NEAR(map.localRatio(5000.0), 1.0, 1e-9);
    ASSERT_EQ(map.segments().size(), 2u);
    EXPECT_EQ(map.segments()[1].outBegin, 800);
    EXPECT_EQ(map.segments()[1].sourceBegin, 1000);
}

TEST(TimeScaleMap, MappingIsInvertibleAndMonotonic)
{
    TimeScaleMap map(50000);
    ASSERT_TRUE(map.setTransition(7000, TimeScaleMap::kStart | TimeScaleMap::kGradual, 1.7f));
    ASSERT_TRUE(map.setTransition(9000, TimeScaleMap::kEnd | TimeScaleMap::kGradual, 0.4f));
    ASSERT_TRUE(map.setRatio(1.3f));
    EXPECT_EQ(map.outputLength(), std::llround(map.scaledLength() * static_cast<double>(1.3f)));
    ASSERT_EQ(map.segments().size(), 1u);
    EXPECT_TRUE(map.segments()[0].stretched);
    double last = -std::numeric_limits<double>::infinity();
    for (double u = -100.0; u <= 50100.0; u += 37.5) {
        const double o = map.outputAt(u);
        EXPECT_GT(o, last) << u;
        EXPECT_NEAR(map.sourceAt(o), u, 1e-6) << u;
        last = o;
    }
    EXPECT_NEAR(map.outputAt(50000.0), static_cast<double>(map.outputLength()), 1e-6);
}

TEST(TimeScaleMap, TransitionsAreRemovedAndBadOnesRefused)
{
    TimeScaleMap map(10000);
    const uint32_t endHard = TimeScaleMap::kEnd | TimeScaleMap::kHard;
    ASSERT_TRUE(map.setTransition(1000, endHard, 1.2f));
    ASSERT_TRUE(map.setTransition(0, TimeScaleMap::kEnd, 1.0f));
    EXPECT_TRUE(map.isIdentity());

    for (auto [length, flags, ratio] : {std::tuple{0ll, endHard, 1.2f}, std::tuple{1000ll, uint32_t{TimeScaleMap::kEnd}, 1.2f},
                                        std::tuple{1000ll, endHard, 1.0f}}) {
        ASSERT_TRUE(map.setTransition(1000, endHard, 1.2f));
        ASSERT_TRUE(map.setTransition(length, flags, ratio));
        EXPECT_TRUE(map.isIdentity());
    }
    // No side named: both go.
    ASSERT_TRUE(map.setTransition(1000, endHard, 1.2f));
    ASSERT_TRUE(map.setTransition(500, TimeScaleMap::kStart | TimeScaleMap::kGradual, 1.2f));
    ASSERT_TRUE(map.setTransition(0, 0, 1.0f));
    EXPECT_TRUE(map.isIdentity());

    EXPECT_FALSE(map.setTransition(-5, endHard, 1.2f));
    EXPECT_FALSE(map.setTransition(100, TimeScaleMap::kStart | TimeScaleMap::kEnd | 1, 1.2f));
    EXPECT_FALSE(map.setTransition(100, TimeScaleMap::kEnd | 3, 1.2f));
    EXPECT_FALSE(map.setTransition(100, TimeScaleMap::kHard, 1.2f));
    EXPECT_FALSE(map.setTransition(100, endHard, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(map.setTransition(100, endHard, -2.0f));
    EXPECT_TRUE(map.isIdentity());

    // A transition longer than the source covers the whole source.
    ASSERT_TRUE(map.setTransition(50000, endHard, 2.0f));
    EXPECT_EQ(map.scaledLength(), 20000);
}

class TimeScalerTone : public ::testing::TestWithParam<std::tuple<float, TimeScaler::Quality>> {};

// The tone lasts exactly ratio times as long and keeps its pitch.
TEST_P(TimeScalerTone, StretchKeepsFrequencyAndGivesTheExactLength)
{
    const auto [ratio, quality] = GetParam();
    Source source{sine(1000.0, 0.5, kRate, 2, 2 * kRate + 7)};
    TimeScaleMap map(source.frames());
    ASSERT_TRUE(map.setRatio(ratio));
    TimeScaler scaler(source.reader(), 2, kRate, quality);
    scaler.setMap(map);
    const int64_t expected = std::llround(static_cast<double>(source.frames()) * ratio);
    EXPECT_EQ(map.outputLength(), expected);

    int64_t inside = 0;
    const std::vector<float> out = readAll(scaler, expected + 5000, 1000, &inside);
    EXPECT_EQ(inside, expected);
    const int64_t lo = expected / 5;
    const int64_t hi = expected - expected / 5;
    EXPECT_NEAR(toneFrequency(out, 2, lo, hi, kRate), 1000.0, 10.0);
    EXPECT_NEAR(rms(out, 2, lo, hi), 0.5 / std::sqrt(2.0), 0.05);
    // Past the end: silence.
    EXPECT_EQ(rms(out, 2, expected, expected + 5000), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Ratios, TimeScalerTone,
                         ::testing::Combine(::testing::Values(1.5f, 0.8f),
                                            ::testing::Values(TimeScaler::Quality::Fast, TimeScaler::Quality::Fine)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) > 1.0f ? "Longer" : "Shorter") +
                                    (std::get<1>(info.param) == TimeScaler::Quality::Fast ? "Fast" : "Fine");
                         });

TEST(TimeScaler, RatioOneIsTheSourceBitForBit)
{
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    Source source;
    source.samples.resize(2 * 30011);
    for (float& v : source.samples)
        v = dist(rng);
    TimeScaler scaler(source.reader(), 2, kRate);
    scaler.setMap(TimeScaleMap(source.frames()));
    int64_t inside = 0;
    std::vector<float> out = readAll(scaler, source.frames(), 997, &inside);
    EXPECT_EQ(inside, source.frames());
    EXPECT_EQ(out, source.samples);

    scaler.seek(12345);
    std::vector<float> part(2 * 100);
    EXPECT_EQ(scaler.read(part.data(), 100), 100u);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), source.samples.begin() + 2 * 12345));

    // Before the start: silence first, then the source.
    scaler.seek(-3);
    std::vector<float> early(2 * 5);
    EXPECT_EQ(scaler.read(early.data(), 5), 2u);
    EXPECT_EQ(early[0], 0.0f);
    EXPECT_EQ(early[5], 0.0f);
    EXPECT_EQ(early[6], source.samples[0]);
}

// Short bursts every 10000 source frames; returns where they start in an output.
std::vector<int64_t> burstOnsets(const std::vector<float>& out, int channels, int64_t offset)
{
    std::vector<int64_t> onsets;
    int64_t last = -100000;
    const int64_t frames = static_cast<int64_t>(out.size()) / channels;
    for (int64_t i = 0; i < frames; ++i) {
        if (std::fabs(out[static_cast<size_t>(i * channels)]) > 0.2f && i - last > 3000) {
            onsets.push_back(i + offset);
            last = i;
        }
    }
    return onsets;
}

Source bursts(int64_t frames)
{
    Source source;
    source.samples.assign(static_cast<size_t>(frames * 2), 0.0f);
    for (int64_t k = 5000; k + 100 < frames; k += 10000) {
        for (int j = 0; j < 100; ++j) {
            const float v = 0.8f * static_cast<float>(std::sin(2.0 * M_PI * 3000.0 * j / kRate) * (1.0 - j / 100.0));
            source.samples[static_cast<size_t>(2 * (k + j))] = v;
            source.samples[static_cast<size_t>(2 * (k + j) + 1)] = v;
        }
    }
    return source;
}

// Events land where the ratio puts them, and reading from a seek target finds them
// where reading straight through does (within the stretcher's own timing jitter).
TEST(TimeScaler, SeekingLandsWhereStraightReadingIs)
{
    Source source = bursts(3 * kRate);
    for (float ratio : {1.25f, 0.8f, 2.0f}) {
        TimeScaleMap map(source.frames());
        ASSERT_TRUE(map.setRatio(ratio));
        TimeScaler straight(source.reader(), 2, kRate);
        straight.setMap(map);
        const std::vector<int64_t> whole = burstOnsets(readAll(straight, map.outputLength(), 512), 2, 0);
        ASSERT_EQ(whole.size(), 13u) << ratio;
        const double jitter = 0.015 * kRate;
        for (size_t k = 0; k < whole.size(); ++k)
            EXPECT_NEAR(static_cast<double>(whole[k]), (5000.0 + 10000.0 * k) * ratio, jitter) << ratio << " " << k;

        TimeScaler seeking(source.reader(), 2, kRate);
        seeking.setMap(map);
        for (int64_t target : {std::llround(61001 * ratio), std::llround(22222 * ratio), std::llround(100000 * ratio)}) {
            seeking.seek(target);
            const std::vector<int64_t> found = burstOnsets(readAll(seeking, 45000, 512), 2, target);
            ASSERT_GE(found.size(), 2u) << ratio << " " << target;
            const auto match = std::find_if(whole.begin(), whole.end(), [&](int64_t o) { return o > target + 200; });
            ASSERT_NE(match, whole.end());
            EXPECT_NEAR(static_cast<double>(found[0]), static_cast<double>(*match), jitter) << ratio << " " << target;
            EXPECT_NEAR(static_cast<double>(found[1]), static_cast<double>(*(match + 1)), jitter) << ratio << " " << target;
        }
    }
}

TEST(TimeScaler, EndTransitionChangesOnlyTheTransition)
{
    Source source{sine(1000.0, 0.5, kRate, 2, 2 * kRate)};
    const int64_t length = kRate / 2;
    TimeScaleMap map(source.frames());
    ASSERT_TRUE(map.setTransition(length, TimeScaleMap::kEnd | TimeScaleMap::kHard, 1.25f));
    const int64_t body = source.frames() - length;
    const int64_t expected = body + std::llround(length * 1.25);
    EXPECT_EQ(map.outputLength(), expected);

    TimeScaler scaler(source.reader(), 2, kRate);
    scaler.setMap(map);
    int64_t inside = 0;
    const std::vector<float> out = readAll(scaler, expected, 1500, &inside);
    EXPECT_EQ(inside, expected);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + body * 2, source.samples.begin()));
    EXPECT_NEAR(toneFrequency(out, 2, body + 2000, expected - 2000, kRate), 1000.0, 10.0);
    EXPECT_NEAR(rms(out, 2, body + 2000, expected - 2000), 0.5 / std::sqrt(2.0), 0.05);
    // Removing the transition restores the plain source.
    ASSERT_TRUE(map.setTransition(0, TimeScaleMap::kEnd, 1.0f));
    scaler.setMap(map);
    scaler.seek(0);
    EXPECT_EQ(readAll(scaler, source.frames(), 1500), source.samples);
}

// Where copied and stretched frames meet there is no click: the signal's curvature at
// the join stays that of the untouched signal.
TEST(TimeScaler, TransitionJoinsDoNotClick)
{
    Source source;
    source.channels = 1;
    const int64_t frames = 2 * kRate;
    for (int64_t k = 0; k < frames; ++k) {
        const double t = static_cast<double>(k) / kRate;
        source.samples.push_back(static_cast<float>(0.3 * std::sin(2 * M_PI * 330 * t) +
                                                    0.2 * std::sin(2 * M_PI * 1210 * t + 1.0) +
                                                    0.1 * std::sin(2 * M_PI * 4321 * t)));
    }
    auto curvature = [](const std::vector<float>& v, int64_t from, int64_t to) {
        double most = 0.0;
        for (int64_t i = std::max<int64_t>(1, from); i < std::min<int64_t>(to, static_cast<int64_t>(v.size()) - 1); ++i)
            most = std::max<double>(most, std::fabs(v[static_cast<size_t>(i + 1)] - 2.0f * v[static_cast<size_t>(i)] +
                                                    v[static_cast<size_t>(i - 1)]));
        return most;
    };
    const double natural = curvature(source.samples, 1, frames - 1);
    for (uint32_t side : {TimeScaleMap::kEnd, TimeScaleMap::kStart}) {
        for (float ratio : {1.25f, 0.7f}) {
            TimeScaleMap map(source.frames());
            ASSERT_TRUE(map.setTransition(kRate / 2, side | TimeScaleMap::kHard, ratio));
            TimeScaler scaler(source.reader(), 1, kRate);
            scaler.setMap(map);
            const std::vector<float> out = readAll(scaler, map.outputLength(), 1000);
            const int64_t join = side == TimeScaleMap::kEnd ? map.segments()[0].outEnd : map.segments()[1].outBegin;
            EXPECT_LT(curvature(out, join - 700, join + 700), natural * 1.5) << side << " " << ratio;
        }
    }
}

TEST(TimeScaler, GradualStartTransitionLeavesTheBodyExact)
{
    Source source{sine(500.0, 0.4, kRate, 1, 2 * kRate)};
    source.channels = 1;
    const int64_t length = kRate;
    TimeScaleMap map(source.frames());
    ASSERT_TRUE(map.setTransition(length, TimeScaleMap::kStart | TimeScaleMap::kGradual, 0.7f));
    const int64_t scaledStart = std::llround(length * 0.85);
    ASSERT_EQ(map.outputLength(), scaledStart + source.frames() - length);

    TimeScaler scaler(source.reader(), 1, kRate);
    scaler.setMap(map);
    const std::vector<float> out = readAll(scaler, map.outputLength(), 4096);
    EXPECT_TRUE(std::equal(out.begin() + scaledStart, out.end(), source.samples.begin() + length));
    EXPECT_NEAR(toneFrequency(out, 1, 2000, scaledStart - 2000, kRate), 500.0, 5.0);

    // A seek into the body copies from the right place at once.
    scaler.seek(scaledStart + 777);
    float frame[3];
    scaler.read(frame, 3);
    EXPECT_EQ(frame[0], source.samples[static_cast<size_t>(length + 777)]);
    EXPECT_EQ(frame[2], source.samples[static_cast<size_t>(length + 779)]);
}

} // namespace
} // namespace quillon::filefilter
