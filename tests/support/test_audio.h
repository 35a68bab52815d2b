#pragma once
// Test audio written with libsndfile: every channel is a sine of its own frequency and
// level, so that a reader's output can be checked sample by sample against the formula.
// Header-only: suites that include it link libsndfile themselves.

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace quillon::test {

struct TestTone {
    int rate = 44100;
    int channels = 2;
    int64_t frames = 44100;

    static double frequency(int channel) { return 441.0 * (channel + 1) + 17.0 * channel; }
    static double level(int channel) { return 0.8 / (1.0 + 0.25 * channel); }

    double sample(int channel, int64_t frame) const
    {
        return level(channel) * std::sin(2.0 * M_PI * frequency(channel) * static_cast<double>(frame) / rate);
    }

    std::vector<float> interleaved(int64_t first, int64_t count) const
    {
        std::vector<float> out(static_cast<size_t>(count * channels));
        for (int64_t f = 0; f < count; ++f)
            for (int c = 0; c < channels; ++c)
                out[static_cast<size_t>(f * channels + c)] = static_cast<float>(sample(c, first + f));
        return out;
    }
};

// Writes interleaved float frames in any format libsndfile writes; false when it refuses.
inline bool writeAudio(const std::string& path, int format, int rate, int channels, const std::vector<float>& frames)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f)
        return false;
    const sf_count_t n = static_cast<sf_count_t>(frames.size() / static_cast<size_t>(channels));
    const bool ok = sf_writef_float(f, frames.data(), n) == n;
    return sf_close(f) == 0 && ok;
}

inline bool writeTone(const std::string& path, int format, const TestTone& tone)
{
    return writeAudio(path, format, tone.rate, tone.channels, tone.interleaved(0, tone.frames));
}

// Every frame of a file as libsndfile decodes it.
inline std::vector<float> readAudio(const std::string& path, SF_INFO* infoOut = nullptr)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    std::vector<float> out;
    if (!f)
        return out;
    std::vector<float> buf(4096 * static_cast<size_t>(info.channels));
    for (sf_count_t got; (got = sf_readf_float(f, buf.data(), 4096)) > 0;)
        out.insert(out.end(), buf.begin(), buf.begin() + got * info.channels);
    sf_close(f);
    if (infoOut)
        *infoOut = info;
    return out;
}

} // namespace quillon::test
