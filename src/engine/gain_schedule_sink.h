#pragma once
// Passes every block on to another sink with a gain that changes at given frames: one
// file whose CD tracks are each brought to their own loudness. A new gain is reached
// over a short linear ramp from the old one, so a step never clicks in music that runs
// across a track boundary.
//
// Threads: built and read back on the user-interface thread; acceptBlock() and finish()
// on the render thread. The copy buffer is allocated here, never per block.

#include "engine/sample_block.h"
#include "engine/sample_sink.h"

#include <cstdint>
#include <vector>

namespace quillon {

class GainScheduleSink : public SampleSink {
public:
    struct Step {
        int64_t frame; // from this frame of the run on (the first step is at 0)
        float gain;
    };

    // `blockFrames` is the largest block the render delivers; bigger ones are passed on
    // in parts.
    GainScheduleSink(SampleSink& target, std::vector<Step> steps, uint32_t channels, uint32_t blockFrames,
                     uint32_t rampFrames);

    bool acceptBlock(const SampleBlock& block) override;
    void finish() override { m_target.finish(); }
    int64_t framesDone() const override { return m_target.framesDone(); }
    int64_t framesDelivered() const override { return m_target.framesDelivered(); }
    bool holdsExactRange() const override { return m_target.holdsExactRange(); }

    // The gain of frame `frame` of the run.
    float gainAt(int64_t frame) const;

private:
    SampleSink& m_target;
    std::vector<Step> m_steps;
    uint32_t m_channels;
    uint32_t m_rampFrames;
    SampleBlock m_scaled;
    int64_t m_position = 0;
};

} // namespace quillon
