#pragma once
// Measures what a render delivers as EBU R128 integrated loudness (LUFS) and true peak
// (dBTP), through libebur128. It counts only the frames of its range (the renderer's
// last block runs past it) and can pass every block on to another sink, so that a file
// can be measured as it is written.
//
// Threads: acceptBlock() and finish() on the render thread; the readings once the render
// has ended; framesDone()/framesDelivered() from any thread.
#include "engine/sample_sink.h"
#include <atomic>
#include <cstdint>
#include <vector>

namespace quillon {

// One measurement. Silence (nothing above the absolute gate) reads -infinity LUFS.
struct LoudnessReading {
    double integratedLufs = 0.0;
    double truePeakDbtp = 0.0;
    bool silent() const;
};

class LoudnessMeter : public SampleSink {
public:
    // `rangeFrames` < 0 takes every frame it is given; `next` may be null.
    LoudnessMeter(uint32_t channels, uint32_t rate, int64_t rangeFrames = -1, SampleSink* next = nullptr);
    ~LoudnessMeter() override;
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    bool acceptBlock(const SampleBlock& block) override;
    void finish() override;
    int64_t framesDone() const override { return m_taken.load(std::memory_order_acquire); }
    int64_t framesDelivered() const override { return m_taken.load(std::memory_order_acquire); }
    bool holdsExactRange() const override { return m_next && m_next->holdsExactRange(); }

    // Interleaved float frames straight from the caller (a file being checked).
    void addFrames(const float* frames, int64_t count);
    LoudnessReading reading() const;
    // The loudness of several measurements taken as one programme (a whole disc), with
    // the largest of their true peaks.
    static LoudnessReading combined(const std::vector<const LoudnessMeter*>& meters);

private:
    // The library's state (an anonymous C struct, so not declared here).
    void* m_state = nullptr;
    uint32_t m_channels;
    int64_t m_rangeFrames;
    SampleSink* m_next;
    std::atomic<int64_t> m_taken{0};
};

} // namespace quillon
