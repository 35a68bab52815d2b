#include "time_scaler.h"

#include <rubberband/RubberBandStretcher.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quillon::filefilter {

using RubberBand::RubberBandStretcher;

TimeScaler::TimeScaler(SourceRead source, int channels, int sampleRate, Quality quality)
    : m_source(std::move(source)), m_channels(std::max(1, channels)), m_rate(std::max(1, sampleRate)),
      m_quality(quality)
{
    const size_t ch = static_cast<size_t>(m_channels);
    m_interleaved.assign(kBlock * ch, 0.0f);
    m_seam.assign(kBlock * ch, 0.0f);
    m_planes.assign(ch, std::vector<float>(kBlock, 0.0f));
    for (auto& plane : m_planes)
        m_planePointers.push_back(plane.data());
}

TimeScaler::~TimeScaler() = default;

void TimeScaler::setMap(const TimeScaleMap& map)
{
    m_map = map;
    m_primed = false;
    if (!m_map.isIdentity()) {
        ensureStretcher();
        // The stretcher grows its buffers when the ratio rises past any it has seen; show
        // it the largest one now, so that the ratio changes of a gradual transition do
        // not allocate while a clip plays.
        m_stretcher->setTimeRatio(m_map.maxLocalRatio());
    }
}

void TimeScaler::ensureStretcher()
{
    if (m_stretcher)
        return;
    RubberBandStretcher::Options options = RubberBandStretcher::OptionProcessRealTime |
                                           RubberBandStretcher::OptionThreadingNever |
                                           RubberBandStretcher::OptionChannelsTogether;
    options |= m_quality == Quality::Fine ? RubberBandStretcher::OptionEngineFiner
                                          : RubberBandStretcher::OptionEngineFaster;
    m_stretcher = std::make_unique<RubberBandStretcher>(static_cast<size_t>(m_rate), static_cast<size_t>(m_channels),
                                                        options, 1.0, 1.0);
    m_stretcher->setMaxProcessSize(kBlock);
}

void TimeScaler::seek(int64_t outputFrame)
{
    m_position = outputFrame;
}

size_t TimeScaler::read(float* dest, size_t count)
{
    const size_t ch = static_cast<size_t>(m_channels);
    const auto& segments = m_map.segments();
    const int64_t total = m_map.outputLength();
    size_t done = 0;
    size_t inside = 0;
    while (done < count) {
        float* out = dest + done * ch;
        const size_t left = count - done;
        if (m_position < 0 || m_position >= total) {
            const size_t n = m_position < 0 ? static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(left), -m_position))
                                            : left;
            std::fill(out, out + n * ch, 0.0f);
            m_position += static_cast<int64_t>(n);
            done += n;
            continue;
        }
        size_t index = 0;
        while (index + 1 < segments.size() && m_position >= segments[index].outEnd)
            ++index;
        const TimeScaleMap::Segment& segment = segments[index];
        const size_t n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(left), segment.outEnd - m_position));
        if (segment.stretched) {
            stretchInto(out, n);
            blendSeams(segment, index, m_position, out, n);
        } else {
            readSource(segment.sourceBegin + (m_position - segment.outBegin), out, n);
        }
        m_position += static_cast<int64_t>(n);
        done += n;
        inside += n;
    }
    return inside;
}

void TimeScaler::readSource(int64_t position, float* dest, size_t frames)
{
    const size_t ch = static_cast<size_t>(m_channels);
    const int64_t from = std::max<int64_t>(position, 0);
    const int64_t to = std::min<int64_t>(position + static_cast<int64_t>(frames), m_map.sourceLength());
    if (to <= from) {
        std::fill(dest, dest + frames * ch, 0.0f);
        return;
    }
    const size_t before = static_cast<size_t>(from - position);
    std::fill(dest, dest + before * ch, 0.0f);
    const size_t want = static_cast<size_t>(to - from);
    const size_t got = std::min(want, m_source(from, dest + before * ch, want));
    std::fill(dest + (before + got) * ch, dest + frames * ch, 0.0f);
}

void TimeScaler::stretchInto(float* dest, size_t frames)
{
    if (!m_primed || m_stretchOut != m_position)
        prime(m_position);
    const size_t ch = static_cast<size_t>(m_channels);
    size_t done = 0;
    while (done < frames) {
        const size_t got = retrieve(dest + done * ch, frames - done);
        if (got == 0)
            feed();
        done += got;
    }
    m_stretchOut += static_cast<int64_t>(frames);
}

void TimeScaler::prime(int64_t outputFrame)
{
    ensureStretcher();
    m_stretcher->reset();

    // Enough history for the stretcher's analysis window to fill with real signal.
    const int64_t preroll = std::max<int64_t>(4096, m_rate / 10);
    const double source = m_map.sourceAt(static_cast<double>(outputFrame));
    const int64_t start = static_cast<int64_t>(std::floor(source)) - preroll;

    m_lastRatio = m_map.localRatio(static_cast<double>(start));
    m_stretcher->setTimeRatio(m_lastRatio);
    size_t pad = m_stretcher->getPreferredStartPad();
    const size_t delay = m_stretcher->getStartDelay();
    for (auto& plane : m_planes)
        std::fill(plane.begin(), plane.end(), 0.0f);
    while (pad > 0) {
        const size_t n = std::min(pad, kBlock);
        m_stretcher->process(m_planePointers.data(), n, false);
        pad -= n;
    }
    m_feedAt = start;

    int64_t drop = static_cast<int64_t>(delay) +
                   std::llround(static_cast<double>(outputFrame) - m_map.outputAt(static_cast<double>(start)));
    while (drop > 0) {
        const size_t got = retrieve(m_seam.data(), static_cast<size_t>(std::min<int64_t>(drop, kBlock)));
        if (got == 0)
            feed();
        drop -= static_cast<int64_t>(got);
    }
    m_stretchOut = outputFrame;
    m_primed = true;
}

void TimeScaler::feed()
{
    size_t want = m_stretcher->getSamplesRequired();
    want = std::clamp<size_t>(want, kBlock / 4, kBlock);
    const double ratio = m_map.localRatio(static_cast<double>(m_feedAt) + static_cast<double>(want) / 2.0);
    if (ratio != m_lastRatio) {
        m_stretcher->setTimeRatio(ratio);
        m_lastRatio = ratio;
    }
    readSource(m_feedAt, m_interleaved.data(), want);
    const size_t ch = static_cast<size_t>(m_channels);
    for (size_t c = 0; c < ch; ++c) {
        float* plane = m_planes[c].data();
        for (size_t i = 0; i < want; ++i)
            plane[i] = m_interleaved[i * ch + c];
    }
    m_stretcher->process(m_planePointers.data(), want, false);
    m_feedAt += static_cast<int64_t>(want);
}

size_t TimeScaler::retrieve(float* dest, size_t frames)
{
    const int available = m_stretcher->available();
    if (available <= 0)
        return 0;
    const size_t n = std::min({static_cast<size_t>(available), frames, kBlock});
    m_stretcher->retrieve(m_planePointers.data(), n);
    const size_t ch = static_cast<size_t>(m_channels);
    for (size_t c = 0; c < ch; ++c) {
        const float* plane = m_planes[c].data();
        for (size_t i = 0; i < n; ++i)
            dest[i * ch + c] = plane[i];
    }
    return n;
}

// Where a stretched segment meets one copied frame for frame, fade between the stretched
// signal and the source running on at its own speed, so the copied side stays exact and
// the join is continuous.
void TimeScaler::blendSeams(const TimeScaleMap::Segment& segment, size_t index, int64_t at, float* dest,
                            size_t frames)
{
    const auto& segments = m_map.segments();
    const int64_t seam = std::min<int64_t>(kSeamFrames, (segment.outEnd - segment.outBegin) / 2);
    if (seam <= 0)
        return;
    const size_t ch = static_cast<size_t>(m_channels);
    const int64_t end = at + static_cast<int64_t>(frames);

    if (index > 0 && !segments[index - 1].stretched) {
        const int64_t from = std::max(at, segment.outBegin);
        const int64_t to = std::min(end, segment.outBegin + seam);
        if (to > from) {
            readSource(segment.sourceBegin + (from - segment.outBegin), m_seam.data(), static_cast<size_t>(to - from));
            for (int64_t o = from; o < to; ++o) {
                const float w = static_cast<float>((static_cast<double>(o - segment.outBegin) + 0.5) / seam);
                float* d = dest + static_cast<size_t>(o - at) * ch;
                const float* s = m_seam.data() + static_cast<size_t>(o - from) * ch;
                for (size_t c = 0; c < ch; ++c)
                    d[c] = (1.0f - w) * s[c] + w * d[c];
            }
        }
    }
    if (index + 1 < segments.size() && !segments[index + 1].stretched) {
        const int64_t from = std::max(at, segment.outEnd - seam);
        const int64_t to = std::min(end, segment.outEnd);
        if (to > from) {
            const int64_t next = segments[index + 1].sourceBegin;
            readSource(next - (segment.outEnd - from), m_seam.data(), static_cast<size_t>(to - from));
            for (int64_t o = from; o < to; ++o) {
                const float w = static_cast<float>((static_cast<double>(segment.outEnd - o) - 0.5) / seam);
                float* d = dest + static_cast<size_t>(o - at) * ch;
                const float* s = m_seam.data() + static_cast<size_t>(o - from) * ch;
                for (size_t c = 0; c < ch; ++c)
                    d[c] = w * d[c] + (1.0f - w) * s[c];
            }
        }
    }
}

} // namespace quillon::filefilter
