#pragma once
// A consumer's reading state on one track: the rendered samples not yet delivered,
// the render and delivered positions and the open readers of the current and the
// previous clip. Created, used and released under the track's lock by one consumer.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon {

class CAudioClip;

class TrackReadCursor {
public:
    static constexpr int64_t kNoReader = -1;

    // Samples rendered ahead of the delivered position, kept in one straight run so that
    // a block is rendered in place: fifoSpace() gives room for `count` samples after the
    // held ones (moving the few held ones to the front first), commitFifo() takes them in.
    void resetFifo() { m_fifoStart = m_fifoCount = 0; }
    size_t fifoCount() const { return m_fifoCount; }
    float* fifoSpace(size_t count);
    void commitFifo(size_t count) { m_fifoCount += count; }
    void pushFifo(const float* samples, size_t count);
    void popFifo(float* dest, size_t count);
    void dropFifo(size_t count);

    int32_t renderPosition = 0;
    int32_t deliveredPosition = 0;
    CAudioClip* currentClip = nullptr;
    int64_t currentReader = kNoReader;
    CAudioClip* previousClip = nullptr;
    int64_t previousReader = kNoReader;
    bool started = false; // the current clip has been taken from the list head
    // The arrangement changed: before its next block the reader closes its readers and
    // walks the clip list from the head again. Set by the user-interface thread, which
    // leaves the closing to the render thread.
    bool restart = false;
    // The track's effects delay their output by `compensated` frames; the reader renders
    // that far ahead and drops `skip` frames of output, so the track stays in time.
    uint32_t compensated = 0;
    uint32_t skip = 0;
    // The readers open when the walk restarted, lent back to it when it comes to the
    // same clip again (usually it does: the edit was elsewhere), so that a restart
    // opens no file. Only used inside one read; whatever is left is closed there.
    struct Spare {
        CAudioClip* clip = nullptr;
        int64_t reader = kNoReader;
    };
    Spare spares[2];

    // Work buffers kept between blocks so reading allocates nothing once warmed up.
    std::vector<float> scratchA;
    std::vector<float> scratchB;

private:
    std::vector<float> m_fifo;
    size_t m_fifoStart = 0;
    size_t m_fifoCount = 0;
};

} // namespace quillon
