#include "source_file.h"

#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace quillon::filefilter {

SourceFile::~SourceFile() { close(); }

SourceFile::SourceFile(SourceFile&& other) noexcept { *this = std::move(other); }

SourceFile& SourceFile::operator=(SourceFile&& other) noexcept
{
    if (this != &other) {
        close();
        m_file = std::exchange(other.m_file, nullptr);
        m_io = std::move(other.m_io);
        m_info = std::move(other.m_info);
        std::copy(std::begin(other.m_positions), std::end(other.m_positions), m_positions);
        m_needsHistory = other.m_needsHistory;
        m_scratch = std::move(other.m_scratch);
    }
    return *this;
}

bool SourceFile::stamp(const std::string& path, FileStamp& out)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    out.size = static_cast<uint64_t>(st.st_size);
    out.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

bool SourceFile::open(const std::string& path)
{
    close();
    SourceInfo info;
    info.path = path;
    // Only regular files: opening a FIFO or a device would block or read forever.
    if (path.empty() || !stamp(path, info.stamp))
        return false;
    auto io = std::make_unique<BufferedSource>();
    if (!io->open(path))
        return false;
    SF_INFO sfInfo{};
    SNDFILE* file = sf_open_virtual(BufferedSource::virtualIo(), SFM_READ, &sfInfo, io.get());
    if (!file)
        return false;
    auto fail = [&] {
        sf_close(file);
        return false;
    };
    if (sfInfo.channels < 1 || sfInfo.channels > kMaxChannels || sfInfo.samplerate < 1 ||
        sfInfo.samplerate > kMaxRate)
        return fail();
    // A header may promise frames that are not there: a file counts as audio only when its
    // first frame can be decoded.
    std::vector<float> probe(static_cast<size_t>(sfInfo.channels));
    if (sf_readf_float(file, probe.data(), 1) != 1)
        return fail();
    info.frames = sfInfo.frames;
    if (info.frames <= 0 || info.frames == SF_COUNT_MAX) {
        // Streams without a stated length are measured by decoding them once.
        std::vector<float> buf(static_cast<size_t>(sfInfo.channels) * 8192);
        int64_t n = 1;
        for (sf_count_t got; (got = sf_readf_float(file, buf.data(), 8192)) > 0;)
            n += got;
        info.frames = n;
    }
    if (sf_seek(file, 0, SEEK_SET) != 0) {
        // Reopen rather than trust a handle that cannot go back.
        sf_close(file);
        if (!io->open(path))
            return false;
        SF_INFO again{};
        file = sf_open_virtual(BufferedSource::virtualIo(), SFM_READ, &again, io.get());
        if (!file)
            return false;
    }
    info.channels = sfInfo.channels;
    info.rate = sfInfo.samplerate;
    info.format = sfInfo.format;
    int map[kMaxChannels] = {};
    if (sf_command(file, SFC_GET_CHANNEL_MAP_INFO, map, static_cast<int>(sizeof(int) * info.channels)) == SF_TRUE)
        std::copy(map, map + info.channels, m_positions);
    else
        std::fill(std::begin(m_positions), std::end(m_positions), 0);
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    m_needsHistory = subtype == SF_FORMAT_VORBIS || subtype == SF_FORMAT_OPUS || subtype == SF_FORMAT_MPEG_LAYER_I ||
                     subtype == SF_FORMAT_MPEG_LAYER_II || subtype == SF_FORMAT_MPEG_LAYER_III;
    m_scratch.assign(m_needsHistory ? kScratchFrames * static_cast<size_t>(info.channels) : 0, 0.0f);
    m_file = file;
    m_io = std::move(io);
    m_info = std::move(info);
    return true;
}

void SourceFile::close()
{
    if (m_file) {
        sf_close(m_file);
        m_file = nullptr;
    }
    m_io.reset();
}

int64_t SourceFile::read(float* dest, int64_t frames)
{
    if (!m_file || frames <= 0)
        return 0;
    const sf_count_t got = sf_readf_float(m_file, dest, frames);
    return got > 0 ? got : 0;
}

bool SourceFile::seek(int64_t frame)
{
    if (!m_file)
        return false;
    if (!m_needsHistory)
        return sf_seek(m_file, frame, SEEK_SET) == frame;
    // Right after a seek these decoders deliver a few hundred frames that differ from
    // decoding straight through (overlapping transform windows, the MP3 bit reservoir).
    const int64_t start = std::max<int64_t>(0, frame - kHistoryFrames);
    if (sf_seek(m_file, start, SEEK_SET) != start)
        return false;
    const int64_t chunk = static_cast<int64_t>(kScratchFrames);
    for (int64_t left = frame - start; left > 0;) {
        const int64_t n = std::min(left, chunk);
        if (sf_readf_float(m_file, m_scratch.data(), n) != n)
            return false;
        left -= n;
    }
    return true;
}

int SourceFile::channelPosition(int channel) const
{
    return channel >= 0 && channel < kMaxChannels ? m_positions[channel] : 0;
}

WAVEFORMATEX SourceFile::waveFormat(const SourceInfo& info)
{
    uint16_t tag = QUILLON_WAVE_FORMAT_PCM;
    uint16_t bits = 16;
    switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: bits = 8; break;
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_ALAC_24:
    case SF_FORMAT_DWVW_24: bits = 24; break;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_ALAC_32: bits = 32; break;
    case SF_FORMAT_FLOAT:
        tag = QUILLON_WAVE_FORMAT_IEEE_FLOAT;
        bits = 32;
        break;
    case SF_FORMAT_DOUBLE:
        tag = QUILLON_WAVE_FORMAT_IEEE_FLOAT;
        bits = 64;
        break;
    default: break; // 16-bit PCM stands for every compressed encoding
    }
    WAVEFORMATEX f{};
    f.wFormatTag = tag;
    f.nChannels = static_cast<uint16_t>(info.channels);
    f.nSamplesPerSec = static_cast<uint32_t>(info.rate);
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<uint16_t>(info.channels * bits / 8);
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    f.cbSize = 0;
    return f;
}

} // namespace quillon::filefilter
