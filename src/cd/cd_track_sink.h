#pragma once
// Between the renderer and a CD track's file: passes on exactly the frames of the
// track's range (the renderer's last block runs past it), turned into 44 100 Hz when the
// project runs at another rate, and makes the file exactly the planned length. Without a
// file behind it, it only measures the peak of every frame of the range.
//
// Threads: acceptBlock() and finish() on the render thread; framesDone(),
// framesDelivered() and peak() from any thread while it runs.
#include "engine/sample_sink.h"
#include <atomic>
#include <cstdint>
#include <vector>

struct soxr;

namespace quillon {

class CdTrackSink : public SampleSink {
public:
    // `rangeFrames` at `rate`; `outFrames` the length of the file at 44 100 Hz.
    CdTrackSink(SampleSink* file, int64_t rangeFrames, uint32_t rate, int64_t outFrames);
    ~CdTrackSink() override;
    CdTrackSink(const CdTrackSink&) = delete;
    CdTrackSink& operator=(const CdTrackSink&) = delete;

    bool acceptBlock(const SampleBlock& block) override;
    void finish() override;
    int64_t framesDone() const override { return m_taken.load(std::memory_order_acquire); }
    int64_t framesDelivered() const override { return m_taken.load(std::memory_order_acquire); }
    // The largest magnitude of any sample of the range, both channels.
    float peak() const { return m_peak.load(std::memory_order_acquire); }
    // Frames handed to the file.
    int64_t framesWritten() const { return m_written; }

private:
    bool forward(const float* data, int64_t frames);

    SampleSink* m_file;
    int64_t m_rangeFrames;
    int64_t m_outFrames;
    soxr* m_resampler = nullptr;
    std::vector<float> m_out;
    std::atomic<int64_t> m_taken{0};
    std::atomic<float> m_peak{0.0f};
    int64_t m_written = 0;
};

} // namespace quillon
