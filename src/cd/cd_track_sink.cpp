#include "cd_track_sink.h"

#include "engine/sample_block.h"
#include <soxr.h>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace quillon {

namespace {
constexpr uint32_t kCdRate = 44100;
constexpr uint32_t kBytesPerFrame = 8; // two float channels
} // namespace

CdTrackSink::CdTrackSink(SampleSink* file, int64_t rangeFrames, uint32_t rate, int64_t outFrames)
    : m_file(file), m_rangeFrames(rangeFrames), m_outFrames(outFrames)
{
    if (m_file && rate != kCdRate) {
        soxr_error_t error = nullptr;
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        m_resampler = soxr_create(double(rate), double(kCdRate), 2, &error, nullptr, &quality, nullptr);
        if (error || !m_resampler)
            throw std::runtime_error("The audio cannot be converted to 44100 Hz.");
        // A 50 ms block at up to 192 kHz gives at most a few thousand frames; grown on
        // demand should a larger block come.
        m_out.resize(16384 * 2);
    }
}

CdTrackSink::~CdTrackSink()
{
    if (m_resampler)
        soxr_delete(m_resampler);
}

bool CdTrackSink::forward(const float* data, int64_t frames)
{
    frames = std::min(frames, m_outFrames - m_written);
    if (frames <= 0)
        return true;
    SampleBlock block(const_cast<float*>(data), uint32_t(frames), kBytesPerFrame);
    m_written += frames;
    return m_file->acceptBlock(block);
}

bool CdTrackSink::acceptBlock(const SampleBlock& block)
{
    const int64_t taken = m_taken.load(std::memory_order_relaxed);
    const int64_t frames = std::min<int64_t>(block.frameCount(), m_rangeFrames - taken);
    if (frames <= 0)
        return true;
    const float* data = block.data();
    float peak = m_peak.load(std::memory_order_relaxed);
    for (int64_t i = 0; i < frames * 2; ++i)
        peak = std::max(peak, std::fabs(data[i]));
    m_peak.store(peak, std::memory_order_release);
    m_taken.store(taken + frames, std::memory_order_release);
    if (!m_file)
        return true;
    if (!m_resampler)
        return forward(data, frames);
    size_t inDone = 0;
    const float* in = data;
    size_t left = size_t(frames);
    while (left > 0) {
        size_t outDone = 0;
        if (soxr_process(m_resampler, in, left, &inDone, m_out.data(), m_out.size() / 2, &outDone))
            return false;
        if (!forward(m_out.data(), int64_t(outDone)))
            return false;
        in += inDone * 2;
        left -= inDone;
        if (inDone == 0 && outDone == 0)
            break;
    }
    return true;
}

void CdTrackSink::finish()
{
    if (!m_file)
        return;
    if (m_resampler) {
        for (;;) {
            size_t outDone = 0;
            if (soxr_process(m_resampler, nullptr, 0, nullptr, m_out.data(), m_out.size() / 2, &outDone) || outDone == 0)
                break;
            forward(m_out.data(), int64_t(outDone));
        }
    }
    // The resampler's rounding (or a stopped render) may leave the file short.
    std::fill(m_out.begin(), m_out.end(), 0.0f);
    if (m_out.empty())
        m_out.resize(4096 * 2);
    while (m_written < m_outFrames && m_taken.load() >= m_rangeFrames)
        if (!forward(m_out.data(), int64_t(m_out.size() / 2)))
            break;
    m_file->finish();
}

} // namespace quillon
