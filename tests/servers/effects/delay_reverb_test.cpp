#include "effect_rig.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quillon::test;

namespace {

enum : uint32_t { kLeftTime, kRightTime, kFeedback, kCrossFeed, kHighCut, kEchoLevel };
enum : uint32_t { kRoomSize, kDamping, kWidth, kPreDelay, kWetLevel, kDryLevel };

std::vector<float> impulse(double seconds, uint32_t rate, uint32_t channels, uint32_t channel = 0)
{
    std::vector<float> out = silence(seconds, rate, channels);
    out[channel] = 1.0f;
    return out;
}

void plainEcho(EffectRig& rig, float feedback)
{
    rig.set(kLeftTime, 250.0f);
    rig.set(kRightTime, 400.0f);
    rig.set(kFeedback, feedback);
    rig.set(kHighCut, 20000.0f); // off
    rig.set(kEchoLevel, 50.0f);
}

TEST(StereoDelay, EchoComesAfterTheDelayTimeAtEveryRate)
{
    for (uint32_t rate : {22050u, 44100u, 96000u}) {
        EffectRig rig("Stereo Delay", rate, 2);
        plainEcho(rig, 0.0f);
        const std::vector<float> out = rig.processed(impulse(1.0, rate, 2));
        const size_t echo = static_cast<size_t>(std::lround(0.25 * rate));
        for (size_t i = 0; i < out.size() / 2; ++i) {
            const float expected = i == 0 ? 1.0f : i == echo ? 0.5f : 0.0f;
            ASSERT_FLOAT_EQ(out[2 * i], expected) << i << " at " << rate;
            ASSERT_EQ(out[2 * i + 1], 0.0f) << i << " at " << rate;
        }
    }
}

TEST(StereoDelay, FeedbackRepeatsAndCrossFeedPingPongs)
{
    EffectRig rig("Stereo Delay", 44100, 2);
    plainEcho(rig, 50.0f);
    std::vector<float> out = rig.processed(impulse(1.2, 44100, 2));
    const size_t d = 11025;
    EXPECT_FLOAT_EQ(out[2 * d], 0.5f);
    EXPECT_FLOAT_EQ(out[2 * 2 * d], 0.25f);
    EXPECT_FLOAT_EQ(out[2 * 3 * d], 0.125f);
    EXPECT_EQ(peak(out, 2, 1, 0, out.size() / 2), 0.0);

    rig.set(kCrossFeed, 100.0f);
    rig.reset();
    out = rig.processed(impulse(1.2, 44100, 2));
    // The left echo is fed into the right line, which repeats it 400 ms later.
    const size_t right = 17640;
    EXPECT_FLOAT_EQ(out[2 * d], 0.5f);
    EXPECT_FLOAT_EQ(out[2 * (d + right) + 1], 0.5f * 0.5f);
    EXPECT_EQ(out[2 * 2 * d], 0.0f);
}

TEST(StereoDelay, HighCutDarkensTheRepeats)
{
    auto echoLevel = [](float cut) {
        EffectRig rig("Stereo Delay", 44100, 1);
        plainEcho(rig, 0.0f);
        rig.set(kHighCut, cut);
        std::vector<float> in = sine(8000.0, 0.5, 0.2, 44100, 1);
        in.resize(44100, 0.0f);
        const std::vector<float> out = rig.processed(in);
        return rms(out, 1, 0, 11025 + 2205, 11025 + 6615);
    };
    EXPECT_NEAR(echoLevel(20000.0f), 0.5 * 0.5 / std::sqrt(2.0), 0.01);
    EXPECT_LT(toDb(echoLevel(1000.0f) / echoLevel(20000.0f)), -10.0);
}

TEST(StereoDelay, MonoUsesTheLeftTime)
{
    EffectRig rig("Stereo Delay", 48000, 1);
    plainEcho(rig, 0.0f);
    const std::vector<float> out = rig.processed(impulse(0.5, 48000, 1));
    EXPECT_FLOAT_EQ(out[12000], 0.5f);
    EXPECT_EQ(peak(out, 1, 0, 1, 12000), 0.0);
}

double energy(const std::vector<float>& x, uint32_t channels, uint32_t rate, double from, double to)
{
    const double r = rms(x, channels, 0, static_cast<size_t>(from * rate), static_cast<size_t>(to * rate));
    return r * r;
}

std::vector<float> wetImpulseResponse(EffectRig& rig, double seconds)
{
    rig.set(kDryLevel, 0.0f);
    rig.set(kWetLevel, 100.0f);
    rig.reset();
    return rig.processed(impulse(seconds, rig.rate(), rig.channels()));
}

TEST(Reverb, DryOnlyLeavesTheSignalUntouched)
{
    EffectRig rig("Reverb");
    rig.set(kWetLevel, 0.0f);
    const std::vector<float> in = noise(0.5, 0.5, 44100, 2);
    EXPECT_EQ(rig.processed(in), in);
}

TEST(Reverb, BiggerRoomsRingLongerAtEveryRate)
{
    for (uint32_t rate : {22050u, 44100u, 96000u}) {
        EffectRig small("Reverb", rate, 2);
        small.set(kRoomSize, 20.0f);
        EffectRig large("Reverb", rate, 2);
        large.set(kRoomSize, 90.0f);
        const std::vector<float> s = wetImpulseResponse(small, 2.0);
        const std::vector<float> l = wetImpulseResponse(large, 2.0);
        // Decay from the first half second to the next second.
        const double smallDecay = toDb(energy(s, 2, rate, 0.5, 1.5) / energy(s, 2, rate, 0.0, 0.5)) / 2.0;
        const double largeDecay = toDb(energy(l, 2, rate, 0.5, 1.5) / energy(l, 2, rate, 0.0, 0.5)) / 2.0;
        EXPECT_LT(smallDecay, largeDecay - 10.0) << rate;
        EXPECT_LT(largeDecay, 0.0) << rate;
    }
}

TEST(Reverb, TailLengthInSecondsDoesNotDependOnTheRate)
{
    auto decay = [](uint32_t rate) {
        EffectRig rig("Reverb", rate, 1);
        const std::vector<float> r = wetImpulseResponse(rig, 2.0);
        return toDb(energy(r, 1, rate, 0.5, 1.5) / energy(r, 1, rate, 0.0, 0.5)) / 2.0;
    };
    EXPECT_NEAR(decay(22050), decay(96000), 2.0);
}

TEST(Reverb, DampingTakesTheHighsOutOfTheTail)
{
    auto brightness = [](float damping) {
        EffectRig rig("Reverb", 44100, 1);
        rig.set(kDamping, damping);
        const std::vector<float> r = wetImpulseResponse(rig, 1.0);
        // Energy of the first difference against the energy: high for a bright tail.
        double diff = 0.0, all = 0.0;
        for (size_t i = 22050; i < 44100; ++i) {
            diff += double(r[i] - r[i - 1]) * double(r[i] - r[i - 1]);
            all += double(r[i]) * double(r[i]);
        }
        return diff / all;
    };
    EXPECT_LT(brightness(100.0f), 0.5 * brightness(0.0f));
}

TEST(Reverb, PreDelayHoldsTheReverbBack)
{
    EffectRig rig("Reverb", 44100, 2);
    rig.set(kPreDelay, 100.0f);
    const std::vector<float> r = wetImpulseResponse(rig, 0.5);
    EXPECT_EQ(peak(r, 2, 0, 0, 4410), 0.0);
    EXPECT_GT(peak(r, 2, 0, 4410, 22050), 1e-3);
}

TEST(Reverb, WidthSpreadsTheSides)
{
    auto correlation = [](float width) {
        EffectRig rig("Reverb", 44100, 2);
        rig.set(kWidth, width);
        const std::vector<float> r = wetImpulseResponse(rig, 1.0);
        double lr = 0.0, ll = 0.0, rr = 0.0;
        for (size_t i = 0; i < r.size() / 2; ++i) {
            lr += double(r[2 * i]) * r[2 * i + 1];
            ll += double(r[2 * i]) * r[2 * i];
            rr += double(r[2 * i + 1]) * r[2 * i + 1];
        }
        return lr / std::sqrt(ll * rr);
    };
    EXPECT_NEAR(correlation(0.0f), 1.0, 1e-6);
    EXPECT_LT(correlation(100.0f), 0.5);
}

TEST(Reverb, MenuVariantsSetTheirSettings)
{
    EffectRig rig("Reverb");
    rig.setValue(3); // Plate
    EXPECT_FLOAT_EQ(rig.get(kRoomSize), 70.0f);
    EXPECT_FLOAT_EQ(rig.get(kDamping), 10.0f);
    rig.setValue(2); // Hall
    EXPECT_FLOAT_EQ(rig.get(kRoomSize), 85.0f);
    EXPECT_FLOAT_EQ(rig.get(kPreDelay), 25.0f);
    rig.setValue(42); // no such variant: nothing changes
    EXPECT_FLOAT_EQ(rig.get(kRoomSize), 85.0f);
}

} // namespace
