// "Hear what is removed" on the restoration effects: with the switch on, the output is
// exactly what the effect takes away, so the restored output and the removed signal add
// up to the input delayed by the effect's latency.

#include "effect_rig.h"
#include "vinyl_material.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quillon;
using namespace quillon::test;

namespace {

struct Restoration {
    const char* name;
    uint32_t removedOnly; // the switch's parameter index
    std::vector<float> levels;
};

class RemovedSignal : public ::testing::TestWithParam<Restoration> {};

std::vector<float> run(const Restoration& r, const std::vector<float>& in, bool removedOnly, uint32_t latency)
{
    EffectRig rig(r.name, 44100, 2);
    for (uint32_t i = 0; i < r.levels.size(); ++i)
        rig.set(i, r.levels[i]);
    rig.set(r.removedOnly, removedOnly ? 1.0f : 0.0f);
    rig.reset();
    std::vector<float> padded = in;
    padded.resize(in.size() + size_t(latency) * 2, 0.0f);
    return rig.processed(padded, 1000);
}

} // namespace

TEST_P(RemovedSignal, RestoredAndRemovedAddUpToTheDelayedInput)
{
    const Restoration& r = GetParam();
    EffectRig probe(r.name, 44100, 2);
    QuillonFxLatency latency{};
    probe.instance().call(QUILLON_FX_LATENCY, latency);
    ASSERT_GT(latency.frames, 0u);
    EXPECT_EQ(probe.range(r.removedOnly).kind, uint32_t(QUILLON_FX_PARAM_SWITCH));

    VinylMaterial vinyl(2.0, 44100, 2);
    vinyl.addMusic(0.3);
    vinyl.addClicks(30.0);
    vinyl.addCrackle(400.0);
    vinyl.addRumble(0.05);
    vinyl.addHiss(0.01);
    const std::vector<float>& in = vinyl.samples();
    const std::vector<float> restored = run(r, in, false, latency.frames);
    const std::vector<float> removed = run(r, in, true, latency.frames);

    double removedEnergy = 0.0, worst = 0.0;
    for (size_t f = 0; f < vinyl.frames(); ++f)
        for (uint32_t c = 0; c < 2; ++c) {
            const size_t i = (f + latency.frames) * 2 + c;
            removedEnergy += double(removed[i]) * removed[i];
            worst = std::max(worst, std::fabs(double(restored[i]) + removed[i] - in[f * 2 + c]));
        }
    EXPECT_LT(worst, 1e-5);
    // Something was taken away, and it is what is heard.
    EXPECT_GT(removedEnergy, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(Effects, RemovedSignal,
                         ::testing::Values(Restoration{"Noise Reduction", 3, {1.0f, 1.0f, 1.0f}},
                                           Restoration{"Click Reduction", 2, {1.0f, 1.0f}}),
                         [](const auto& info) { return info.index == 0 ? "NoiseReduction" : "ClickReduction"; });
