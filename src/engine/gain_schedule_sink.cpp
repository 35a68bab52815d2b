#include "engine/gain_schedule_sink.h"

#include <algorithm>

namespace quillon {

GainScheduleSink::GainScheduleSink(SampleSink& target, std::vector<Step> steps, uint32_t channels,
                                   uint32_t blockFrames, uint32_t rampFrames)
    : m_target(target), m_steps(std::move(steps)), m_channels(std::max(1u, channels)), m_rampFrames(rampFrames),
      m_scaled(std::max(1u, blockFrames), m_channels * sizeof(float))
{
    std::sort(m_steps.begin(), m_steps.end(), [](const Step& a, const Step& b) { return a.frame < b.frame; });
    if (m_steps.empty() || m_steps.front().frame > 0)
        m_steps.insert(m_steps.begin(), Step{0, m_steps.empty() ? 1.0f : m_steps.front().gain});
}

float GainScheduleSink::gainAt(int64_t frame) const
{
    // The last step at or before the frame, and the one after it.
    const auto next = std::upper_bound(m_steps.begin(), m_steps.end(), frame,
                                       [](int64_t f, const Step& s) { return f < s.frame; });
    const auto step = std::prev(next);
    // Each change is ramped on the side of the boundary with the higher gain, so the ramp
    // never lifts a track above the gain its own true peak allows.
    if (step != m_steps.begin()) {
        const auto before = std::prev(step);
        const int64_t room = next != m_steps.end() ? next->frame - step->frame : int64_t(m_rampFrames);
        const int64_t ramp = std::min<int64_t>(m_rampFrames, room);
        const int64_t into = frame - step->frame;
        if (before->gain < step->gain && into < ramp)
            return before->gain + (step->gain - before->gain) * float(into + 1) / float(ramp + 1);
    }
    if (next != m_steps.end() && next->gain < step->gain) {
        const int64_t ramp = std::min<int64_t>(m_rampFrames, next->frame - step->frame);
        const int64_t left = next->frame - frame;
        if (left <= ramp)
            return next->gain + (step->gain - next->gain) * float(left) / float(ramp + 1);
    }
    return step->gain;
}

bool GainScheduleSink::acceptBlock(const SampleBlock& block)
{
    const uint32_t channels = block.channels();
    if (channels != m_channels)
        return m_target.acceptBlock(block);
    const float* in = block.data();
    uint32_t left = block.frameCount();
    while (left > 0) {
        const uint32_t n = std::min(left, m_scaled.capacityFrames());
        m_scaled.resize(n, false);
        float* out = m_scaled.data();
        for (uint32_t f = 0; f < n; ++f) {
            const float g = gainAt(m_position + f);
            for (uint32_t c = 0; c < channels; ++c)
                out[f * channels + c] = in[f * channels + c] * g;
        }
        if (!m_target.acceptBlock(m_scaled))
            return false;
        m_position += n;
        in += size_t(n) * channels;
        left -= n;
    }
    return true;
}

} // namespace quillon
