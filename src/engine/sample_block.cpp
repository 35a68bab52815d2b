#include "engine/sample_block.h"

#include <algorithm>
#include <cstring>

namespace quillon {

SampleBlock::SampleBlock(float* data, uint32_t frames, uint32_t bytesPerFrame)
    : m_data(data), m_size(frames * bytesPerFrame), m_capacity(frames * bytesPerFrame), m_bytesPerFrame(bytesPerFrame)
{
}

void SampleBlock::allocate(uint32_t frames, uint32_t bytesPerFrame)
{
    m_bytesPerFrame = bytesPerFrame;
    m_capacity = m_size = frames * bytesPerFrame;
    m_owned = std::make_unique<float[]>(std::max<size_t>(m_capacity / sizeof(float), 1));
    m_data = m_owned.get();
}

void SampleBlock::resize(uint32_t frames, bool keep)
{
    const uint32_t bytes = frames * m_bytesPerFrame;
    if (bytes <= m_capacity) {
        m_size = bytes;
        return;
    }
    auto area = std::make_unique<float[]>(bytes / sizeof(float));
    if (keep && m_data)
        std::memcpy(area.get(), m_data, m_size);
    m_owned = std::move(area);
    m_data = m_owned.get();
    m_size = m_capacity = bytes;
}

void SampleBlock::zero()
{
    if (m_data)
        std::memset(m_data, 0, m_size);
}

} // namespace quillon
