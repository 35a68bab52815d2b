#include "stereo_delay.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillon::fx {

namespace {

const ParameterSpec kParameters[] = {
    {QUILLON_TEXT("Effects", "Left time"), QUILLON_TEXT("Effects", "ms"), 1.0f, StereoDelay::kMaxTimeMs, 250.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Right time"), QUILLON_TEXT("Effects", "ms"), 1.0f, StereoDelay::kMaxTimeMs, 375.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Feedback"), QUILLON_TEXT("Effects", "%"), 0.0f, 95.0f, 35.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Cross-feed"), QUILLON_TEXT("Effects", "%"), 0.0f, 100.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "High cut"), QUILLON_TEXT("Effects", "Hz"), 1000.0f, StereoDelay::kHighCutOff, 8000.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Echo level"), QUILLON_TEXT("Effects", "%"), 0.0f, 100.0f, 40.0f, QUILLON_FX_PARAM_CONTINUOUS},
};

const EffectSpec kSpec{
    QUILLON_TEXT("Effects", "Stereo Delay"),
    QUILLON_MENU("EFFECTS\\"),
    {{0x67CED9D2u, 0x76191B38u, 0x546DBE30u, 0xF960CDCDu}},
    kParameters,
    StereoDelay::ParameterCount,
};

} // namespace

StereoDelay::StereoDelay() : Effect(kSpec) {}

const EffectSpec& StereoDelay::descriptor() { return kSpec; }

void StereoDelay::prepare()
{
    m_length = msToFrames(kMaxTimeMs) + 1;
    for (auto& line : m_lines)
        line.assign(m_length, 0.0f);
    m_writePos = 0;
    std::fill(std::begin(m_lowPass), std::end(m_lowPass), 0.0f);
}

void StereoDelay::update()
{
    m_delay[0] = std::min(msToFrames(parameter(LeftTime)), m_length - 1);
    m_delay[1] = std::min(msToFrames(parameter(RightTime)), m_length - 1);
    m_feedback = parameter(Feedback) / 100.0f;
    m_cross = parameter(CrossFeed) / 100.0f;
    m_level = parameter(EchoLevel) / 100.0f;
    const float cut = parameter(HighCut);
    if (cut >= kHighCutOff || cut >= 0.45f * sampleRate()) {
        m_cutCoef = 0.0f;
    } else {
        // One-pole low-pass: y += (1 - c) * (x - y).
        m_cutCoef = std::exp(-2.0f * std::numbers::pi_v<float> * cut / static_cast<float>(sampleRate()));
    }
}

void StereoDelay::process(float* data, uint32_t frames)
{
    const uint32_t ch = channels();
    const uint32_t length = m_length;
    for (uint32_t f = 0; f < frames; ++f) {
        float* frame = data + size_t(f) * ch;
        float echo[kMaxChannels];
        for (uint32_t c = 0; c < ch; ++c) {
            uint32_t readPos = m_writePos + length - m_delay[c];
            if (readPos >= length)
                readPos -= length;
            echo[c] = m_lines[c][readPos];
        }
        for (uint32_t c = 0; c < ch; ++c) {
            const float other = ch == 2 ? echo[1 - c] : echo[c];
            float in = frame[c] + m_feedback * ((1.0f - m_cross) * echo[c] + m_cross * other);
            if (m_cutCoef > 0.0f) {
                m_lowPass[c] += (1.0f - m_cutCoef) * (in - m_lowPass[c]);
                in = m_lowPass[c];
            }
            m_lines[c][m_writePos] = in;
            frame[c] += m_level * echo[c];
        }
        m_writePos = m_writePos + 1 == length ? 0 : m_writePos + 1;
    }
}

} // namespace quillon::fx
