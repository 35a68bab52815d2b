// LV2 plug-ins of the swh-lv2 package driven through the real host, as the program drives
// its effects: catalogue, parameters, blocks, state.

#include "plugins/effect_catalog.h"
#include "plugins/host_audio_block.h"
#include "plugins/host_byte_stream.h"
#include "plugins/plugin_host.h"

#include <gtest/gtest.h>
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using namespace quillon;

namespace {

struct Lv2Server {
    Lv2Server()
    {
        const char* dir = std::getenv("QUILLON_SERVER_DIR");
        EXPECT_TRUE(host.addServerLibrary(std::string(dir ? dir : "") + "/lv2.so"));
        catalog.build(host);
    }
    PluginHost host;
    EffectCatalog catalog;
};

template <class P>
int32_t send(const PluginInstance& effect, uint32_t code, P& param)
{
    return effect.command(code, &param, sizeof(P));
}

Lv2Server& server()
{
    static Lv2Server s;
    return s;
}

const EffectCatalogEntry* find(const std::string& name)
{
    for (const EffectCatalogEntry& e : server().catalog.entries())
        if (e.name == name)
            return &e;
    return nullptr;
}

PluginInstance make(const std::string& name, uint32_t rate, uint32_t channels)
{
    const EffectCatalogEntry* entry = find(name);
    if (!entry) {
        ADD_FAILURE() << "no LV2 effect " << name;
        return {};
    }
    PluginInstance effect = server().catalog.create(*entry);
    QuillonFxFormat format{rate, channels, 0};
    EXPECT_EQ(send(effect, QUILLON_FX_SET_FORMAT, format), 0);
    return effect;
}

void run(PluginInstance& effect, std::vector<float>& frames, uint32_t channels, uint32_t blockFrames)
{
    const size_t total = frames.size() / channels;
    for (size_t start = 0; start < total; start += blockFrames) {
        const uint32_t n = uint32_t(std::min<size_t>(blockFrames, total - start));
        HostAudioBlock block(frames.data() + start * channels, n, channels, n, int32_t(start));
        QuillonFxProcess p{block.record()};
        ASSERT_EQ(send(effect, QUILLON_FX_PROCESS, p), 0);
    }
}

// Channel c carries a sine of its own frequency and level.
std::vector<float> tones(uint32_t channels, size_t frames, uint32_t rate)
{
    std::vector<float> out(frames * channels);
    for (size_t f = 0; f < frames; ++f)
        for (uint32_t c = 0; c < channels; ++c)
            out[f * channels + c] = float((0.5 - 0.2 * c) * std::sin(2 * M_PI * (300.0 + 250.0 * c) * f / rate));
    return out;
}

double rms(const std::vector<float>& frames, uint32_t channels, uint32_t channel)
{
    double sum = 0;
    const size_t n = frames.size() / channels;
    for (size_t f = 0; f < n; ++f)
        sum += double(frames[f * channels + channel]) * frames[f * channels + channel];
    return std::sqrt(sum / double(n));
}

std::vector<uint8_t> saveState(PluginInstance& effect)
{
    MemoryStream stream;
    HostByteStream host(stream);
    QuillonFxStream p{host.record()};
    EXPECT_EQ(send(effect, QUILLON_FX_SAVE_STATE, p), 0);
    return stream.bytes();
}

int32_t loadState(PluginInstance& effect, const std::vector<uint8_t>& state)
{
    MemoryStream stream(state);
    stream.seekToBegin();
    HostByteStream host(stream);
    QuillonFxStream p{host.record()};
    return send(effect, QUILLON_FX_LOAD_STATE, p);
}

} // namespace

TEST(Lv2Server, OffersItsPluginsUnderTheLv2MenuWithTheirPortsAsParameters)
{
    const EffectCatalogEntry* amp = find("Simple amplifier");
    ASSERT_NE(amp, nullptr);
    size_t lv2Entries = 0;
    for (const EffectCatalogEntry& e : server().catalog.entries()) {
        EXPECT_EQ(e.menuPath.rfind("LV2\\", 0), 0u) << e.menuPath;
        lv2Entries += 1;
    }
    EXPECT_GT(lv2Entries, 50u);
    // Plug-ins with ports we cannot feed (control-voltage inputs, outputs without the
    // matching inputs) stay out.
    EXPECT_EQ(find("Bode frequency shifter (CV)"), nullptr);
    EXPECT_EQ(find("Analogue Oscillator"), nullptr);

    PluginInstance effect = make("Simple amplifier", 44100, 2);
    QuillonFxParameterCount count{};
    ASSERT_EQ(send(effect, QUILLON_FX_PARAMETER_COUNT, count), 0);
    ASSERT_EQ(count.count, 1u);
    QuillonFxParameterRange range{0, 0, 0, 0, 0};
    ASSERT_EQ(send(effect, QUILLON_FX_PARAMETER_RANGE, range), 0);
    EXPECT_EQ(range.minimum, -70.0f);
    EXPECT_EQ(range.maximum, 70.0f);
    EXPECT_EQ(range.defaultValue, 0.0f);
    std::string name(64, '\0');
    QuillonFxParameterText text{0, name.data(), uint32_t(name.size())};
    ASSERT_EQ(send(effect, QUILLON_FX_PARAMETER_NAME, text), 0);
    EXPECT_STREQ(name.c_str(), "Amps gain (dB)");
    // Out of range is clamped to the port's bounds.
    QuillonFxParameter set{0, 500.0f};
    ASSERT_EQ(send(effect, QUILLON_FX_SET_PARAMETER, set), 0);
    QuillonFxParameter get{0, 0.0f};
    ASSERT_EQ(send(effect, QUILLON_FX_GET_PARAMETER, get), 0);
    EXPECT_EQ(get.value, 70.0f);
}

struct GainCase {
    uint32_t channels;
    float gainDb;
    uint32_t blockFrames; // crosses the server's own chunks or not
};

class Lv2Amplifier : public ::testing::TestWithParam<GainCase> {};

// A mono plug-in runs on every channel of the chain, each with the gain its port says.
TEST_P(Lv2Amplifier, ScalesEveryChannelByItsGainParameter)
{
    const GainCase c = GetParam();
    PluginInstance effect = make("Simple amplifier", 48000, c.channels);
    QuillonFxParameter set{0, c.gainDb};
    ASSERT_EQ(send(effect, QUILLON_FX_SET_PARAMETER, set), 0);
    const std::vector<float> dry = tones(c.channels, 48000, 48000);
    std::vector<float> wet = dry;
    run(effect, wet, c.channels, c.blockFrames);
    for (uint32_t ch = 0; ch < c.channels; ++ch)
        EXPECT_NEAR(20 * std::log10(rms(wet, c.channels, ch) / rms(dry, c.channels, ch)), c.gainDb, 0.01)
            << "channel " << ch;
}

INSTANTIATE_TEST_SUITE_P(Chains, Lv2Amplifier,
                         ::testing::Values(GainCase{1, -6.0f, 4096}, GainCase{2, -12.0f, 4096},
                                           GainCase{2, 6.0f, 300}, GainCase{2, 0.0f, 512}));

// A stereo plug-in takes the pair: mid and side come from both inputs together.
TEST(Lv2Server, StereoPluginTakesTheChannelPair)
{
    PluginInstance effect = make("Matrix: Stereo to MS", 44100, 2);
    std::vector<float> frames = tones(2, 4410, 44100);
    const std::vector<float> dry = frames;
    run(effect, frames, 2, 1000);
    for (size_t f = 0; f < 4410; f += 97) {
        const float l = dry[f * 2], r = dry[f * 2 + 1];
        EXPECT_NEAR(frames[f * 2], (l + r) / 2, 1e-5) << f;
        EXPECT_NEAR(frames[f * 2 + 1], (l - r) / 2, 1e-5) << f;
    }
}

TEST(Lv2Server, StateRestoresTheControlValuesAndRefusesDamagedData)
{
    PluginInstance original = make("Simple amplifier", 44100, 2);
    QuillonFxParameter set{0, -20.0f};
    ASSERT_EQ(send(original, QUILLON_FX_SET_PARAMETER, set), 0);
    const std::vector<uint8_t> state = saveState(original);

    PluginInstance copy = make("Simple amplifier", 44100, 2);
    ASSERT_EQ(loadState(copy, state), 0);
    QuillonFxParameter get{0, 0.0f};
    ASSERT_EQ(send(copy, QUILLON_FX_GET_PARAMETER, get), 0);
    EXPECT_EQ(get.value, -20.0f);

    // A cut state changes nothing.
    PluginInstance untouched = make("Simple amplifier", 44100, 2);
    const std::vector<uint8_t> cut(state.begin(), state.begin() + long(state.size() - 2));
    EXPECT_NE(loadState(untouched, cut), 0);
    ASSERT_EQ(send(untouched, QUILLON_FX_GET_PARAMETER, get), 0);
    EXPECT_EQ(get.value, 0.0f);
}

// Every listed plug-in can be made, formatted and run on both chain widths, or fails
// without harm.
TEST(Lv2Server, EveryListedPluginRunsOnMonoAndStereoChains)
{
#ifdef __SANITIZE_ADDRESS__
    // Some installed plug-ins keep memory past their cleanup, and their libraries are
    // unloaded with the instance: their leaks are not ours to find here.
    __lsan_disable();
    struct Enable {
        ~Enable() { __lsan_enable(); }
    } enable;
#endif
    for (const EffectCatalogEntry& e : server().catalog.entries()) {
        for (uint32_t channels : {1u, 2u}) {
            PluginInstance effect = server().catalog.create(e);
            QuillonFxFormat format{44100, channels, 0};
            std::vector<float> frames = tones(channels, 2000, 44100);
            const std::vector<float> dry = frames;
            const bool made = send(effect, QUILLON_FX_SET_FORMAT, format) == 0;
            run(effect, frames, channels, 700);
            // A plug-in whose library will not load (one in the package lacks a symbol)
            // is refused at the format and then passes the sound through untouched.
            if (!made) {
                EXPECT_EQ(frames, dry) << e.name;
            }
            const std::vector<uint8_t> state = saveState(effect);
            EXPECT_EQ(loadState(effect, state), 0) << e.name;
        }
    }
}
