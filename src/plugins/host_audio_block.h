#pragma once
// A block of interleaved 32-bit float frames lent to an effect for one process call
// (command 119) through an audio-block record. An effect that lengthens the block
// resizes it within the capacity the owner allocated. Lives on the caller's stack:
// creating and using it allocates nothing. One thread.

#include "plugins/host_interface.h"

#include <cstdint>

namespace quillon {

class HostAudioBlock : public HostInterface {
public:
    HostAudioBlock(float* data, uint32_t frameCount, uint32_t channels, uint32_t capacity, int32_t startPosition);

    // The record to hand to the effect; valid while this object lives.
    QuillonInterface record();

    float* data() const { return m_data; }
    uint32_t frameCount() const { return m_frames; }
    uint32_t channels() const { return m_channels; }
    uint32_t capacity() const { return m_capacity; }
    int32_t startPosition() const { return m_start; }

protected:
    int32_t onCommand(uint32_t code, void* param, uint32_t size) override;

private:
    float* m_data;
    uint32_t m_frames;
    uint32_t m_channels;
    uint32_t m_capacity;
    int32_t m_start;
};

} // namespace quillon
