#include "model/track_read_cursor.h"

#include <algorithm>
#include <cstring>

namespace quillon {

void TrackReadCursor::pushFifo(const float* samples, size_t count)
{
    if (m_fifoCount + count > m_fifo.size()) {
        // Grow once to fit; steady-state reads never get here again.
        std::vector<float> bigger(std::max(m_fifo.size() * 2, m_fifoCount + count));
        for (size_t i = 0; i < m_fifoCount; ++i)
            bigger[i] = m_fifo[(m_fifoStart + i) % m_fifo.size()];
        m_fifo.swap(bigger);
        m_fifoStart = 0;
    }
    const size_t cap = m_fifo.size();
    size_t tail = (m_fifoStart + m_fifoCount) % cap;
    size_t first = std::min(count, cap - tail);
    std::memcpy(m_fifo.data() + tail, samples, first * sizeof(float));
    std::memcpy(m_fifo.data(), samples + first, (count - first) * sizeof(float));
    m_fifoCount += count;
}

void TrackReadCursor::popFifo(float* dest, size_t count)
{
    count = std::min(count, m_fifoCount);
    const size_t cap = m_fifo.size();
    if (count == 0 || cap == 0)
        return;
    size_t first = std::min(count, cap - m_fifoStart);
    std::memcpy(dest, m_fifo.data() + m_fifoStart, first * sizeof(float));
    std::memcpy(dest + first, m_fifo.data(), (count - first) * sizeof(float));
    m_fifoStart = (m_fifoStart + count) % cap;
    m_fifoCount -= count;
}

} // namespace quillon
