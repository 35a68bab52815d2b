#pragma once
// One LV2 plug-in behind our effect interface.
//
// A mono plug-in runs once per channel of the chain; a stereo one takes the pair (on a
// mono chain it hears the channel on both inputs and its two outputs are averaged). The
// plug-in is instantiated when the host sends the format, and processing runs in chunks
// of buffers allocated there, so a block allocates nothing.
//
// Threads: as for every effect, the render thread sends 117 and 119 while the
// user-interface thread sets parameters and saves or loads the state. Parameter values
// are atomics copied into the control ports before each chunk. Saving and loading the
// plug-in's own state must not overlap its run(), so both hold a lock that processing
// only tries: a block that meets a state change in progress passes through unchanged
// rather than making the render thread wait.

#include "lv2_world.h"

#include <quillon/plugin_abi.h>

#include <effect_commands.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::lv2 {

class Lv2Effect {
public:
    // "QLV2": the first word of every saved state.
    static constexpr uint32_t kStateMagic = 0x32564C51u;
    static constexpr uint32_t kStateVersion = 1;
    static constexpr uint32_t kChunkFrames = 512;
    static constexpr uint32_t kMaxChannels = 2;

    Lv2Effect(Lv2World& world, const PluginInfo& info);
    ~Lv2Effect();
    Lv2Effect(const Lv2Effect&) = delete;
    Lv2Effect& operator=(const Lv2Effect&) = delete;

    int32_t command(uint32_t code, void* param, uint32_t size);

private:
    struct Instances;
    template <class E>
    friend int32_t server::effectCommand(E& fx, uint32_t code, void* param, uint32_t size);

    std::string_view effectName() const { return m_info.name; }
    std::string_view menuLines() const { return m_info.menu; }
    QuillonIdentifier identity() const { return m_info.identity; }
    uint32_t parameterCount() const { return uint32_t(m_info.controls.size()); }
    server::ParameterDescription describeParameter(uint32_t index) const;
    float parameter(uint32_t index) const { return m_values[index].load(std::memory_order_relaxed); }
    // Every plug-in has a single menu line, so there is no variant to choose.
    void selectVariant(int32_t) {}
    // What the plug-in reports on its latency port, if it has one.
    uint32_t latency();

    bool setParameter(uint32_t index, float value);
    float rateScale(const ControlPort& port) const;
    int32_t setFormat(uint32_t rate, uint32_t channels);
    int32_t processBlock(QuillonInterface& block);
    void runChunk(float* data, uint32_t frames);
    int32_t saveState(QuillonInterface& stream);
    int32_t loadState(QuillonInterface& stream);
    // The plug-in's own state as text, empty without the state extension or an instance.
    std::string pluginState();
    bool restorePluginState(const std::string& text);

    static const void* portValue(const char* symbol, void* self, uint32_t* size, uint32_t* type);
    static void setPortValue(const char* symbol, void* self, const void* value, uint32_t size, uint32_t type);

    Lv2World& m_world;
    const PluginInfo& m_info;
    std::unique_ptr<std::atomic<float>[]> m_values;
    std::vector<float> m_controlIn;  // what the control ports read
    std::vector<float> m_controlOut; // where the plug-ins write their outputs
    std::mutex m_lock;
    std::unique_ptr<Instances> m_instances;
    // A state loaded before there was an instance, restored when one is made.
    std::string m_pendingState;
    uint32_t m_rate = 44100;
    uint32_t m_channels = 2;
    uint32_t m_floatUrid = 0;
};

} // namespace quillon::lv2
