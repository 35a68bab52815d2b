#include "stream_reader.h"

#include <soxr.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <utility>

namespace quillon::filefilter {

StreamReader::~StreamReader()
{
    if (m_soxr)
        soxr_delete(m_soxr);
}

int64_t StreamReader::prerollFrames(int sourceRate, int outputRate)
{
    // The high-quality filter reaches about 110 output frames either side of a sample
    // (measured over rate pairs from 8 to 96 kHz); the margin keeps its history exact.
    const int64_t down = (sourceRate + outputRate - 1) / outputRate;
    return 1024 * std::max<int64_t>(1, down);
}

void StreamReader::prepare(const std::shared_ptr<const StreamConfig>& config)
{
    if (config == m_config)
        return;
    const std::shared_ptr<const StreamConfig> old = std::exchange(m_config, config);
    if (!m_config)
        return;
    const bool formatChanged = !old || old->source.channels != m_config->source.channels ||
                               old->source.rate != m_config->source.rate || old->outRate != m_config->outRate ||
                               old->outChannels != m_config->outChannels || old->positions != m_config->positions;
    if (!m_file.isOpen() || m_openGeneration != m_config->sourceGeneration || m_openPath != m_config->source.path) {
        m_openGeneration = m_config->sourceGeneration;
        m_openPath = m_config->source.path;
        // A source that no longer opens reads as silence until it comes back.
        if (!m_file.open(m_openPath) || m_file.info().channels != m_config->source.channels)
            m_file.close();
    }
    if (formatChanged)
        configure();
    m_needsPosition = true;
    configureScaler(old.get());
}

void StreamReader::configureScaler(const StreamConfig* old)
{
    const StreamConfig& c = *m_config;
    if (c.scale.isIdentity()) {
        // Unscaled reads are the converted source itself, bit for bit.
        if (m_scaler) {
            m_position = m_scaler->position();
            m_needsPosition = true;
            m_scaler.reset();
        }
        return;
    }
    if (!m_scaler || !old || old->outChannels != c.outChannels || old->outRate != c.outRate) {
        const int64_t at = position();
        // The faster engine: several stretched clips must play at once in real time.
        m_scaler = std::make_unique<TimeScaler>(
            [this](int64_t from, float* dest, size_t frames) { return readUnscaled(from, dest, frames); },
            c.outChannels, c.outRate, TimeScaler::Quality::Fast);
        m_scaler->seek(at);
    }
    m_scaler->setMap(c.scale);
}

void StreamReader::configure()
{
    const StreamConfig& c = *m_config;
    const int in = c.source.channels;
    const int out = c.outChannels;
    m_narrowing = out < in;
    m_width = std::min(in, out);
    if (m_narrowing)
        m_preMix.configure(in, out, c.positions);
    else
        m_postMix.configure(in, out, c.positions);
    if (m_soxr) {
        soxr_delete(m_soxr);
        m_soxr = nullptr;
    }
    if (c.resamples()) {
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
        soxr_error_t error = nullptr;
        m_soxr = soxr_create(c.source.rate, c.outRate, static_cast<unsigned>(m_width), &error, &io, &quality,
                             &runtime);
        if (error)
            m_soxr = nullptr;
    }
    m_sourceBuf.assign(kChunk * static_cast<size_t>(in), 0.0f);
    m_midBuf.assign(kChunk * static_cast<size_t>(m_width), 0.0f);
    m_outBuf.assign(kChunk * static_cast<size_t>(m_width), 0.0f);
    m_discardBuf.assign(kChunk * static_cast<size_t>(out), 0.0f);
}

void StreamReader::seek(int64_t position)
{
    if (m_scaler)
        m_scaler->seek(position);
    else
        rawSeek(position);
}

uint32_t StreamReader::read(float* dest, uint32_t count)
{
    if (!m_config)
        return 0; // the instance never reads without a source
    if (m_scaler)
        return static_cast<uint32_t>(m_scaler->read(dest, count));
    return rawRead(dest, count);
}

size_t StreamReader::readUnscaled(int64_t position, float* dest, size_t frames)
{
    if (!m_config)
        return 0;
    rawSeek(position);
    size_t within = 0;
    for (size_t done = 0; done < frames;) {
        const auto n = static_cast<uint32_t>(std::min<size_t>(frames - done, UINT32_MAX));
        within += rawRead(dest + done * static_cast<size_t>(m_config->outChannels), n);
        done += n;
    }
    return within;
}

void StreamReader::rawSeek(int64_t position)
{
    if (position == m_position && !m_needsPosition)
        return; // the track seeks before every block; reading on is the common case
    m_position = position;
    m_needsPosition = true;
}

bool StreamReader::positionSource(int64_t frame)
{
    m_fileFrame = frame;
    const int64_t at = m_config->rangeBegin + frame;
    if (m_file.seek(at))
        return true;
    // Some decoders cannot seek: start over and read forward.
    if (!m_file.open(m_openPath))
        return false;
    for (int64_t left = at; left > 0;) {
        const int64_t n = std::min<int64_t>(left, static_cast<int64_t>(kChunk));
        if (m_file.read(m_sourceBuf.data(), n) != n)
            return false;
        left -= n;
    }
    return true;
}

int64_t StreamReader::readSource(float* dest, int64_t frames)
{
    const int64_t n = std::min(frames, m_config->rangeFrames - m_fileFrame);
    if (n <= 0)
        return 0;
    const int64_t got = m_file.read(dest, n);
    m_fileFrame += got;
    return got;
}

void StreamReader::reposition()
{
    m_needsPosition = false;
    m_input = nullptr;
    m_inputFrames = 0;
    m_sourceEnded = false;
    m_streamEnded = false;
    const StreamConfig& c = *m_config;
    const int64_t start = std::max<int64_t>(0, m_position);
    if (!m_file.isOpen() || start >= c.outLength) {
        m_streamEnded = true;
        return;
    }
    if (!c.resamples() || !m_soxr) {
        if (!c.resamples() && positionSource(start))
            return;
        m_streamEnded = true;
        return;
    }
    // Restart the resampler on a source frame whose time falls exactly on an output frame,
    // far enough back that the filter's history matches reading straight through, and
    // drop the output before the target.
    const int64_t g = std::gcd<int64_t, int64_t>(c.source.rate, c.outRate);
    const int64_t sourceStep = c.source.rate / g;
    const int64_t outputStep = c.outRate / g;
    const int64_t target = start * c.source.rate / c.outRate;
    const int64_t k = std::max<int64_t>(0, target - prerollFrames(c.source.rate, c.outRate)) / sourceStep;
    soxr_clear(m_soxr);
    if (!positionSource(k * sourceStep)) {
        m_streamEnded = true;
        return;
    }
    int64_t discard = start - k * outputStep;
    const size_t room = m_discardBuf.size() / static_cast<size_t>(c.outChannels);
    while (discard > 0) {
        const size_t got = pull(m_discardBuf.data(), static_cast<size_t>(std::min<int64_t>(discard, room)));
        if (got == 0)
            break;
        discard -= static_cast<int64_t>(got);
    }
}

uint32_t StreamReader::rawRead(float* dest, uint32_t count)
{
    const StreamConfig& c = *m_config;
    const size_t ch = static_cast<size_t>(c.outChannels);
    if (m_needsPosition)
        reposition();
    uint32_t within = 0;
    size_t done = 0;
    while (done < count) {
        float* to = dest + done * ch;
        const size_t left = count - done;
        if (m_position < 0) {
            const size_t n = static_cast<size_t>(std::min<int64_t>(-m_position, static_cast<int64_t>(left)));
            std::fill(to, to + n * ch, 0.0f);
            done += n;
            m_position += static_cast<int64_t>(n);
            continue;
        }
        if (m_position >= c.outLength) {
            std::fill(to, to + left * ch, 0.0f);
            m_position += static_cast<int64_t>(left);
            break;
        }
        const size_t want = static_cast<size_t>(std::min<int64_t>(c.outLength - m_position, static_cast<int64_t>(left)));
        const size_t got = m_streamEnded ? 0 : pull(to, want);
        if (got < want) {
            // The decoder ended before the stated length (a damaged file): silence instead.
            std::fill(to + got * ch, to + want * ch, 0.0f);
            m_streamEnded = true;
        }
        done += want;
        within += static_cast<uint32_t>(want);
        m_position += static_cast<int64_t>(want);
    }
    return within;
}

size_t StreamReader::pull(float* dest, size_t want)
{
    return m_config->resamples() ? pullResampled(dest, want) : pullDirect(dest, want);
}

size_t StreamReader::pullDirect(float* dest, size_t want)
{
    const ChannelMixer& mix = m_narrowing ? m_preMix : m_postMix;
    if (mix.isIdentity())
        return static_cast<size_t>(readSource(dest, static_cast<int64_t>(want)));
    const size_t outCh = static_cast<size_t>(m_config->outChannels);
    size_t done = 0;
    while (done < want) {
        const size_t n = std::min(want - done, kChunk);
        const size_t got = static_cast<size_t>(readSource(m_sourceBuf.data(), static_cast<int64_t>(n)));
        mix.apply(m_sourceBuf.data(), dest + done * outCh, got);
        done += got;
        if (got < n)
            break;
    }
    return done;
}

size_t StreamReader::pullResampled(float* dest, size_t want)
{
    const size_t outCh = static_cast<size_t>(m_config->outChannels);
    const size_t width = static_cast<size_t>(m_width);
    const bool widening = !m_narrowing && !m_postMix.isIdentity();
    size_t done = 0;
    while (done < want && !m_streamEnded) {
        if (m_inputFrames == 0 && !m_sourceEnded) {
            const size_t got = static_cast<size_t>(readSource(m_sourceBuf.data(), static_cast<int64_t>(kChunk)));
            if (got == 0) {
                m_sourceEnded = true;
            } else if (m_narrowing) {
                m_preMix.apply(m_sourceBuf.data(), m_midBuf.data(), got);
                m_input = m_midBuf.data();
            } else {
                m_input = m_sourceBuf.data();
            }
            m_inputFrames = got;
        }
        float* out = widening ? m_outBuf.data() : dest + done * outCh;
        const size_t room = widening ? std::min(want - done, m_outBuf.size() / width) : want - done;
        size_t used = 0;
        size_t made = 0;
        if (m_sourceEnded)
            soxr_process(m_soxr, nullptr, 0, nullptr, out, room, &made); // drain the filter
        else
            soxr_process(m_soxr, m_input, m_inputFrames, &used, out, room, &made);
        m_input += used * width;
        m_inputFrames -= used;
        if (widening)
            m_postMix.apply(m_outBuf.data(), dest + done * outCh, made);
        done += made;
        if (m_sourceEnded && made == 0)
            m_streamEnded = true;
    }
    return done;
}

} // namespace quillon::filefilter
