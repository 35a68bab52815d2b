#include "equalizer.h"

#include <cmath>

namespace quillon::fx {

namespace {

constexpr float kButterworthQ = 0.70710678f;
// Below this a shelf or band is left out rather than computed as a near-identity.
constexpr float kFlatDb = 0.01f;

const ParameterSpec kParameters[] = {
    {QUILLON_TEXT("Effects", "Low shelf frequency"), QUILLON_TEXT("Effects", "Hz"), 20.0f, 2000.0f, 100.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Low shelf gain"), QUILLON_TEXT("Effects", "dB"), -18.0f, 18.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Band 1 frequency"), QUILLON_TEXT("Effects", "Hz"), 20.0f, 20000.0f, 250.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Band 1 gain"), QUILLON_TEXT("Effects", "dB"), -18.0f, 18.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Band 1 Q"), "", 0.1f, 10.0f, 1.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Band 2 frequency"), QUILLON_TEXT("Effects", "Hz"), 20.0f, 20000.0f, 1000.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Band 2 gain"), QUILLON_TEXT("Effects", "dB"), -18.0f, 18.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Band 2 Q"), "", 0.1f, 10.0f, 1.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Band 3 frequency"), QUILLON_TEXT("Effects", "Hz"), 20.0f, 20000.0f, 4000.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Band 3 gain"), QUILLON_TEXT("Effects", "dB"), -18.0f, 18.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Band 3 Q"), "", 0.1f, 10.0f, 1.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "High shelf frequency"), QUILLON_TEXT("Effects", "Hz"), 1000.0f, 20000.0f, 8000.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "High shelf gain"), QUILLON_TEXT("Effects", "dB"), -18.0f, 18.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "High-pass"), "", 0.0f, 1.0f, 0.0f, QUILLON_FX_PARAM_SWITCH},
    {QUILLON_TEXT("Effects", "High-pass frequency"), QUILLON_TEXT("Effects", "Hz"), 10.0f, 2000.0f, 40.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Low-pass"), "", 0.0f, 1.0f, 0.0f, QUILLON_FX_PARAM_SWITCH},
    {QUILLON_TEXT("Effects", "Low-pass frequency"), QUILLON_TEXT("Effects", "Hz"), 1000.0f, 22000.0f, 16000.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Output gain"), QUILLON_TEXT("Effects", "dB"), -18.0f, 18.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
};

const EffectSpec kSpec{
    QUILLON_TEXT("Effects", "Parametric Equaliser"),
    QUILLON_MENU("ENHANCEMENT\\"),
    {{0xCF4B4D1Fu, 0xE8337BE0u, 0x5213DCB1u, 0x4B17653Eu}},
    kParameters,
    Equalizer::ParameterCount,
};

} // namespace

Equalizer::Equalizer() : Effect(kSpec) {}

const EffectSpec& Equalizer::descriptor() { return kSpec; }

void Equalizer::prepare()
{
    for (auto& section : m_filters)
        for (Biquad& b : section)
            b.reset();
}

void Equalizer::update()
{
    const double rate = sampleRate();
    BiquadCoefficients design[kSections];
    bool on[kSections] = {};

    if (std::fabs(parameter(LowShelfGain)) >= kFlatDb) {
        design[0] = BiquadCoefficients::lowShelf(rate, parameter(LowShelfFrequency), parameter(LowShelfGain));
        on[0] = true;
    }
    for (uint32_t band = 0; band < 3; ++band) {
        const uint32_t base = Band1Frequency + band * 3;
        const float gain = parameter(base + 1);
        if (std::fabs(gain) >= kFlatDb) {
            design[1 + band] = BiquadCoefficients::peaking(rate, parameter(base), parameter(base + 2), gain);
            on[1 + band] = true;
        }
    }
    if (std::fabs(parameter(HighShelfGain)) >= kFlatDb) {
        design[4] = BiquadCoefficients::highShelf(rate, parameter(HighShelfFrequency), parameter(HighShelfGain));
        on[4] = true;
    }
    if (parameter(HighPassOn) > 0.5f) {
        design[5] = BiquadCoefficients::highPass(rate, parameter(HighPassFrequency), kButterworthQ);
        on[5] = true;
    }
    // A low-pass at or above what the rate carries would only colour the top octave.
    if (parameter(LowPassOn) > 0.5f && parameter(LowPassFrequency) < rate * 0.45) {
        design[6] = BiquadCoefficients::lowPass(rate, parameter(LowPassFrequency), kButterworthQ);
        on[6] = true;
    }

    m_activeCount = 0;
    for (uint32_t s = 0; s < kSections; ++s) {
        if (!on[s]) {
            // A section switched back on later starts from rest, not from stale history.
            for (Biquad& b : m_filters[s])
                b.reset();
            continue;
        }
        for (Biquad& b : m_filters[s])
            b.setCoefficients(design[s]);
        m_active[m_activeCount++] = s;
    }
    m_outputGain = std::pow(10.0f, parameter(OutputGain) / 20.0f);
}

void Equalizer::process(float* data, uint32_t frames)
{
    const uint32_t ch = channels();
    const size_t samples = size_t(frames) * ch;
    for (uint32_t i = 0; i < m_activeCount; ++i) {
        auto& section = m_filters[m_active[i]];
        for (uint32_t c = 0; c < ch; ++c) {
            Biquad& filter = section[c];
            for (size_t n = c; n < samples; n += ch)
                data[n] = filter.run(data[n]);
        }
    }
    if (m_outputGain != 1.0f)
        for (size_t n = 0; n < samples; ++n)
            data[n] *= m_outputGain;
}

} // namespace quillon::fx
