#pragma once
// One effect plug-in placed in an effect chain (a track's, an assignable group's or the
// master chain). Wraps the plug-in's interface record, releases it exactly once, and
// stores the effect in archives as its identity followed by the plug-in's saved state.
//
// Threads: process() runs on the render thread (playback or export). The bypass flag
// and the last set value are atomics that the user-interface thread may change at any
// time; they take effect at the next block. setFormat() is sent by the render thread
// before a render and by the user-interface thread while none runs. The other commands
// come from the user-interface thread; the plug-in accepts them during processing.

#include "base/prompt_text.h"
#include "base/serializable.h"
#include "plugins/effect_catalog.h"
#include "plugins/plugin_instance.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillon {

class EffectChain;

// What a generic editor needs to show one numbered parameter.
struct EffectParameterInfo {
    std::string name;
    std::string unit;
    float minimum = 0.0f;
    float maximum = 1.0f;
    float defaultValue = 0.0f;
    uint32_t kind = QUILLON_FX_PARAM_CONTINUOUS;
};

class CTransformPlugin : public CObject {
    QUILLON_DECLARE_SERIAL(CTransformPlugin)
public:
    static constexpr uint32_t kLoadSampleRate = 44100;
    static constexpr uint32_t kLoadChannels = 2;

    // Empty, for loading.
    CTransformPlugin() = default;
    // Around a record obtained through the catalogue.
    explicit CTransformPlugin(PluginInstance instance) : m_instance(std::move(instance)) {}
    ~CTransformPlugin() override = default;
    CTransformPlugin(const CTransformPlugin&) = delete;
    CTransformPlugin& operator=(const CTransformPlugin&) = delete;

    // Looks the identity up in the current catalogue and creates that plug-in (any
    // earlier one is released). False when no entry matches; a ClassCom raised while
    // creating passes to the caller.
    bool createByIdentity(const QuillonIdentifier& identity);
    // A new effect for a catalogue entry. An entry with a bracket number tells the
    // effect that number with setValue(), so it starts as the menu variant chosen.
    static std::unique_ptr<CTransformPlugin> createFromEntry(const EffectCatalogEntry& entry,
                                                             const EffectCatalog& catalog);

    bool isValid() const { return m_instance.isValid(); }
    const PluginInstance& instance() const { return m_instance; }

    // Commands below throw ClassCom with the plug-in's nonzero result.
    std::string name() const;                // 129
    QuillonIdentifier identity() const;      // 135
    std::string identityText() const;        // "%x-%x-%x-%x" of the identity
    void setFormat(uint32_t sampleRate, uint32_t channels); // 117
    double lengthFactor() const;             // 128
    // Frames the effect's output lags its input (145); 0 for an effect that does not say.
    uint32_t latency() const;
    void setValue(int32_t value);            // 120; remembered as the last value
    int32_t lastValue() const { return m_lastValue.load(std::memory_order_relaxed); }

    // Runs the effect over `frameCount` interleaved frames (command 119). The buffer
    // holds `capacity` frames so that an effect may lengthen the block; the result is
    // the block's frame count afterwards. A bypassed or empty effect leaves the block
    // and its frames-processed count alone. Failures inside the plug-in are contained:
    // the block stays as the plug-in left it and the chain goes on. Allocates nothing.
    int process(float* frames, int frameCount, int channels, int capacity) noexcept;

    bool isBypassed() const { return m_bypassed.load(std::memory_order_relaxed); }
    void setBypassed(bool bypassed) { m_bypassed.store(bypassed, std::memory_order_relaxed); }
    // Frames this instance has processed; each block is told it as its start position.
    // Counts modulo 2^32, as a 32-bit position.
    int32_t framesProcessed() const { return m_framesProcessed; }

    // The numbered parameters (commands 140-144 and 132). A plug-in that does not
    // describe its parameters has none.
    uint32_t parameterCount() const;
    EffectParameterInfo parameterInfo(uint32_t index) const;
    float parameter(uint32_t index) const;
    void setParameter(uint32_t index, float value);

    // Whether the effect has an editor window of its own (122), and that editor built
    // as a child of `parent` (121, a QWidget*); the caller owns it and destroys it
    // before the effect. Null when the effect builds none.
    bool hasEditor() const;
    void* createEditor(void* parent);

    // The plug-in's state through a host byte stream (124) and back (123); presets use
    // these as well.
    std::vector<uint8_t> saveState() const;
    void loadState(const std::vector<uint8_t>& state);

    // Identity words, state size, state bytes. Loading creates the plug-in by identity,
    // gives it 44100 Hz stereo and restores the state; a missing effect fails the load
    // with an ArchiveException that names it.
    void serialize(CArchive& ar) override;

    // The message a load shows for an effect that is not installed.
    static PromptText missingEffectText(const QuillonIdentifier& identity, const std::string& name = {});

private:
    friend class EffectChain;

    PluginInstance m_instance;
    std::atomic<bool> m_bypassed{false};
    int32_t m_framesProcessed = 0;
    std::atomic<int32_t> m_lastValue{0};
    bool m_inChain = false; // owned by a chain; a second chain must not take it
};

} // namespace quillon
