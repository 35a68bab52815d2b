#include "gain_balance.h"

#include <algorithm>
#include <cmath>

namespace quillon::fx {

namespace {

const ParameterSpec kParameters[] = {
    {QUILLON_TEXT("Effects", "Gain"), QUILLON_TEXT("Effects", "dB"), -40.0f, 24.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Balance"), QUILLON_TEXT("Effects", "%"), -100.0f, 100.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Invert polarity"), "", 0.0f, 1.0f, 0.0f, QUILLON_FX_PARAM_SWITCH},
    {QUILLON_TEXT("Effects", "Mono"), "", 0.0f, 1.0f, 0.0f, QUILLON_FX_PARAM_SWITCH},
};

const EffectSpec kSpec{
    QUILLON_TEXT("Effects", "Gain and Balance"),
    QUILLON_MENU("VOLUME\\"),
    {{0x7E96BA87u, 0x2E843B2Cu, 0x8E835961u, 0x377E6FF8u}},
    kParameters,
    GainBalance::ParameterCount,
};

} // namespace

GainBalance::GainBalance() : Effect(kSpec) {}

const EffectSpec& GainBalance::descriptor() { return kSpec; }

void GainBalance::prepare()
{
    // A new stream starts at the set level instead of gliding from the old one.
    update();
    std::copy(std::begin(m_target), std::end(m_target), std::begin(m_current));
}

void GainBalance::update()
{
    const float gain = std::pow(10.0f, parameter(Gain) / 20.0f) * (parameter(Invert) > 0.5f ? -1.0f : 1.0f);
    // The same law as the master balance: the far side is turned down, the near side stays.
    const float b = parameter(Balance) / 100.0f;
    m_mono = parameter(Mono) > 0.5f;
    if (channels() == 2) {
        m_target[0] = gain * std::min(1.0f, 1.0f - b);
        m_target[1] = gain * std::min(1.0f, 1.0f + b);
    } else {
        m_target[0] = m_target[1] = gain;
    }
}

void GainBalance::process(float* data, uint32_t frames)
{
    const uint32_t ch = channels();
    float step[kMaxChannels];
    for (uint32_t c = 0; c < ch; ++c)
        step[c] = (m_target[c] - m_current[c]) / static_cast<float>(frames);
    for (uint32_t f = 0; f < frames; ++f) {
        float* frame = data + size_t(f) * ch;
        if (m_mono && ch == 2) {
            const float mid = 0.5f * (frame[0] + frame[1]);
            frame[0] = frame[1] = mid;
        }
        for (uint32_t c = 0; c < ch; ++c) {
            m_current[c] += step[c];
            frame[c] *= m_current[c];
        }
    }
    // Land exactly on the target so that rounding does not drift over many blocks.
    for (uint32_t c = 0; c < ch; ++c)
        m_current[c] = m_target[c];
}

} // namespace quillon::fx
