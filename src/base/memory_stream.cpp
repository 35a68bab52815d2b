#include "base/memory_stream.h"

#include <algorithm>
#include <cstring>

namespace quillon {

MemoryStream::MemoryStream(std::vector<uint8_t> bytes) : m_size(bytes.size())
{
    m_buffer = std::move(bytes);
    m_buffer.resize((m_size + kGrowStep - 1) / kGrowStep * kGrowStep);
}

void MemoryStream::write(const void* data, size_t size)
{
    const size_t end = m_position + size;
    if (end > m_buffer.size())
        m_buffer.resize((end + kGrowStep - 1) / kGrowStep * kGrowStep);
    if (size)
        std::memcpy(m_buffer.data() + m_position, data, size);
    m_position = end;
    m_size = std::max(m_size, end);
}

size_t MemoryStream::read(void* data, size_t size)
{
    const size_t n = std::min(size, remaining());
    if (n)
        std::memcpy(data, m_buffer.data() + m_position, n);
    m_position += n;
    return n;
}

void MemoryStream::seek(size_t position) { m_position = std::min(position, m_size); }

void MemoryStream::clear()
{
    m_buffer.clear();
    m_size = 0;
    m_position = 0;
}

void MemoryStream::truncate(size_t size)
{
    m_size = std::min(m_size, size);
    m_position = std::min(m_position, m_size);
}

std::vector<uint8_t> MemoryStream::bytes() const
{
    return std::vector<uint8_t>(m_buffer.begin(), m_buffer.begin() + static_cast<ptrdiff_t>(m_size));
}

} // namespace quillon
