#include "audio_writer.h"

#include <sndfile.h>
#include <soxr.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quillon::filefilter {

namespace {

// Frames converted per libsndfile call; bounds the scratch buffers.
constexpr size_t kChunkFrames = 16384;

// Opus streams run at one of these rates; anything else is converted to 48 kHz.
bool isOpusRate(uint32_t rate)
{
    return rate == 8000 || rate == 12000 || rate == 16000 || rate == 24000 || rate == 48000;
}

int pcmSubtype(int bits, bool unsignedEight)
{
    switch (bits) {
    case 8: return unsignedEight ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_S8;
    case 16: return SF_FORMAT_PCM_16;
    case 24: return SF_FORMAT_PCM_24;
    default: return SF_FORMAT_PCM_32;
    }
}

// Float to an n-bit integer: round to nearest (ties to even), clip at full scale, NaN as
// silence. Clipping before rounding gives the same result as after, as both ends are
// whole numbers; adding and taking away 1.5 * 2^52 rounds in the current (nearest) mode
// without a library call, so the loop over a block vectorises.
inline int32_t quantise(float x, double scale, double lo, double hi)
{
    constexpr double kRound = 6755399441055744.0;
    double v = static_cast<double>(x) * scale;
    v = v < lo ? lo : v;
    v = v > hi ? hi : v;
    v = v == v ? v : 0.0;
    return static_cast<int32_t>((v + kRound) - kRound);
}

} // namespace

AudioWriter::AudioWriter() = default;

AudioWriter::~AudioWriter()
{
    close();
}

bool AudioWriter::fail(std::string message)
{
    m_error = std::move(message);
    return false;
}

bool AudioWriter::open(const std::string& path, const WAVEFORMATEX& destination, Input input,
                       const SaveOptions& options, int64_t expectedFrames)
{
    close();
    m_error.clear();
    m_framesWritten = 0;
    m_updateHeader = false;

    const int index = exportFormatForPath(path);
    if (index < 0)
        return fail("the file type of \"" + path + "\" cannot be written");
    m_type = exportFormats()[static_cast<size_t>(index)].type;

    const bool isFloat = destination.wFormatTag == QUILLON_WAVE_FORMAT_IEEE_FLOAT;
    const int bits = destination.wBitsPerSample;
    if (destination.nChannels < 1 || destination.nChannels > 64)
        return fail("unsupported channel count");
    if (destination.nSamplesPerSec < 1000 || destination.nSamplesPerSec > 768000)
        return fail("unsupported sample rate");
    if (isFloat ? bits != 32
                : destination.wFormatTag != QUILLON_WAVE_FORMAT_PCM ||
                      (bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return fail("unsupported sample format");

    const SaveOptions o = options.clamped();
    m_input = input;
    m_destination = destination;
    m_channels = destination.nChannels;
    m_inputBits = (input == Input::Recorded && !isFloat) ? bits : 0;
    m_fileRate = static_cast<int>(destination.nSamplesPerSec);

    // The file's own resolution: a recording keeps the resolution it was captured in; an
    // export follows the options, else the destination format.
    int fileBits = isFloat ? 0 : bits;
    if (input == Input::Float && (m_type == ExportType::Wav || m_type == ExportType::Aiff)) {
        switch (o.wavSampleType) {
        case WavSampleType::Pcm16: fileBits = 16; break;
        case WavSampleType::Pcm24: fileBits = 24; break;
        case WavSampleType::Pcm32: fileBits = 32; break;
        case WavSampleType::Float32: fileBits = 0; break;
        case WavSampleType::FromFormat: break;
        }
    }

    int format = 0;
    bool growingWav = false; // RF64 that stays RIFF below 4 GiB
    switch (m_type) {
    case ExportType::Wav: {
        const int subtype = fileBits ? pcmSubtype(fileBits, true) : SF_FORMAT_FLOAT;
        const int64_t dataBytes = expectedFrames * m_channels * (fileBits ? fileBits / 8 : 4);
        if (m_channels > 2 || expectedFrames <= 0) {
            format = SF_FORMAT_RF64 | subtype;
            growingWav = true;
        } else {
            format = (dataBytes > kRiffDataLimit ? SF_FORMAT_RF64 : SF_FORMAT_WAV) | subtype;
        }
        break;
    }
    case ExportType::Aiff:
        format = SF_FORMAT_AIFF | (fileBits ? pcmSubtype(fileBits, false) : SF_FORMAT_FLOAT);
        break;
    case ExportType::Flac:
        // FLAC carries at most 24 bits; deeper and float sources are rounded to 24.
        fileBits = (fileBits == 0 || fileBits > 24) ? 24 : fileBits;
        format = SF_FORMAT_FLAC | pcmSubtype(fileBits, false);
        break;
    case ExportType::OggVorbis:
        fileBits = 0;
        format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
        break;
    case ExportType::Opus:
        fileBits = 0;
        format = SF_FORMAT_OGG | SF_FORMAT_OPUS;
        if (!isOpusRate(destination.nSamplesPerSec))
            m_fileRate = 48000;
        break;
    case ExportType::Mp3:
        fileBits = 0;
        format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
        break;
    }
    m_fileBits = fileBits;
    m_fileFormat = format;

    SF_INFO info{};
    info.samplerate = m_fileRate;
    info.channels = m_channels;
    info.format = format;
    if (!sf_format_check(&info))
        return fail("libsndfile cannot write this format");
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return fail(std::string("cannot create the file: ") + sf_strerror(nullptr));
    m_file = file;

    switch (m_type) {
    case ExportType::Wav:
        if (growingWav) {
            sf_command(file, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
            if (m_channels <= 2)
                m_patchFd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        }
        m_updateHeader = true;
        break;
    case ExportType::Aiff:
        m_updateHeader = true;
        break;
    case ExportType::Flac: {
        double level = o.flacCompressionLevel / 8.0;
        sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
        break;
    }
    case ExportType::OggVorbis: {
        double quality = o.vorbisQuality;
        sf_command(file, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
        break;
    }
    case ExportType::Opus: {
        double level = 1.0 - o.opusQuality;
        sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
        break;
    }
    case ExportType::Mp3: {
        // libsndfile spreads the compression level linearly over 320..32 kbit/s.
        int mode = SF_BITRATE_MODE_CONSTANT;
        sf_command(file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
        double level = (320.0 - o.mp3BitRate) / 288.0;
        sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
        break;
    }
    }

    if (m_fileRate != static_cast<int>(destination.nSamplesPerSec)) {
        soxr_error_t error = nullptr;
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        m_resampler = soxr_create(destination.nSamplesPerSec, m_fileRate, static_cast<unsigned>(m_channels), &error,
                                  &io, &quality, nullptr);
        if (!m_resampler) {
            close();
            return fail(std::string("cannot convert the sample rate: ") + (error ? error : ""));
        }
        const double ratio = static_cast<double>(m_fileRate) / destination.nSamplesPerSec;
        m_resampled.assign((static_cast<size_t>(kChunkFrames * ratio) + 64) * m_channels, 0.0f);
    }

    const size_t samples = kChunkFrames * static_cast<size_t>(m_channels);
    m_quantised.assign(samples, 0);
    m_shorts.assign(samples, 0);
    m_floats.assign(samples, 0.0f);
    return true;
}

bool AudioWriter::write(const void* frames, size_t count)
{
    if (!m_file)
        return fail("no file is open");
    if (count == 0)
        return true;
    if (!frames)
        return fail("no frames");
    const bool ok = m_inputBits ? writeRecorded(static_cast<const uint8_t*>(frames), count)
                                : writeFloat(static_cast<const float*>(frames), count);
    // Once per block handed in, not per chunk written: a header update costs three
    // system calls.
    if (m_updateHeader) {
        sf_command(m_file, SFC_UPDATE_HEADER_NOW, nullptr, 0);
        plainFormatChunk();
    }
    return ok;
}

bool AudioWriter::writeFloat(const float* frames, size_t count)
{
    const size_t channels = static_cast<size_t>(m_channels);
    while (count > 0) {
        const size_t n = std::min(count, kChunkFrames);
        if (!(m_resampler ? resample(frames, n) : storeFloat(frames, n)))
            return false;
        m_framesWritten += static_cast<int64_t>(n);
        frames += n * channels;
        count -= n;
    }
    return true;
}

bool AudioWriter::resample(const float* frames, size_t count)
{
    const size_t channels = static_cast<size_t>(m_channels);
    const size_t capacity = m_resampled.size() / channels;
    while (count > 0) {
        size_t used = 0;
        size_t out = 0;
        // A null input would tell soxr that the stream has ended, so frames is never null here.
        if (soxr_error_t error = soxr_process(m_resampler, frames, count, &used, m_resampled.data(), capacity, &out))
            return fail(std::string("sample rate conversion failed: ") + error);
        if (out && !storeFloat(m_resampled.data(), out))
            return false;
        if (used == 0 && out == 0)
            return fail("sample rate conversion stalled");
        frames += used * channels;
        count -= used;
    }
    return true;
}

bool AudioWriter::storeFloat(const float* frames, size_t count)
{
    if (m_fileBits == 0) {
        if (sf_writef_float(m_file, frames, static_cast<sf_count_t>(count)) != static_cast<sf_count_t>(count))
            return fail(std::string("write failed: ") + sf_strerror(m_file));
        return true;
    }
    const size_t channels = static_cast<size_t>(m_channels);
    const double scale = std::ldexp(1.0, m_fileBits - 1);
    while (count > 0) {
        const size_t n = std::min(count, kChunkFrames);
        for (size_t i = 0; i < n * channels; ++i)
            m_quantised[i] = quantise(frames[i], scale, -scale, scale - 1.0);
        if (!storeQuantised(m_quantised.data(), n))
            return false;
        frames += n * channels;
        count -= n;
    }
    return true;
}

// Values are at the file's own resolution; libsndfile's integer paths from a wider
// container to a narrower file only drop the low bits we leave zero.
bool AudioWriter::storeQuantised(const int32_t* values, size_t count)
{
    const size_t samples = count * static_cast<size_t>(m_channels);
    sf_count_t written = 0;
    if (m_fileBits <= 16) {
        const int shift = 16 - m_fileBits;
        for (size_t i = 0; i < samples; ++i)
            m_shorts[i] = static_cast<int16_t>(static_cast<uint32_t>(values[i]) << shift);
        written = sf_writef_short(m_file, m_shorts.data(), static_cast<sf_count_t>(count));
    } else {
        const int shift = 32 - m_fileBits;
        if (shift == 0) {
            written = sf_writef_int(m_file, values, static_cast<sf_count_t>(count));
        } else {
            for (size_t i = 0; i < samples; ++i)
                m_quantised[i] = static_cast<int32_t>(static_cast<uint32_t>(values[i]) << shift);
            written = sf_writef_int(m_file, m_quantised.data(), static_cast<sf_count_t>(count));
        }
    }
    if (written != static_cast<sf_count_t>(count))
        return fail(std::string("write failed: ") + sf_strerror(m_file));
    return true;
}

bool AudioWriter::writeRecorded(const uint8_t* frames, size_t count)
{
    const size_t channels = static_cast<size_t>(m_channels);
    const size_t bytes = static_cast<size_t>(m_inputBits / 8);
    while (count > 0) {
        const size_t n = std::min(count, kChunkFrames);
        const size_t samples = n * channels;
        // Each sample to a left-aligned 32-bit word, the common ground of every width.
        for (size_t i = 0; i < samples; ++i) {
            const uint8_t* p = frames + i * bytes;
            uint32_t word = 0;
            switch (bytes) {
            case 1: word = static_cast<uint32_t>(p[0] ^ 0x80u) << 24; break;
            case 2: word = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 24); break;
            case 3: word = (uint32_t{p[0]} << 8) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 24); break;
            default: std::memcpy(&word, p, 4); break;
            }
            m_quantised[i] = static_cast<int32_t>(word);
        }
        if (m_fileBits == 0) {
            for (size_t i = 0; i < samples; ++i)
                m_floats[i] = static_cast<float>(m_quantised[i] * (1.0 / 2147483648.0));
            if (!(m_resampler ? resample(m_floats.data(), n) : storeFloat(m_floats.data(), n)))
                return false;
        } else {
            const int drop = 32 - m_fileBits;
            if (drop > 0) {
                // Narrower file than input: round to nearest, saturating at the top.
                const int64_t half = int64_t{1} << (drop - 1);
                const int64_t hi = (int64_t{1} << (m_fileBits - 1)) - 1;
                for (size_t i = 0; i < samples; ++i)
                    m_quantised[i] = static_cast<int32_t>(std::min((int64_t{m_quantised[i]} + half) >> drop, hi));
            }
            if (!storeQuantised(m_quantised.data(), n))
                return false;
        }
        m_framesWritten += static_cast<int64_t>(n);
        frames += samples * bytes;
        count -= n;
    }
    return true;
}

bool AudioWriter::flushResampler()
{
    if (!m_resampler)
        return true;
    const size_t capacity = m_resampled.size() / static_cast<size_t>(m_channels);
    // A null input ends the stream: soxr hands out its delayed tail, then nothing more.
    bool ok = true;
    for (;;) {
        size_t out = 0;
        if (soxr_process(m_resampler, nullptr, 0, nullptr, m_resampled.data(), capacity, &out) || out == 0)
            break;
        if (!storeFloat(m_resampled.data(), out)) {
            ok = false;
            break;
        }
    }
    soxr_delete(m_resampler);
    m_resampler = nullptr;
    return ok;
}

void AudioWriter::plainFormatChunk()
{
    if (m_patchFd < 0)
        return;
    // The header as libsndfile wrote it: RIFF (or RF64) and WAVE, then chunks; the format
    // chunk lies within the first few dozen bytes.
    uint8_t header[256];
    const ssize_t got = ::pread(m_patchFd, header, sizeof header, 0);
    if (got < 12 || std::memcmp(header + 8, "WAVE", 4) != 0)
        return;
    auto le16 = [&](size_t at) { return uint32_t{header[at]} | uint32_t{header[at + 1]} << 8; };
    auto le32 = [&](size_t at) { return le16(at) | le16(at + 2) << 16; };
    constexpr size_t kExtensibleSize = 40;
    for (size_t at = 12; at + 8 + kExtensibleSize <= static_cast<size_t>(got);) {
        const uint32_t size = le32(at + 4);
        if (std::memcmp(header + at, "fmt ", 4) != 0) {
            at += 8 + size + (size & 1);
            continue;
        }
        if (size != kExtensibleSize || le16(at + 8) != 0xFFFE)
            return; // already plain
        const uint8_t* fmt = header + at + 8;
        const uint32_t tag = le16(at + 8 + 24); // the first two bytes of the sub-format
        if (tag != QUILLON_WAVE_FORMAT_PCM && tag != QUILLON_WAVE_FORMAT_IEEE_FLOAT)
            return;
        // A plain chunk (with cbSize for float, as non-PCM tags carry it), then JUNK up to
        // where the extensible chunk ended, so the data does not move.
        uint8_t chunk[8 + kExtensibleSize]{};
        auto put16 = [&](size_t off, uint32_t v) {
            chunk[off] = static_cast<uint8_t>(v);
            chunk[off + 1] = static_cast<uint8_t>(v >> 8);
        };
        auto put32 = [&](size_t off, uint32_t v) {
            put16(off, v & 0xFFFF);
            put16(off + 2, v >> 16);
        };
        const uint32_t plainSize = tag == QUILLON_WAVE_FORMAT_PCM ? 16 : 18;
        std::memcpy(chunk, "fmt ", 4);
        put32(4, plainSize);
        put16(8, tag);
        std::memcpy(chunk + 10, fmt + 2, 14); // channels, rate, byte rate, block align, bits
        const size_t junk = 8 + plainSize;
        std::memcpy(chunk + junk, "JUNK", 4);
        put32(junk + 4, static_cast<uint32_t>(sizeof chunk - junk - 8));
        // A failed write leaves the extensible chunk, which is valid too.
        [[maybe_unused]] const ssize_t written = ::pwrite(m_patchFd, chunk, sizeof chunk, static_cast<off_t>(at));
        return;
    }
}

bool AudioWriter::close()
{
    if (!m_file) {
        if (m_resampler) {
            soxr_delete(m_resampler);
            m_resampler = nullptr;
        }
        return m_error.empty();
    }
    bool ok = flushResampler();
    if (sf_close(m_file) != 0)
        ok = fail("closing the file failed");
    m_file = nullptr;
    // Closing wrote the header a last time.
    plainFormatChunk();
    if (m_patchFd >= 0) {
        ::close(m_patchFd);
        m_patchFd = -1;
    }
    return ok;
}

} // namespace quillon::filefilter
