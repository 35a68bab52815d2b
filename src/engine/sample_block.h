#pragma once
// The buffer passed between renderer, tracks, effects and sinks: interleaved 32-bit
// float frames in the nominal range -1..+1. Allocated once per render and reused; a
// resize within the capacity only changes the size, so the render loop never allocates.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace quillon {

class SampleBlock {
public:
    SampleBlock() = default;
    SampleBlock(uint32_t frames, uint32_t bytesPerFrame) { allocate(frames, bytesPerFrame); }
    // Wraps memory owned by someone else.
    SampleBlock(float* data, uint32_t frames, uint32_t bytesPerFrame);

    void allocate(uint32_t frames, uint32_t bytesPerFrame);
    // Within the capacity only the size changes; beyond it a new area is allocated, with
    // the old content copied when `keep` is set.
    void resize(uint32_t frames, bool keep);

    float* data() { return m_data; }
    const float* data() const { return m_data; }
    uint32_t frameCount() const { return m_bytesPerFrame ? m_size / m_bytesPerFrame : 0; }
    uint32_t capacityFrames() const { return m_bytesPerFrame ? m_capacity / m_bytesPerFrame : 0; }
    uint32_t sizeInBytes() const { return m_size; }
    uint32_t bytesPerFrame() const { return m_bytesPerFrame; }
    uint32_t channels() const { return m_bytesPerFrame / 4; }
    bool ownsData() const { return m_owned != nullptr; }
    void zero();

private:
    std::unique_ptr<float[]> m_owned;
    float* m_data = nullptr;
    uint32_t m_size = 0;
    uint32_t m_capacity = 0;
    uint32_t m_bytesPerFrame = 0;
};

} // namespace quillon
