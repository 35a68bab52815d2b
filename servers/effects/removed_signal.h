#pragma once
// "Hear what is removed": the input, delayed by the effect's own latency so that it lines
// up with the output, minus the output. Restoration is judged by ear this way: music in
// the difference means the effect is cutting too deep.

#include <cstdint>
#include <vector>

namespace quillon::fx {

class RemovedSignal {
public:
    static constexpr uint32_t kMaxChannels = 2;

    // Allocates; processing allocates nothing.
    void prepare(uint32_t latency)
    {
        m_latency = latency;
        for (std::vector<float>& line : m_lines)
            line.assign(latency > 0 ? latency : 1, 0.0f);
        m_position = 0;
    }
    // The dry input of channel c, `latency` frames ago; `raw` takes its place.
    float exchange(uint32_t c, float raw)
    {
        if (m_latency == 0)
            return raw;
        float& slot = m_lines[c][m_position];
        const float dry = slot;
        slot = raw;
        return dry;
    }
    // After every channel of a frame has been exchanged.
    void advance()
    {
        if (m_latency > 0 && ++m_position == m_latency)
            m_position = 0;
    }

private:
    std::vector<float> m_lines[kMaxChannels];
    uint32_t m_latency = 0;
    uint32_t m_position = 0;
};

} // namespace quillon::fx
