// Click reduction on generated record-like material: clicks and crackle over music,
// with rumble and hiss, and clean music whose note onsets must survive.

#include "effect_rig.h"
#include "vinyl_material.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quillon;
using namespace quillon::test;

namespace {

enum : uint32_t { kDeclick, kDecrackle };
const char* const kName = "Click Reduction";
constexpr uint32_t kRate = 44100;
constexpr size_t kDelay = 1536;

double energy(const std::vector<float>& a, const std::vector<float>& b, uint32_t channels, size_t from, size_t to, size_t lag)
{
    double e = 0.0;
    for (size_t f = from; f < to; ++f)
        for (uint32_t c = 0; c < channels; ++c) {
            const double d = double(a[(f + lag) * channels + c]) - (b.empty() ? 0.0 : double(b[f * channels + c]));
            e += d * d;
        }
    return e;
}

std::vector<float> restored(const std::vector<float>& in, uint32_t channels, float declick, float decrackle)
{
    EffectRig rig(kName, kRate, channels);
    rig.set(kDeclick, declick);
    rig.set(kDecrackle, decrackle);
    rig.reset();
    std::vector<float> padded = in;
    padded.resize(in.size() + kDelay * channels, 0.0f);
    return rig.processed(padded);
}

} // namespace

TEST(ClickReduction, ReportsItsDelayAndAtLevelZeroOnlyDelays)
{
    EffectRig rig(kName, kRate, 2);
    QuillonFxLatency latency{};
    rig.instance().call(QUILLON_FX_LATENCY, latency);
    EXPECT_EQ(latency.frames, kDelay);
    VinylMaterial vinyl(1.0, kRate, 2);
    vinyl.addMusic(0.3);
    vinyl.addClicks(20.0);
    const std::vector<float> out = restored(vinyl.samples(), 2, 0.0f, 0.0f);
    EXPECT_EQ(energy(out, vinyl.samples(), 2, 0, vinyl.frames(), kDelay), 0.0);
}

// At the top level at least nine clicks in ten are removed: what is left of a click
// is at most a tenth of its energy, measured against the same record without it.
TEST(ClickReduction, RemovesNineInTenClicksFromAWornRecord)
{
    for (uint32_t channels : {1u, 2u}) {
        VinylMaterial worn(20.0, kRate, channels, channels);
        worn.addMusic(0.3);
        worn.addCrackle(200.0);
        worn.addRumble(0.03);
        worn.addHiss(0.003);
        const std::vector<float> withoutClicks = worn.samples();
        const std::vector<Click> clicks = worn.addClicks(8.0);
        const std::vector<float> out = restored(worn.samples(), channels, 1.0f, 1.0f);
        size_t removed = 0;
        for (const Click& c : clicks) {
            const size_t from = c.frame - 2;
            const size_t to = c.frame + c.length + 2;
            const double added = energy(worn.samples(), withoutClicks, channels, from, to, 0);
            const double left = energy(out, withoutClicks, channels, from, to, kDelay);
            removed += left <= 0.1 * added ? 1 : 0;
        }
        ASSERT_GT(clicks.size(), 100u);
        EXPECT_GE(double(removed), 0.9 * double(clicks.size())) << removed << " of " << clicks.size() << ", " << channels
                                                                << " channels";
    }
}

TEST(ClickReduction, DecrackleTakesOutMostOfTheCrackle)
{
    VinylMaterial worn(10.0, kRate, 1, 4);
    worn.addMusic(0.3);
    const std::vector<float> music = worn.samples();
    worn.addCrackle(300.0);
    const double before = energy(worn.samples(), music, 1, 0, worn.frames(), 0);
    const double after = energy(restored(worn.samples(), 1, 0.0f, 1.0f), music, 1, 0, worn.frames(), kDelay);
    EXPECT_LT(toDb(std::sqrt(after / before)), -6.0);
}

// The top level on a clean record: note onsets start at once (the hardest case for a
// click detector), yet the error stays 30 dB below the music in the 10 ms after each
// onset and 40 dB below it over the whole.
TEST(ClickReduction, CleanOnsetsKeepTheirShape)
{
    VinylMaterial clean(20.0, kRate, 1, 6);
    const std::vector<size_t> onsets = clean.addMusic(0.4);
    const std::vector<float>& in = clean.samples();
    const std::vector<float> out = restored(in, 1, 1.0f, 1.0f);
    const std::vector<float> none;
    double worst = -200.0;
    for (size_t onset : onsets) {
        const size_t from = onset;
        const size_t to = std::min(clean.frames(), onset + kRate / 100);
        worst = std::max(worst, toDb(std::sqrt(energy(out, in, 1, from, to, kDelay) / energy(in, none, 1, from, to, 0))));
    }
    const double whole = toDb(std::sqrt(energy(out, in, 1, 0, clean.frames(), kDelay) / energy(in, none, 1, 0, clean.frames(), 0)));
    EXPECT_LT(worst, -30.0);
    EXPECT_LT(whole, -40.0);
}
