#include "reverb.h"

#include <algorithm>
#include <cmath>

namespace quillon::fx {

namespace {

const ParameterSpec kParameters[] = {
    {QUILLON_TEXT("Effects", "Room size"), QUILLON_TEXT("Effects", "%"), 0.0f, 100.0f, 50.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Damping"), QUILLON_TEXT("Effects", "%"), 0.0f, 100.0f, 50.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Width"), QUILLON_TEXT("Effects", "%"), 0.0f, 100.0f, 100.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Pre-delay"), QUILLON_TEXT("Effects", "ms"), 0.0f, Reverb::kMaxPreDelayMs, 10.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Reverb level"), QUILLON_TEXT("Effects", "%"), 0.0f, 100.0f, 25.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Dry level"), QUILLON_TEXT("Effects", "%"), 0.0f, 100.0f, 100.0f, QUILLON_FX_PARAM_CONTINUOUS},
};

const EffectSpec kSpec{
    QUILLON_TEXT("Effects", "Reverb"),
    QUILLON_MENU("EFFECTS\\Reverb\\Room [1]\nEFFECTS\\Reverb\\Hall [2]\nEFFECTS\\Reverb\\Plate [3]"),
    {{0x2AE710D8u, 0x55ABE200u, 0xA1BD7574u, 0x019E310Fu}},
    kParameters,
    Reverb::ParameterCount,
};

// Line lengths in frames at 44.1 kHz, all prime so that the echoes of the combs
// rarely coincide; scaled with the rate.
constexpr uint32_t kCombFrames[8] = {1103, 1187, 1279, 1361, 1423, 1493, 1559, 1613};
constexpr uint32_t kAllpassFrames[4] = {557, 439, 347, 227};
constexpr uint32_t kRightOffset = 29;
constexpr float kAllpassGain = 0.5f;
// Eight combs add up; this keeps a full-scale input's reverb around full scale.
constexpr float kInputScale = 0.06f;

uint32_t scaled(uint32_t frames, uint32_t rate)
{
    return std::max<uint32_t>(1, static_cast<uint32_t>(std::lround(double(frames) * rate / 44100.0)));
}

} // namespace

Reverb::Reverb() : Effect(kSpec) {}

const EffectSpec& Reverb::descriptor() { return kSpec; }

void Reverb::prepare()
{
    const uint32_t rate = sampleRate();
    for (uint32_t side = 0; side < kMaxChannels; ++side) {
        const uint32_t offset = side * kRightOffset;
        for (uint32_t i = 0; i < kCombs; ++i) {
            Line& l = m_networks[side].combs[i];
            l.buffer.assign(scaled(kCombFrames[i] + offset, rate), 0.0f);
            l.pos = 0;
            l.store = 0.0f;
        }
        for (uint32_t i = 0; i < kAllpasses; ++i) {
            Line& l = m_networks[side].allpasses[i];
            l.buffer.assign(scaled(kAllpassFrames[i] + offset, rate), 0.0f);
            l.pos = 0;
        }
    }
    m_preDelay.assign(msToFrames(kMaxPreDelayMs) + 1, 0.0f);
    m_preDelayPos = 0;
}

void Reverb::update()
{
    // Room size maps to the comb feedback: 0.70 (small) .. 0.98 (very long tail).
    m_feedback = 0.70f + 0.28f * parameter(RoomSize) / 100.0f;
    m_damp = 0.4f * parameter(Damping) / 100.0f;
    const float wet = parameter(WetLevel) / 100.0f;
    const float width = parameter(Width) / 100.0f;
    m_wetSame = wet * (0.5f + width / 2.0f);
    m_wetCross = wet * (0.5f - width / 2.0f);
    m_dry = parameter(DryLevel) / 100.0f;
    const float ms = parameter(PreDelay);
    m_preDelayFrames = ms <= 0.0f ? 0u : std::min(msToFrames(ms), uint32_t(m_preDelay.size() - 1));
}

void Reverb::selectVariant(int32_t variant)
{
    struct Settings {
        float size, damping, width, preDelay, wet;
    };
    Settings s;
    switch (variant) {
    case Room: s = {45.0f, 55.0f, 80.0f, 5.0f, 22.0f}; break;
    case Hall: s = {85.0f, 35.0f, 100.0f, 25.0f, 28.0f}; break;
    case Plate: s = {70.0f, 10.0f, 100.0f, 0.0f, 25.0f}; break;
    default: return;
    }
    setParameter(RoomSize, s.size);
    setParameter(Damping, s.damping);
    setParameter(Width, s.width);
    setParameter(PreDelay, s.preDelay);
    setParameter(WetLevel, s.wet);
    setParameter(DryLevel, 100.0f);
}

float Reverb::runNetwork(Network& net, float input)
{
    float sum = 0.0f;
    for (Line& comb : net.combs) {
        float& cell = comb.buffer[comb.pos];
        const float out = cell;
        comb.store = out + m_damp * (comb.store - out);
        cell = input + m_feedback * comb.store;
        if (++comb.pos == comb.buffer.size())
            comb.pos = 0;
        sum += out;
    }
    for (Line& ap : net.allpasses) {
        float& cell = ap.buffer[ap.pos];
        const float out = cell - kAllpassGain * sum;
        cell = sum + kAllpassGain * out;
        if (++ap.pos == ap.buffer.size())
            ap.pos = 0;
        sum = out;
    }
    return sum;
}

void Reverb::process(float* data, uint32_t frames)
{
    const uint32_t ch = channels();
    const uint32_t preLength = static_cast<uint32_t>(m_preDelay.size());
    for (uint32_t f = 0; f < frames; ++f) {
        float* frame = data + size_t(f) * ch;
        float input = ch == 2 ? 0.5f * (frame[0] + frame[1]) : frame[0];

        if (m_preDelayFrames > 0) {
            m_preDelay[m_preDelayPos] = input;
            uint32_t readPos = m_preDelayPos + preLength - m_preDelayFrames;
            if (readPos >= preLength)
                readPos -= preLength;
            input = m_preDelay[readPos];
            m_preDelayPos = m_preDelayPos + 1 == preLength ? 0 : m_preDelayPos + 1;
        }
        input *= kInputScale;

        if (ch == 2) {
            const float left = runNetwork(m_networks[0], input);
            const float right = runNetwork(m_networks[1], input);
            frame[0] = m_dry * frame[0] + m_wetSame * left + m_wetCross * right;
            frame[1] = m_dry * frame[1] + m_wetSame * right + m_wetCross * left;
        } else {
            frame[0] = m_dry * frame[0] + (m_wetSame + m_wetCross) * runNetwork(m_networks[0], input);
        }
    }
}

} // namespace quillon::fx
