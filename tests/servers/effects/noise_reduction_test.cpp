// Noise reduction on generated record-like material: a tone with hiss, pauses, and
// rumble below the music.

#include "effect_rig.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quillon;
using namespace quillon::test;

namespace {

enum : uint32_t { kDenoise, kDerumble };
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
