#include "range_reader.h"

#include <algorithm>

namespace quillon::filefilter {

bool RangeReader::open(const StreamConfig& config)
{
    m_next = -1;
    if (!m_file.open(config.source.path) || m_file.info().channels != config.source.channels ||
        m_file.info().rate != config.source.rate) {
        m_file.close();
        m_frames = 0;
        return false;
    }
    m_path = config.source.path;
    m_begin = config.rangeBegin;
    m_frames = std::clamp<int64_t>(config.rangeFrames, 0, std::max<int64_t>(0, m_file.info().frames - m_begin));
    return true;
}

bool RangeReader::seek(int64_t position)
{
    const int64_t at = m_begin + position;
    if (m_file.seek(at))
        return true;
    // Decoders that cannot seek: start over and read forward.
    if (!m_file.open(m_path))
        return false;
    m_skip.resize(4096 * static_cast<size_t>(channels()));
    for (int64_t left = at; left > 0;) {
        const int64_t n = std::min<int64_t>(left, 4096);
        if (m_file.read(m_skip.data(), n) != n)
            return false;
        left -= n;
    }
    return true;
}

size_t RangeReader::read(int64_t position, float* dest, size_t frames)
{
    if (!m_file.isOpen() || position < 0 || position >= m_frames)
        return 0;
    if (position != m_next && !seek(position)) {
        m_next = -1;
        return 0;
    }
    const int64_t n = std::min<int64_t>(static_cast<int64_t>(frames), m_frames - position);
    const int64_t got = m_file.read(dest, n);
    m_next = position + got;
    return static_cast<size_t>(got);
}

} // namespace quillon::filefilter
