#pragma once
// Base of every shipped effect: the command dispatch of the effect interface, the
// numbered parameters and the saved state built from them.
//
// Threads: the render thread sends 117 (set format) and 119 (process), never both at
// once; the user-interface thread may meanwhile set and read parameters, save and load
// the state and send 120. Parameter values are therefore atomics, and processing picks
// up changes at the start of a block.

#include <quillon/plugin_abi.h>
#include <quillon/plugin_text.h>
#include <effect_commands.h>
#include <record_calls.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string_view>

namespace quillon::fx {

struct ParameterSpec {
    const char* name;
    const char* unit;
    float minimum;
    float maximum;
    float defaultValue;
    uint32_t kind; // QUILLON_FX_PARAM_*
};

struct EffectSpec {
    const char* name;
    const char* menu; // menu lines, separated by line feeds
    QuillonIdentifier identity;
    const ParameterSpec* parameters;
    uint32_t parameterCount;
};

class Effect {
public:
    static constexpr uint32_t kMaxParameters = 24;
    static constexpr uint32_t kMaxChannels = 2;
    static constexpr uint32_t kMinRate = 8000;
    static constexpr uint32_t kMaxRate = 192000;
    // "QFXS": the first word of every saved state.
    static constexpr uint32_t kStateMagic = 0x53584651u;
    static constexpr uint32_t kStateVersion = 1;

    explicit Effect(const EffectSpec& description);
    virtual ~Effect() = default;
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    const EffectSpec& description() const { return m_spec; }
    int32_t command(uint32_t code, void* param, uint32_t size);

    float parameter(uint32_t index) const { return m_values[index].load(std::memory_order_relaxed); }
    // Clamps to the range (and to whole numbers for switches and steps); NaN is refused.
    bool setParameter(uint32_t index, float value);

    uint32_t sampleRate() const { return m_rate; }
    uint32_t channels() const { return m_channels; }

    // Must be called once by the creator: allocates for 44100 Hz stereo so that an
    // effect is usable before the host sends a format.
    bool initialise() { return setFormat(44100, 2) == 0; }

protected:
    // Allocate everything processing needs for this format and clear the history.
    virtual void prepare() = 0;
    // Process `frames` interleaved frames of channels() channels in place.
    virtual void process(float* data, uint32_t frames) = 0;
    // Recompute derived values from the parameters; called before a block when they changed.
    virtual void update() = 0;
    // Frames the output lags the input (command 145); none by default.
    virtual uint32_t latency() const { return 0; }
    // Menu variant chosen with command 120; the default has none.
    virtual void selectVariant(int32_t variant) { (void)variant; }

    // Milliseconds to frames at the current rate, at least 1.
    uint32_t msToFrames(float ms) const;

private:
    template <class E>
    friend int32_t server::effectCommand(E& fx, uint32_t code, void* param, uint32_t size);

    std::string_view effectName() const { return m_spec.name; }
    std::string_view menuLines() const { return m_spec.menu; }
    QuillonIdentifier identity() const { return m_spec.identity; }
    uint32_t parameterCount() const { return m_spec.parameterCount; }
    server::ParameterDescription describeParameter(uint32_t index) const;
    int32_t setFormat(uint32_t rate, uint32_t channels);
    int32_t processBlock(QuillonInterface& block);
    int32_t saveState(QuillonInterface& stream) const;
    int32_t loadState(QuillonInterface& stream);

    const EffectSpec& m_spec;
    std::array<std::atomic<float>, kMaxParameters> m_values;
    std::atomic<uint32_t> m_changes{1};
    uint32_t m_seenChanges = 0;
    uint32_t m_rate = 0;
    uint32_t m_channels = 0;
};

using server::copyText;

} // namespace quillon::fx
