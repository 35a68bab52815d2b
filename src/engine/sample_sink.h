#pragma once
// Where the renderer hands finished master blocks: the wave output device for
// playback, a file writer for export. acceptBlock is called on the render thread; the
// conversion settings are set before a run starts (by the user-interface thread) and
// read by the render thread.

#include <atomic>
#include <cstdint>

namespace quillon {

class SampleBlock;

class SampleSink {
public:
    virtual ~SampleSink() = default;
    // False when the block could not be taken (device error, write failure).
    virtual bool acceptBlock(const SampleBlock& block) = 0;
    // Called by the renderer after the last block of a run. A sink that works behind
    // the render waits here until it has caught up, and reports a failure the way
    // acceptBlock() does.
    virtual void finish() {}
    // Frames that have reached their destination (played, written).
    virtual int64_t framesDone() const = 0;
    // Frames handed to the sink so far.
    virtual int64_t framesDelivered() const = 0;
    // A file holds exactly the range asked for: the renderer cuts the last block at
    // the range's end. Playback takes whole blocks.
    virtual bool holdsExactRange() const { return false; }

    // How sinks that quantise to integer samples of 8 or 16 bits do it: a rectangular
    // 0-or-1 LSB dither, and first-order error feedback (noise shaping).
    void setDithering(bool on) { m_dithering.store(on, std::memory_order_relaxed); }
    bool dithering() const { return m_dithering.load(std::memory_order_relaxed); }
    void setNoiseShaping(bool on) { m_noiseShaping.store(on, std::memory_order_relaxed); }
    bool noiseShaping() const { return m_noiseShaping.load(std::memory_order_relaxed); }

protected:
    // The quantisation error of channels 0 and 1, carried from one sample to the next of
    // the same channel and across blocks. Render thread only.
    float m_quantError[2] = {0.0f, 0.0f};

private:
    std::atomic<bool> m_dithering{false};
    std::atomic<bool> m_noiseShaping{true};
};

} // namespace quillon
