#pragma once
// Look-ahead brick-wall limiter. The signal is delayed by the look-ahead; the gain
// needed by every frame is known that much in advance, held as a running minimum over
// the look-ahead window and then averaged over the same window, which gives a smooth
// gain that is already low enough when the peak comes out. A final clamp guards the
// ceiling against rounding. Latency: look-ahead frames - 1.

#include "effect.h"

#include <vector>

namespace quillon::fx {

class Limiter : public Effect {
public:
    enum Parameter : uint32_t { InputGain, Ceiling, Release, LookAhead, ParameterCount };

    static constexpr float kMaxLookAheadMs = 10.0f;

    Limiter();
    static const EffectSpec& descriptor();

    // Frames the output lags the input at the current settings.
    uint32_t latency() const { return m_window - 1; }

protected:
    void prepare() override;
    void process(float* data, uint32_t frames) override;
    void update() override;

private:
    void clearHistory();

    // Everything below is sized in prepare() for the longest look-ahead.
    std::vector<float> m_delay;      // interleaved frames, ring of m_capacity
    std::vector<float> m_minValues;  // monotonic queue for the running minimum
    std::vector<uint64_t> m_minIndex;
    std::vector<float> m_average;    // ring of the last m_window held gains
    uint32_t m_capacity = 0;

    uint32_t m_window = 1;
    uint64_t m_frame = 0;
    uint32_t m_delayPos = 0;
    uint32_t m_avgPos = 0;
    uint32_t m_minHead = 0;
    uint32_t m_minSize = 0;
    double m_sum = 0.0;
    float m_held = 1.0f;
    float m_inputGain = 1.0f;
    float m_ceiling = 1.0f;
    float m_releaseStep = 0.0f;
};

} // namespace quillon::fx
