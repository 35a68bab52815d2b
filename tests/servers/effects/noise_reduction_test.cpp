// Noise reduction on generated record-like material: a tone with hiss, pauses, and
// rumble below the music.

#include "effect_rig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

using namespace quillon;
using namespace quillon::test;

namespace {

enum : uint32_t { kDenoise, kDerumble, kDehum };
const char* const kName = "Noise Reduction";
constexpr uint32_t kRate = 44100;
constexpr size_t kDelay = 2048;

std::vector<float> join(std::initializer_list<std::vector<float>> parts)
{
    std::vector<float> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::vector<float> plus(std::vector<float> a, const std::vector<float>& b)
{
    for (size_t i = 0; i < a.size(); ++i)
        a[i] += b[i];
    return a;
}

size_t at(double seconds) { return size_t(seconds * kRate); }

// Amplitude of one frequency in channel 0 over frames [from, to), which should hold
// whole periods of it.
double amplitudeAt(const std::vector<float>& frames, uint32_t channels, double frequency, size_t from, size_t to)
{
    std::complex<double> sum;
    for (size_t i = from; i < to; ++i)
        sum += double(frames[i * channels]) * std::polar(1.0, -2.0 * std::numbers::pi * frequency * double(i) / kRate);
    return 2.0 * std::abs(sum) / double(to - from);
}

} // namespace

TEST(NoiseReduction, ReportsItsDelayAndAtLevelZeroOnlyDelays)
{
    EffectRig rig(kName, kRate, 2);
    QuillonFxLatency latency{};
    rig.instance().call(QUILLON_FX_LATENCY, latency);
    EXPECT_EQ(latency.frames, kDelay);
    const std::vector<float> in = noise(0.3, 1.0, kRate, 2, 5);
    const std::vector<float> out = rig.processed(in, 1000);
    double worst = 0.0;
    for (size_t i = 2 * kDelay; i < in.size(); ++i)
        worst = std::max(worst, double(std::fabs(out[i] - in[i - 2 * kDelay])));
    EXPECT_LT(worst, 1e-5);
}

// Hiss in the pauses falls by at least 10 dB; the tone in the music keeps its level
// within 1 dB. The profile is learned from the lead-in, as a record's run-in groove.
TEST(NoiseReduction, HissInPausesFallsAndTheMusicKeepsItsLevel)
{
    const double hissLevel = 0.01; // about -46 dBFS
    const std::vector<float> music =
        join({silence(1.0, kRate, 2), sine(1000, 0.25, 2.0, kRate, 2), silence(2.0, kRate, 2), sine(1000, 0.25, 2.0, kRate, 2)});
    const std::vector<float> in = plus(music, noise(hissLevel, 7.0, kRate, 2, 9));
    EffectRig rig(kName, kRate, 2);
    rig.set(kDenoise, 1.0f);
    rig.reset();
    const std::vector<float> out = rig.processed(in);
    for (uint32_t c = 0; c < 2; ++c) {
        const double hissIn = rms(in, 2, c, at(4.0), at(4.8));
        const double hissOut = rms(out, 2, c, at(4.0) + kDelay, at(4.8) + kDelay);
        EXPECT_GT(toDb(hissIn / hissOut), 10.0) << "channel " << c;
        const double toneIn = rms(music, 2, c, at(5.3), at(6.7));
        const double toneOut = rms(out, 2, c, at(5.3) + kDelay, at(6.7) + kDelay);
        EXPECT_NEAR(toDb(toneOut / toneIn), 0.0, 1.0) << "channel " << c;
    }
}

TEST(NoiseReduction, DerumbleRemovesRumbleAndLeavesTheBassAlone)
{
    auto throughDerumble = [](double frequency, float level) {
        EffectRig rig(kName, kRate, 1);
        rig.set(kDerumble, level);
        rig.reset();
        const std::vector<float> in = sine(frequency, 0.3, 4.0, kRate, 1);
        const std::vector<float> out = rig.processed(in);
        return toDb(rms(out, 1, 0, at(2.0) + kDelay, at(3.5) + kDelay) / rms(in, 1, 0, at(2.0), at(3.5)));
    };
    EXPECT_LT(throughDerumble(15.0, 1.0f), -20.0);   // rumble
    EXPECT_LT(throughDerumble(25.0, 1.0f), -20.0);
    EXPECT_NEAR(throughDerumble(200.0, 1.0f), 0.0, 0.2);
    // The lowest setting is gentler: a 2nd order at 20 Hz.
    const double gentle = throughDerumble(15.0, 0.1f);
    EXPECT_LT(gentle, -2.0);
    EXPECT_GT(gentle, -10.0);
}

// The mains frequency is found by itself: its harmonics fall by 20 dB, while a tone of
// the music and a tone at a harmonic of the other mains keep their levels.
class Dehum : public ::testing::TestWithParam<double> {};

TEST_P(Dehum, RemovesTheMainsHumFoundAndItsHarmonics)
{
    const double mains = GetParam();
    const double other = mains == 50.0 ? 60.0 : 50.0;
    std::vector<float> in = sine(440.0, 0.2, 5.0, kRate, 2);
    in = plus(in, sine(7 * other, 0.05, 5.0, kRate, 2));
    const double humLevels[] = {0.03, 0.02, 0.015, 0.0, 0.01};
    for (int h = 0; h < 5; ++h)
        if (humLevels[h] > 0.0)
            in = plus(in, sine(mains * (h + 1), humLevels[h], 5.0, kRate, 2));
    EffectRig rig(kName, kRate, 2);
    rig.set(kDehum, 1.0f);
    rig.reset();
    const std::vector<float> out = rig.processed(in);
    const size_t from = at(3.0);
    const size_t to = at(4.5);
    for (int h = 0; h < 5; ++h) {
        if (humLevels[h] == 0.0)
            continue;
        const double f = mains * (h + 1);
        EXPECT_LT(toDb(amplitudeAt(out, 2, f, from + kDelay, to + kDelay) / amplitudeAt(in, 2, f, from, to)), -20.0)
            << f << " Hz";
    }
    for (double f : {440.0, 7 * other})
        EXPECT_NEAR(toDb(amplitudeAt(out, 2, f, from + kDelay, to + kDelay) / amplitudeAt(in, 2, f, from, to)), 0.0, 0.5)
            << f << " Hz";
}

INSTANTIATE_TEST_SUITE_P(Mains, Dehum, ::testing::Values(50.0, 60.0));
