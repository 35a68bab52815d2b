#include "limiter.h"

#include <algorithm>
#include <cmath>

namespace quillon::fx {

namespace {

const ParameterSpec kParameters[] = {
    {QUILLON_TEXT("Effects", "Input gain"), QUILLON_TEXT("Effects", "dB"), 0.0f, 24.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Ceiling"), QUILLON_TEXT("Effects", "dB"), -24.0f, 0.0f, -0.3f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Release"), QUILLON_TEXT("Effects", "ms"), 1.0f, 2000.0f, 80.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Look-ahead"), QUILLON_TEXT("Effects", "ms"), 0.5f, Limiter::kMaxLookAheadMs, 3.0f, QUILLON_FX_PARAM_CONTINUOUS},
};

const EffectSpec kSpec{
    QUILLON_TEXT("Effects", "Limiter"),
    QUILLON_MENU("VOLUME\\Dynamics\\"),
    {{0x7C7573A5u, 0x5B804CD5u, 0x5BFE0688u, 0x10ABFFE1u}},
    kParameters,
    Limiter::ParameterCount,
};

} // namespace

Limiter::Limiter() : Effect(kSpec) {}

const EffectSpec& Limiter::descriptor() { return kSpec; }

void Limiter::prepare()
{
    m_capacity = msToFrames(kMaxLookAheadMs) + 1;
    m_delay.assign(size_t(m_capacity) * kMaxChannels, 0.0f);
    m_minValues.assign(m_capacity, 1.0f);
    m_minIndex.assign(m_capacity, 0);
    m_average.assign(m_capacity, 1.0f);
    m_window = 0; // forces a clean start in update()
}

void Limiter::clearHistory()
{
    std::fill(m_delay.begin(), m_delay.end(), 0.0f);
    std::fill(m_average.begin(), m_average.end(), 1.0f);
    m_frame = 0;
    m_delayPos = 0;
    m_avgPos = 0;
    m_minHead = 0;
    m_minSize = 0;
    m_sum = m_window;
    m_held = 1.0f;
}

void Limiter::update()
{
    m_inputGain = std::pow(10.0f, parameter(InputGain) / 20.0f);
    m_ceiling = std::pow(10.0f, parameter(Ceiling) / 20.0f);
    // The held gain climbs back towards 1 with this time constant.
    m_releaseStep = 1.0f - std::exp(-1000.0f / (parameter(Release) * static_cast<float>(sampleRate())));
    const uint32_t window = std::min(msToFrames(parameter(LookAhead)), m_capacity - 1);
    if (window != m_window) {
        // A new look-ahead changes the latency; the history no longer lines up.
        m_window = window;
        clearHistory();
    }
}

void Limiter::process(float* data, uint32_t frames)
{
    const uint32_t ch = channels();
    const uint32_t window = m_window;
    const uint32_t cap = m_capacity;
    const uint32_t delay = window - 1;

    for (uint32_t f = 0; f < frames; ++f, ++m_frame) {
        float* frame = data + size_t(f) * ch;

        float peak = 0.0f;
        for (uint32_t c = 0; c < ch; ++c)
            peak = std::max(peak, std::fabs(frame[c] * m_inputGain));
        const float needed = peak > m_ceiling ? m_ceiling / peak : 1.0f;

        // Running minimum of the needed gain over the last `window` frames.
        while (m_minSize > 0 && m_minValues[(m_minHead + m_minSize - 1) % cap] >= needed)
            --m_minSize;
        m_minValues[(m_minHead + m_minSize) % cap] = needed;
        m_minIndex[(m_minHead + m_minSize) % cap] = m_frame;
        ++m_minSize;
        while (m_minIndex[m_minHead] + window <= m_frame) {
            m_minHead = (m_minHead + 1) % cap;
            --m_minSize;
        }
        const float minimum = m_minValues[m_minHead];

        m_held = std::min(minimum, m_held + (1.0f - m_held) * m_releaseStep);

        // Average of the held gain over the window: never above the gain any frame
        // within the window needs, and free of steps.
        m_sum += double(m_held) - double(m_average[m_avgPos]);
        m_average[m_avgPos] = m_held;
        m_avgPos = m_avgPos + 1 == window ? 0 : m_avgPos + 1;
        const float gain = static_cast<float>(m_sum / window);

        // Delay line of `delay` frames: write the new frame, read the one due now.
        const uint32_t writePos = m_delayPos;
        const uint32_t readPos = (writePos + cap - delay) % cap;
        float* in = &m_delay[size_t(writePos) * kMaxChannels];
        for (uint32_t c = 0; c < ch; ++c)
            in[c] = frame[c] * m_inputGain;
        const float* out = &m_delay[size_t(readPos) * kMaxChannels];
        for (uint32_t c = 0; c < ch; ++c)
            frame[c] = std::clamp(out[c] * gain, -m_ceiling, m_ceiling);
        m_delayPos = writePos + 1 == cap ? 0 : writePos + 1;
    }
    // Long runs of additions would let the running sum drift; re-add it once per block.
    double exact = 0.0;
    for (uint32_t i = 0; i < window; ++i)
        exact += m_average[i];
    m_sum = exact;
}

} // namespace quillon::fx
