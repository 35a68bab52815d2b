#include "effect_rig.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quillon::test;

namespace {

enum : uint32_t {
    kLowShelfFrequency,
    kLowShelfGain,
    kBand1Frequency,
    kBand1Gain,
    kBand1Q,
    kHighShelfFrequency = 11,
    kHighShelfGain,
    kHighPassOn,
    kHighPassFrequency,
    kLowPassOn,
    kLowPassFrequency,
    kOutputGain
};
const char* const kName = "Parametric Equaliser";

// Steady-state gain in dB of a sine through the effect, measured after the filters
// have settled.
double gainAt(EffectRig& rig, double frequency)
{
    rig.reset();
    const double seconds = frequency < 100.0 ? 3.0 : 1.0;
    const std::vector<float> in = sine(frequency, 0.25, seconds, rig.rate(), rig.channels());
    const std::vector<float> out = rig.processed(in);
    const size_t frames = in.size() / rig.channels();
    const size_t from = frames / 2;
    return toDb(rms(out, rig.channels(), 0, from, frames) / rms(in, rig.channels(), 0, from, frames));
}

class EqualizerAtRate : public ::testing::TestWithParam<uint32_t> {};

TEST_P(EqualizerAtRate, EachPeakingBandReachesItsGainAtItsFrequency)
{
    const uint32_t rate = GetParam();
    struct Band {
        uint32_t index;
        float frequency;
        float q;
    };
    const Band bands[] = {{0, 250.0f, 1.4f}, {1, 1000.0f, 0.7f}, {2, 4000.0f, 2.0f}};
    for (const Band& band : bands) {
        for (float gain : {-12.0f, 6.0f, 15.0f}) {
            EffectRig rig(kName, rate, 2);
            const uint32_t base = kBand1Frequency + 3 * band.index;
            rig.set(base, band.frequency);
            rig.set(base + 1, gain);
            rig.set(base + 2, band.q);
            EXPECT_NEAR(gainAt(rig, band.frequency), gain, 0.5)
                << "band " << band.index + 1 << " at " << rate << " Hz, " << gain << " dB";
            // An octave and a half away a narrow band has let go of most of it.
            if (band.q >= 1.4f) {
                EXPECT_LT(std::fabs(gainAt(rig, band.frequency * 2.8)), std::fabs(gain) / 3.0);
            }
        }
    }
}

TEST_P(EqualizerAtRate, ShelvesGiveHalfTheirGainAtTheCornerAndAllOfItBeyond)
{
    const uint32_t rate = GetParam();
    EffectRig low(kName, rate, 1);
    low.set(kLowShelfFrequency, 200.0f);
    low.set(kLowShelfGain, 12.0f);
    EXPECT_NEAR(gainAt(low, 200.0), 6.0, 0.5);
    EXPECT_NEAR(gainAt(low, 25.0), 12.0, 1.0);
    EXPECT_NEAR(gainAt(low, 5000.0), 0.0, 0.3);

    EffectRig high(kName, rate, 1);
    high.set(kHighShelfFrequency, 1500.0f);
    high.set(kHighShelfGain, -12.0f);
    EXPECT_NEAR(gainAt(high, 1500.0), -6.0, 0.5);
    EXPECT_NEAR(gainAt(high, 8000.0), -12.0, 1.0);
    EXPECT_NEAR(gainAt(high, 100.0), 0.0, 0.3);
}

TEST_P(EqualizerAtRate, HighAndLowPassAreThreeDecibelsDownAtTheirFrequency)
{
    const uint32_t rate = GetParam();
    EffectRig hp(kName, rate, 2);
    hp.set(kHighPassOn, 1.0f);
    hp.set(kHighPassFrequency, 120.0f);
    EXPECT_NEAR(gainAt(hp, 120.0), -3.01, 0.5);
    EXPECT_LT(gainAt(hp, 15.0), -30.0);
    EXPECT_NEAR(gainAt(hp, 2000.0), 0.0, 0.2);

    EffectRig lp(kName, rate, 2);
    lp.set(kLowPassOn, 1.0f);
    lp.set(kLowPassFrequency, 1200.0f);
    EXPECT_NEAR(gainAt(lp, 1200.0), -3.01, 0.5);
    EXPECT_LT(gainAt(lp, 9600.0), -30.0);
    EXPECT_NEAR(gainAt(lp, 100.0), 0.0, 0.2);
}

INSTANTIATE_TEST_SUITE_P(Rates, EqualizerAtRate, ::testing::Values(22050u, 44100u, 96000u));

TEST(Equalizer, FlatSettingsLeaveTheSignalUntouched)
{
    EffectRig rig(kName);
    const std::vector<float> in = noise(0.7, 0.5, 44100, 2);
    EXPECT_EQ(rig.processed(in), in);
}

TEST(Equalizer, LowPassAboveWhatTheRateCarriesIsLeftOut)
{
    EffectRig rig(kName, 22050, 2);
    rig.set(kLowPassOn, 1.0f);
    rig.set(kLowPassFrequency, 16000.0f);
    const std::vector<float> in = noise(0.7, 0.5, 22050, 2);
    EXPECT_EQ(rig.processed(in), in);
}

TEST(Equalizer, OutputGainAndSwitchingABandOffAgain)
{
    EffectRig rig(kName);
    rig.set(kOutputGain, -6.0206f);
    EXPECT_NEAR(gainAt(rig, 1000.0), -6.02, 0.05);
    rig.set(kBand1Gain, 9.0f);
    rig.set(kBand1Frequency, 1000.0f);
    EXPECT_NEAR(gainAt(rig, 1000.0), 9.0 - 6.02, 0.5);
    rig.set(kBand1Gain, 0.0f);
    EXPECT_NEAR(gainAt(rig, 1000.0), -6.02, 0.05);
}

} // namespace
