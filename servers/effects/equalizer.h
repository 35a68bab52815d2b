#pragma once
// Parametric equaliser: low and high shelf, three peaking bands, and switchable
// high-pass and low-pass filters (12 dB per octave), then an output gain.

#include "biquad.h"
#include "effect.h"

namespace quillon::fx {

class Equalizer : public Effect {
public:
    enum Parameter : uint32_t {
        LowShelfFrequency,
        LowShelfGain,
        Band1Frequency,
        Band1Gain,
        Band1Q,
        Band2Frequency,
        Band2Gain,
        Band2Q,
        Band3Frequency,
        Band3Gain,
        Band3Q,
        HighShelfFrequency,
        HighShelfGain,
        HighPassOn,
        HighPassFrequency,
        LowPassOn,
        LowPassFrequency,
        OutputGain,
        ParameterCount
    };

    Equalizer();
    static const EffectSpec& descriptor();

protected:
    void prepare() override;
    void process(float* data, uint32_t frames) override;
    void update() override;

private:
    static constexpr uint32_t kSections = 7;

    Biquad m_filters[kSections][kMaxChannels];
    uint32_t m_active[kSections] = {};
    uint32_t m_activeCount = 0;
    float m_outputGain = 1.0f;
};

} // namespace quillon::fx
