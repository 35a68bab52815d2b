#include "test_signals.h"

#include <sndfile.h>

#include <cmath>
#include <numbers>

namespace quillon::test {

std::vector<float> sine(double frequency, double amplitude, int rate, int channels, int64_t frames)
{
    std::vector<float> out(static_cast<size_t>(frames * channels));
    for (int64_t i = 0; i < frames; ++i) {
        const float v = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * frequency * i / rate));
        for (int c = 0; c < channels; ++c)
            out[static_cast<size_t>(i * channels + c)] = v;
    }
    return out;
}

ReadBack readFile(const std::string& path)
{
    ReadBack r;
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f)
        return r;
    r.rate = info.samplerate;
    r.channels = info.channels;
    r.format = info.format;
    std::vector<float> block(4096 * static_cast<size_t>(info.channels));
    for (;;) {
        const sf_count_t n = sf_readf_float(f, block.data(), 4096);
        if (n <= 0)
            break;
        r.samples.insert(r.samples.end(), block.begin(), block.begin() + n * info.channels);
    }
    sf_close(f);
    return r;
}

std::vector<int32_t> readFileInts(const std::string& path)
{
    std::vector<int32_t> out;
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f)
        return out;
    std::vector<int32_t> block(4096 * static_cast<size_t>(info.channels));
    for (;;) {
        const sf_count_t n = sf_readf_int(f, block.data(), 4096);
        if (n <= 0)
            break;
        out.insert(out.end(), block.begin(), block.begin() + n * info.channels);
    }
    sf_close(f);
    return out;
}

double toneFrequency(const std::vector<float>& samples, int channels, int64_t begin, int64_t end, int rate)
{
    double first = -1.0;
    double last = -1.0;
    int crossings = 0;
    for (int64_t i = begin + 1; i < end; ++i) {
        const double a = samples[static_cast<size_t>((i - 1) * channels)];
        const double b = samples[static_cast<size_t>(i * channels)];
        if (a < 0.0 && b >= 0.0) {
            const double at = static_cast<double>(i - 1) + a / (a - b);
            if (first < 0.0)
                first = at;
            last = at;
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0.0;
    return (crossings - 1) * rate / (last - first);
}

double rms(const std::vector<float>& samples, int channels, int64_t begin, int64_t end)
{
    double sum = 0.0;
    for (int64_t i = begin; i < end; ++i) {
        const double v = samples[static_cast<size_t>(i * channels)];
        sum += v * v;
    }
    return end > begin ? std::sqrt(sum / static_cast<double>(end - begin)) : 0.0;
}

} // namespace quillon::test
