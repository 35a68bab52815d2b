#include "effect_rig.h"

#include "plugins/host_audio_block.h"
#include "plugins/host_byte_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>

namespace quillon::test {

namespace {

struct Shipped {
    Shipped()
    {
        const char* dir = std::getenv("QUILLON_SERVER_DIR");
        EXPECT_TRUE(host.addServerLibrary(std::string(dir ? dir : "") + "/effects.so"));
        catalog.build(host);
    }
    PluginHost host;
    EffectCatalog catalog;
};

Shipped& shipped()
{
    static Shipped s;
    return s;
}

} // namespace

const EffectCatalog& EffectRig::catalog() { return shipped().catalog; }

std::vector<std::string> EffectRig::effectNames()
{
    std::vector<std::string> names;
    for (const EffectCatalogEntry& e : catalog().entries())
        if (std::find(names.begin(), names.end(), e.name) == names.end())
            names.push_back(e.name);
    return names;
}

EffectRig::EffectRig(const std::string& name, uint32_t rate, uint32_t channels) : m_rate(rate), m_channels(channels)
{
    for (const EffectCatalogEntry& e : catalog().entries()) {
        if (e.name == name) {
            m_instance = catalog().create(e);
            break;
        }
    }
    if (!m_instance.isValid()) {
        ADD_FAILURE() << "no effect " << name;
        return;
    }
    reset();
}

void EffectRig::reset()
{
    QuillonFxFormat format{m_rate, m_channels, 0};
    m_instance.call(QUILLON_FX_SET_FORMAT, format);
}

void EffectRig::set(uint32_t parameter, float value)
{
    QuillonFxParameter p{parameter, value};
    m_instance.call(QUILLON_FX_SET_PARAMETER, p);
}

float EffectRig::get(uint32_t parameter)
{
    QuillonFxParameter p{parameter, 0.0f};
    m_instance.call(QUILLON_FX_GET_PARAMETER, p);
    return p.value;
}

uint32_t EffectRig::parameterCount()
{
    QuillonFxParameterCount p{};
    m_instance.call(QUILLON_FX_PARAMETER_COUNT, p);
    return p.count;
}

QuillonFxParameterRange EffectRig::range(uint32_t parameter)
{
    QuillonFxParameterRange p{parameter, 0, 0, 0, 0};
    m_instance.call(QUILLON_FX_PARAMETER_RANGE, p);
    return p;
}

void EffectRig::setValue(int32_t value)
{
    QuillonFxSetValue p{value, 0};
    m_instance.call(QUILLON_FX_SET_VALUE, p);
}

void EffectRig::run(std::vector<float>& frames, uint32_t blockFrames)
{
    const size_t total = frames.size() / m_channels;
    for (size_t start = 0; start < total; start += blockFrames) {
        const uint32_t n = static_cast<uint32_t>(std::min<size_t>(blockFrames, total - start));
        HostAudioBlock block(frames.data() + start * m_channels, n, m_channels, n, static_cast<int32_t>(start));
        QuillonFxProcess p{block.record()};
        m_instance.call(QUILLON_FX_PROCESS, p);
        ASSERT_EQ(block.frameCount(), n);
    }
}

std::vector<float> EffectRig::processed(std::vector<float> frames, uint32_t blockFrames)
{
    run(frames, blockFrames);
    return frames;
}

std::vector<uint8_t> EffectRig::saveState()
{
    MemoryStream stream;
    HostByteStream host(stream);
    QuillonFxStream p{host.record()};
    m_instance.call(QUILLON_FX_SAVE_STATE, p);
    return stream.bytes();
}

void EffectRig::loadState(const std::vector<uint8_t>& state)
{
    MemoryStream stream(state);
    stream.seekToBegin();
    HostByteStream host(stream);
    QuillonFxStream p{host.record()};
    m_instance.call(QUILLON_FX_LOAD_STATE, p);
}

std::vector<float> sine(double frequency, double amplitude, double seconds, uint32_t rate, uint32_t channels)
{
    const size_t n = static_cast<size_t>(seconds * rate);
    std::vector<float> out(n * channels);
    for (size_t i = 0; i < n; ++i) {
        const float v = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * frequency * double(i) / rate));
        for (uint32_t c = 0; c < channels; ++c)
            out[i * channels + c] = v;
    }
    return out;
}

std::vector<float> noise(double amplitude, double seconds, uint32_t rate, uint32_t channels, uint32_t seed)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> dist(static_cast<float>(-amplitude), static_cast<float>(amplitude));
    std::vector<float> out(static_cast<size_t>(seconds * rate) * channels);
    for (float& v : out)
        v = dist(gen);
    return out;
}

std::vector<float> silence(double seconds, uint32_t rate, uint32_t channels)
{
    return std::vector<float>(static_cast<size_t>(seconds * rate) * channels, 0.0f);
}

double rms(const std::vector<float>& frames, uint32_t channels, uint32_t channel, size_t from, size_t to)
{
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) {
        const double v = frames[i * channels + channel];
        sum += v * v;
    }
    return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}

double peak(const std::vector<float>& frames, uint32_t channels, uint32_t channel, size_t from, size_t to)
{
    double p = 0.0;
    for (size_t i = from; i < to; ++i)
        p = std::max(p, std::fabs(double(frames[i * channels + channel])));
    return p;
}

double peakAll(const std::vector<float>& frames)
{
    double p = 0.0;
    for (float v : frames)
        p = std::max(p, std::fabs(double(v)));
    return p;
}

double toDb(double ratio) { return 20.0 * std::log10(ratio); }

} // namespace quillon::test
