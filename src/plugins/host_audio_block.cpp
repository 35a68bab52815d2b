#include "plugins/host_audio_block.h"

#include <algorithm>

namespace quillon {

namespace {

constexpr QuillonIdentifier kAudioBlockId = QUILLON_IID_AUDIO_BLOCK;

template <class P>
P* paramAs(void* param, uint32_t size)
{
    return (param && size == sizeof(P)) ? static_cast<P*>(param) : nullptr;
}

} // namespace

HostAudioBlock::HostAudioBlock(float* data, uint32_t frameCount, uint32_t channels, uint32_t capacity,
                               int32_t startPosition)
    : m_data(data), m_frames(frameCount), m_channels(channels), m_capacity(std::max(capacity, frameCount)),
      m_start(startPosition)
{
}

QuillonInterface HostAudioBlock::record() { return makeRecord(kAudioBlockId); }

int32_t HostAudioBlock::onCommand(uint32_t code, void* param, uint32_t size)
{
    switch (code) {
    case QUILLON_BLOCK_DATA: {
        auto* p = paramAs<QuillonBlockData>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        p->data = m_data;
        return 0;
    }
    case QUILLON_BLOCK_FRAME_COUNT:
    case QUILLON_BLOCK_CAPACITY: {
        auto* p = paramAs<QuillonBlockFrames>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        p->frames = code == QUILLON_BLOCK_FRAME_COUNT ? m_frames : m_capacity;
        return 0;
    }
    case QUILLON_BLOCK_CHANNELS: {
        auto* p = paramAs<QuillonBlockChannels>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        p->channels = m_channels;
        return 0;
    }
    case QUILLON_BLOCK_START: {
        auto* p = paramAs<QuillonBlockStart>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        p->position = m_start;
        return 0;
    }
    case QUILLON_BLOCK_RESIZE: {
        auto* p = paramAs<QuillonBlockFrames>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        // The owner sized the buffer; anything beyond it would be written past its end.
        if (p->frames > m_capacity)
            return QUILLON_E_BAD_PARAM;
        m_frames = p->frames;
        return 0;
    }
    default:
        return QUILLON_E_UNKNOWN_COMMAND;
    }
}

} // namespace quillon
