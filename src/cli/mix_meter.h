#pragma once
// Measures the mix on its way to a file: a sink that notes the peak and the samples at or
// above full scale (which an integer file clips) of every block, then hands the block on
// to its target unchanged.
//
// Threads: the target is set before a render; acceptBlock() and finish() run on the render
// thread; peak() and clippedSamples() may be read from any thread.

#include "engine/sample_sink.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace quillon {

class MixMeter : public SampleSink {
public:
    void setTarget(SampleSink* target) { m_target = target; }

    bool acceptBlock(const SampleBlock& block) override;
    void finish() override;
    int64_t framesDone() const override;
    int64_t framesDelivered() const override;
    bool holdsExactRange() const override { return m_target && m_target->holdsExactRange(); }

    // The largest magnitude of any sample so far (1.0 is full scale).
    float peak() const { return m_peak.load(std::memory_order_relaxed); }
    // Samples whose magnitude reached 1.0 or more.
    int64_t clippedSamples() const { return m_clipped.load(std::memory_order_relaxed); }

    // A level as dBFS with two decimals, "-inf" for silence.
    static std::string decibelText(float level);

private:
    SampleSink* m_target = nullptr;
    std::atomic<float> m_peak{0.0f};
    std::atomic<int64_t> m_clipped{0};
};

} // namespace quillon
