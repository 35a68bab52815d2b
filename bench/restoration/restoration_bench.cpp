// How many times faster than real time each restoration effect runs at full strength
// on a stereo 44.1 kHz transfer of a worn record, in the renderer's 50 ms blocks, and
// the goal of 20 times. The best of three runs counts.

#include "model/effect_chain.h"
#include "plugins/effect_catalog.h"
#include "vinyl_material.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace quillon;

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kChannels = 2;
constexpr uint32_t kBlock = kRate / 20;
constexpr double kSeconds = 20.0;
constexpr double kGoal = 20.0;

std::vector<float> wornRecord()
{
    test::VinylMaterial worn(kSeconds, kRate, kChannels);
    worn.addMusic(0.3);
    worn.addTone(50.0, 0.01, 0.0, kSeconds);
    worn.addClicks(8.0);
    worn.addCrackle(200.0);
    worn.addRumble(0.03);
    worn.addHiss(0.003);
    return worn.samples();
}

double realTimeFactor(const EffectCatalog& catalog, const std::string& name, const std::vector<float>& source)
{
    EffectChain chain;
    for (const EffectCatalogEntry& entry : catalog.entries())
        if (entry.name == name) {
            chain.append(CTransformPlugin::createFromEntry(entry, catalog));
            break;
        }
    if (chain.size() != 1)
        return 0.0;
    CTransformPlugin* effect = chain.at(0);
    for (uint32_t p = 0; p < effect->parameterCount(); ++p)
        effect->setParameter(p, 1.0f);
    double best = 1e9;
    std::vector<float> work;
    for (int round = 0; round < 3; ++round) {
        chain.setFormat(kRate, kChannels);
        work = source;
        const size_t frames = work.size() / kChannels;
        const auto start = std::chrono::steady_clock::now();
        for (size_t at = 0; at < frames; at += kBlock) {
            const int n = static_cast<int>(std::min<size_t>(kBlock, frames - at));
            chain.process(work.data() + at * kChannels, n, kChannels, n);
        }
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return kSeconds / best;
}

} // namespace

int main()
{
    PluginHost host;
    if (!host.addServerLibrary(QUILLON_EFFECTS_SERVER)) {
        std::fprintf(stderr, "the effects server was not found\n");
        return 1;
    }
    EffectCatalog catalog;
    catalog.build(host);
    EffectCatalog::setCurrent(&catalog);
    const std::vector<float> source = wornRecord();
    bool met = true;
    for (const char* name : {"Noise Reduction", "Click Reduction"}) {
        const double factor = realTimeFactor(catalog, name, source);
        std::printf("%-16s %7.1fx real time (goal %.0fx)%s\n", name, factor, kGoal, factor >= kGoal ? "" : "  BELOW GOAL");
        met = met && factor >= kGoal;
    }
    return met ? 0 : 2;
}
