#include "model/track_read_cursor.h"

#include <algorithm>
#include <cstring>

namespace quillon {

float* TrackReadCursor::fifoSpace(size_t count)
{
    if (m_fifoStart > 0) {
        std::memmove(m_fifo.data(), m_fifo.data() + m_fifoStart, m_fifoCount * sizeof(float));
        m_fifoStart = 0;
    }
    if (m_fifoCount + count > m_fifo.size())
        m_fifo.resize(m_fifoCount + count); // once; steady-state reads never get here again
    return m_fifo.data() + m_fifoCount;
}

void TrackReadCursor::pushFifo(const float* samples, size_t count)
{
    std::memcpy(fifoSpace(count), samples, count * sizeof(float));
    commitFifo(count);
}

void TrackReadCursor::popFifo(float* dest, size_t count)
{
    count = std::min(count, m_fifoCount);
    if (count == 0)
        return;
    std::memcpy(dest, m_fifo.data() + m_fifoStart, count * sizeof(float));
    m_fifoStart += count;
    m_fifoCount -= count;
    if (m_fifoCount == 0)
        m_fifoStart = 0;
}

void TrackReadCursor::dropFifo(size_t count)
{
    count = std::min(count, m_fifoCount);
    m_fifoStart += count;
    m_fifoCount -= count;
    if (m_fifoCount == 0)
        m_fifoStart = 0;
}

} // namespace quillon
