#include "effect_rig.h"

#include <gtest/gtest.h>

using namespace quillon::test;

namespace {

enum : uint32_t { kGain, kBalance, kInvert, kMono };
const char* const kName = "Gain and Balance";

std::vector<float> constant(float left, float right, size_t frames)
{
    std::vector<float> out(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        out[2 * i] = left;
        out[2 * i + 1] = right;
    }
    return out;
}

TEST(GainBalance, GainInDecibelsScalesBothChannels)
{
    EffectRig rig(kName);
    rig.set(kGain, 6.0206f);
    rig.reset(); // a new stream starts at the set level
    const std::vector<float> out = rig.processed(constant(0.25f, -0.125f, 1000));
    EXPECT_NEAR(out[0], 0.5f, 1e-5f);
    EXPECT_NEAR(out[1], -0.25f, 1e-5f);
    EXPECT_NEAR(out[1998], 0.5f, 1e-5f);

    rig.set(kGain, -40.0f);
    rig.reset();
    EXPECT_NEAR(rig.processed(constant(1.0f, 1.0f, 10))[0], 0.01f, 1e-6f);
}

TEST(GainBalance, ChangesGlideOverOneBlockWithoutSteps)
{
    EffectRig rig(kName, 44100, 1);
    rig.processed(std::vector<float>(100, 1.0f));
    rig.set(kGain, 6.0206f);
    const std::vector<float> out = rig.processed(std::vector<float>(2000, 1.0f), 1000);
    for (size_t i = 1; i < 1000; ++i) {
        ASSERT_GT(out[i], out[i - 1]) << i;
        ASSERT_LT(out[i] - out[i - 1], 0.002f) << i;
    }
    EXPECT_NEAR(out[999], 2.0f, 1e-4f);
    for (size_t i = 1000; i < 2000; ++i)
        ASSERT_NEAR(out[i], 2.0f, 1e-4f) << i;
}

TEST(GainBalance, BalanceTurnsDownTheFarSideOnly)
{
    EffectRig rig(kName);
    rig.set(kBalance, -50.0f);
    rig.reset();
    std::vector<float> out = rig.processed(constant(0.8f, 0.8f, 100));
    EXPECT_NEAR(out[0], 0.8f, 1e-6f);
    EXPECT_NEAR(out[1], 0.4f, 1e-6f);

    rig.set(kBalance, 100.0f);
    rig.reset();
    out = rig.processed(constant(0.8f, 0.8f, 100));
    EXPECT_NEAR(out[0], 0.0f, 1e-6f);
    EXPECT_NEAR(out[1], 0.8f, 1e-6f);

    // A mono stream has no sides.
    EffectRig mono(kName, 44100, 1);
    mono.set(kBalance, -100.0f);
    mono.reset();
    EXPECT_NEAR(mono.processed(std::vector<float>(10, 0.3f))[5], 0.3f, 1e-6f);
}

TEST(GainBalance, MonoFoldDownAndPolarity)
{
    EffectRig rig(kName);
    rig.set(kMono, 1.0f);
    rig.set(kInvert, 1.0f);
    rig.reset();
    const std::vector<float> out = rig.processed(constant(0.6f, 0.2f, 50));
    EXPECT_NEAR(out[0], -0.4f, 1e-6f);
    EXPECT_NEAR(out[1], -0.4f, 1e-6f);
}

} // namespace
