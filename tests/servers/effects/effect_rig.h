#pragma once
// Drives one shipped effect through the plug-in host as the program does: format,
// parameters, blocks lent through an audio-block record, state through a byte stream.
// Also the signals and measurements the effect tests share.

#include "plugins/effect_catalog.h"
#include "plugins/plugin_instance.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillon::test {

class EffectRig {
public:
    EffectRig(const std::string& name, uint32_t rate = 44100, uint32_t channels = 2);

    static const EffectCatalog& catalog();
    static std::vector<std::string> effectNames();

    uint32_t rate() const { return m_rate; }
    uint32_t channels() const { return m_channels; }
    PluginInstance& instance() { return m_instance; }

    void set(uint32_t parameter, float value);
    float get(uint32_t parameter);
    uint32_t parameterCount();
    QuillonFxParameterRange range(uint32_t parameter);
    void setValue(int32_t value);
    // Sends the format again, which clears the effect's history.
    void reset();

    // Processes interleaved frames in place in blocks of `blockFrames`.
    void run(std::vector<float>& frames, uint32_t blockFrames = 2205);
    std::vector<float> processed(std::vector<float> frames, uint32_t blockFrames = 2205);

    std::vector<uint8_t> saveState();
    void loadState(const std::vector<uint8_t>& state);

private:
    PluginInstance m_instance;
    uint32_t m_rate;
    uint32_t m_channels;
};

// Signals, interleaved with `channels` channels.
std::vector<float> sine(double frequency, double amplitude, double seconds, uint32_t rate, uint32_t channels);
std::vector<float> noise(double amplitude, double seconds, uint32_t rate, uint32_t channels, uint32_t seed = 1);
std::vector<float> silence(double seconds, uint32_t rate, uint32_t channels);

// Measurements over frames [from, to) of one channel.
double rms(const std::vector<float>& frames, uint32_t channels, uint32_t channel, size_t from, size_t to);
double peak(const std::vector<float>& frames, uint32_t channels, uint32_t channel, size_t from, size_t to);
double peakAll(const std::vector<float>& frames);
double toDb(double ratio);

} // namespace quillon::test
