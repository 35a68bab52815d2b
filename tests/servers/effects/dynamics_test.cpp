#include "effect_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace quillon::test;

namespace {

enum : uint32_t { kThreshold, kRatio, kAttack, kRelease, kKnee, kMakeUp };
enum : uint32_t { kInputGain, kCeiling, kLimiterRelease, kLookAhead };

// A 1 kHz sine whose RMS level is `db` dBFS.
std::vector<float> toneAt(double db, double seconds, uint32_t rate, uint32_t channels)
{
    return sine(1000.0, std::pow(10.0, db / 20.0) * std::sqrt(2.0), seconds, rate, channels);
}

double steadyGainDb(EffectRig& rig, double levelDb)
{
    rig.reset();
    const std::vector<float> in = toneAt(levelDb, 1.5, rig.rate(), rig.channels());
    const std::vector<float> out = rig.processed(in);
    const size_t frames = in.size() / rig.channels();
    return toDb(rms(out, rig.channels(), 0, frames - rig.rate() / 2, frames) /
                rms(in, rig.channels(), 0, frames - rig.rate() / 2, frames));
}

// Gain change in dB over time of a tone that steps from `from` to `to` dB.
std::vector<double> gainAfterStep(EffectRig& rig, double from, double to, double seconds)
{
    rig.reset();
    const uint32_t rate = rig.rate();
    std::vector<float> in = toneAt(from, 1.0, rate, 1);
    const std::vector<float> loud = toneAt(to, seconds, rate, 1);
    in.insert(in.end(), loud.begin(), loud.end());
    const std::vector<float> out = rig.processed(in);
    // One value per millisecond after the step, from one 1 kHz period each.
    std::vector<double> gains;
    const size_t step = rate;
    const size_t period = rate / 1000;
    for (size_t ms = 0; (ms + 1) * period + step <= in.size(); ++ms) {
        const size_t a = step + ms * period;
        gains.push_back(toDb(rms(out, 1, 0, a, a + period) / rms(in, 1, 0, a, a + period)));
    }
    return gains;
}

TEST(Compressor, StaticCurveFollowsThresholdAndRatio)
{
    for (uint32_t rate : {22050u, 44100u, 96000u}) {
        EffectRig rig("Compressor", rate, 2);
        rig.set(kThreshold, -20.0f);
        rig.set(kRatio, 4.0f);
        rig.set(kKnee, 0.0f);
        for (double level : {-40.0, -30.0, -21.0})
            EXPECT_NEAR(steadyGainDb(rig, level), 0.0, 0.3) << level << " dB at " << rate;
        for (double level : {-15.0, -10.0, -4.0}) {
            const double expected = (level + 20.0) * (1.0 / 4.0 - 1.0);
            EXPECT_NEAR(steadyGainDb(rig, level), expected, 0.5) << level << " dB at " << rate;
        }
    }
}

TEST(Compressor, SoftKneeMakeUpAndHighRatio)
{
    EffectRig rig("Compressor");
    rig.set(kThreshold, -24.0f);
    rig.set(kRatio, 4.0f);
    rig.set(kKnee, 10.0f);
    // At the threshold the knee already takes away (1/R - 1) * W / 8 dB.
    EXPECT_NEAR(steadyGainDb(rig, -24.0), -0.75 * 10.0 / 8.0, 0.3);
    EXPECT_NEAR(steadyGainDb(rig, -35.0), 0.0, 0.3);
    EXPECT_NEAR(steadyGainDb(rig, -12.0), -9.0, 0.5);

    rig.set(kMakeUp, 6.0f);
    EXPECT_NEAR(steadyGainDb(rig, -35.0), 6.0, 0.3);
    EXPECT_NEAR(steadyGainDb(rig, -12.0), -3.0, 0.5);

    rig.set(kMakeUp, 0.0f);
    rig.set(kKnee, 0.0f);
    rig.set(kRatio, 20.0f);
    // Almost a limiter: 16 dB above the threshold comes out less than 1 dB above.
    EXPECT_NEAR(steadyGainDb(rig, -8.0), -16.0 * 0.95, 0.5);
}

TEST(Compressor, AttackAndReleaseSetHowFastTheGainMoves)
{
    EffectRig fast("Compressor", 44100, 1);
    EffectRig slow("Compressor", 44100, 1);
    for (EffectRig* rig : {&fast, &slow}) {
        rig->set(kThreshold, -30.0f);
        rig->set(kRatio, 10.0f);
        rig->set(kKnee, 0.0f);
    }
    fast.set(kAttack, 2.0f);
    slow.set(kAttack, 80.0f);
    const std::vector<double> f = gainAfterStep(fast, -50.0, -10.0, 0.6);
    const std::vector<double> s = gainAfterStep(slow, -50.0, -10.0, 0.6);
    const double final = -20.0 * 0.9;
    EXPECT_NEAR(f.back(), final, 0.5);
    EXPECT_NEAR(s.back(), final, 0.5);
    // 30 ms in, the fast one is nearly there and the slow one far from it.
    EXPECT_LT(f[30], 0.8 * final);
    EXPECT_GT(s[30], 0.6 * final);
    EXPECT_LT(s[30], 0.1 * final);

    fast.set(kRelease, 20.0f);
    slow.set(kRelease, 1000.0f);
    const std::vector<double> fr = gainAfterStep(fast, -10.0, -50.0, 1.0);
    const std::vector<double> sr = gainAfterStep(slow, -10.0, -50.0, 1.0);
    EXPECT_GT(fr[200], -0.5);
    EXPECT_LT(sr[200], 0.5 * final);
}

TEST(Compressor, BothChannelsGetTheLouderOnesGain)
{
    EffectRig rig("Compressor");
    rig.set(kThreshold, -30.0f);
    rig.set(kRatio, 5.0f);
    rig.set(kKnee, 0.0f);
    const std::vector<float> loud = toneAt(-10.0, 1.5, 44100, 1);
    const std::vector<float> quiet = toneAt(-50.0, 1.5, 44100, 1);
    std::vector<float> in(loud.size() * 2);
    for (size_t i = 0; i < loud.size(); ++i) {
        in[2 * i] = loud[i];
        in[2 * i + 1] = quiet[i];
    }
    const std::vector<float> out = rig.processed(in);
    const size_t end = loud.size();
    const double left = toDb(rms(out, 2, 0, end / 2, end) / rms(in, 2, 0, end / 2, end));
    const double right = toDb(rms(out, 2, 1, end / 2, end) / rms(in, 2, 1, end / 2, end));
    EXPECT_NEAR(left, -16.0, 0.5);
    EXPECT_NEAR(right, left, 0.05);
}

// Noise with single-sample spikes far above it: the hardest case for a limiter.
std::vector<float> overshoot(uint32_t rate, uint32_t channels, uint32_t seed)
{
    std::vector<float> out = noise(0.3, 2.0, rate, channels, seed);
    std::mt19937 gen(seed);
    std::uniform_int_distribution<size_t> where(0, out.size() - 1);
    for (int i = 0; i < 200; ++i)
        out[where(gen)] = (i % 2 ? 1.0f : -1.0f) * 4.0f;
    // A sudden full-scale block after silence.
    for (size_t i = out.size() / 2; i < out.size() / 2 + rate / 10 * channels; ++i)
        out[i] = (i % 7 < 3) ? 3.0f : -3.0f;
    return out;
}

TEST(Limiter, NeverExceedsItsCeilingOnAGeneratedOvershoot)
{
    for (uint32_t rate : {22050u, 44100u, 96000u}) {
        for (uint32_t channels : {1u, 2u}) {
            for (float lookAhead : {0.5f, 3.0f, 10.0f}) {
                EffectRig rig("Limiter", rate, channels);
                rig.set(kCeiling, -3.0f);
                rig.set(kInputGain, 12.0f);
                rig.set(kLookAhead, lookAhead);
                rig.set(kLimiterRelease, 5.0f);
                const std::vector<float> out = rig.processed(overshoot(rate, channels, rate + channels), 1000);
                EXPECT_LE(peakAll(out), std::pow(10.0, -3.0 / 20.0))
                    << rate << " Hz, " << channels << " channels, " << lookAhead << " ms";
            }
        }
    }
}

TEST(Limiter, QuietSoundPassesUnchangedAfterTheLookAhead)
{
    EffectRig rig("Limiter", 44100, 2);
    rig.set(kCeiling, -1.0f);
    rig.set(kLookAhead, 3.0f); // 132 frames, output 131 frames late
    const std::vector<float> in = noise(0.3, 0.5, 44100, 2);
    const std::vector<float> out = rig.processed(in, 777);
    const size_t latency = 131;
    for (size_t i = 0; i < latency * 2; ++i)
        ASSERT_EQ(out[i], 0.0f);
    for (size_t i = 0; i + latency * 2 < in.size(); ++i)
        ASSERT_NEAR(out[i + latency * 2], in[i], 1e-6f) << i;
}

TEST(Limiter, GainCurveHoldsLoudTonesAtTheCeiling)
{
    EffectRig rig("Limiter", 48000, 2);
    rig.set(kCeiling, -6.0f);
    for (double peakDb : {-12.0, -8.0, -6.5, -3.0, 0.0, 6.0}) {
        rig.set(kInputGain, peakDb > 0.0 ? static_cast<float>(peakDb) : 0.0f);
        rig.reset();
        const double amplitude = std::pow(10.0, std::min(peakDb, 0.0) / 20.0);
        const std::vector<float> out = rig.processed(sine(997.0, amplitude, 1.0, 48000, 2));
        const double outDb = toDb(peak(out, 2, 0, 24000, 48000));
        EXPECT_NEAR(outDb, std::min(peakDb, -6.0), 0.3) << peakDb << " dB in";
        EXPECT_LE(outDb, -6.0 + 1e-4);
    }
}

TEST(Limiter, ReleaseSetsHowSoonQuietSoundRecovers)
{
    for (float release : {20.0f, 2000.0f}) {
        EffectRig rig("Limiter", 44100, 1);
        rig.set(kCeiling, -12.0f);
        rig.set(kLimiterRelease, release);
        std::vector<float> in = sine(1000.0, 1.0, 0.3, 44100, 1);
        const std::vector<float> quiet = sine(1000.0, 0.1, 1.0, 44100, 1);
        in.insert(in.end(), quiet.begin(), quiet.end());
        const std::vector<float> out = rig.processed(in);
        // Half a second into the quiet part.
        const size_t a = 44100 * 3 / 10 + 22050;
        const double gain = toDb(rms(out, 1, 0, a, a + 441) / rms(in, 1, 0, a - 131, a + 441 - 131));
        if (release < 100.0f)
            EXPECT_NEAR(gain, 0.0, 0.3);
        else
            EXPECT_LT(gain, -1.0);
    }
}

} // namespace
