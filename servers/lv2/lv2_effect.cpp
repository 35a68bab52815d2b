#include "lv2_effect.h"

#include <effect_commands.h>
#include <record_calls.h>
#include <server_entry.h>

#include <lv2/atom/atom.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quillon::lv2 {

namespace {

constexpr QuillonIdentifier kAudioBlockId = QUILLON_IID_AUDIO_BLOCK;
constexpr QuillonIdentifier kByteStreamId = QUILLON_IID_BYTE_STREAM;

using server::callRecord;
using server::copyText;
using server::paramAs;
using server::readExactly;
using server::writeExactly;

// A saved plug-in state larger than this is taken for a damaged file.
constexpr uint32_t kMaxStateText = 16u << 20;

struct StateFree {
    void operator()(LilvState* s) const { lilv_state_free(s); }
};
using State = std::unique_ptr<LilvState, StateFree>;

} // namespace

struct Lv2Effect::Instances {
    std::vector<LilvInstance*> plugins;
    std::array<std::array<float, kChunkFrames>, kMaxChannels> in{};
    std::array<std::array<float, kChunkFrames>, kMaxChannels> out{};

    ~Instances()
    {
        for (LilvInstance* p : plugins) {
            lilv_instance_deactivate(p);
            lilv_instance_free(p);
        }
    }
};

Lv2Effect::Lv2Effect(Lv2World& world, const PluginInfo& info)
    : m_world(world), m_info(info), m_values(new std::atomic<float>[info.controls.size()]),
      m_controlIn(info.controls.size()), m_controlOut(std::max<size_t>(info.controlOut.size(), 1)),
      m_floatUrid(world.urid(LV2_ATOM__Float))
{
    for (size_t i = 0; i < info.controls.size(); ++i)
        m_values[i].store(info.controls[i].defaultValue * rateScale(info.controls[i]));
}

Lv2Effect::~Lv2Effect() = default;

float Lv2Effect::rateScale(const ControlPort& port) const { return port.scalesWithRate ? float(m_rate) : 1.0f; }

bool Lv2Effect::setParameter(uint32_t index, float value)
{
    if (index >= m_info.controls.size() || std::isnan(value))
        return false;
    const ControlPort& p = m_info.controls[index];
    const float scale = rateScale(p);
    value = std::clamp(value, p.minimum * scale, p.maximum * scale);
    if (p.kind != QUILLON_FX_PARAM_CONTINUOUS)
        value = std::round(value);
    m_values[index].store(value, std::memory_order_relaxed);
    return true;
}

int32_t Lv2Effect::setFormat(uint32_t rate, uint32_t channels)
{
    if (rate < 8000 || rate > 192000 || channels < 1 || channels > kMaxChannels)
        return QUILLON_E_BAD_PARAM;
    std::lock_guard lock(m_lock);
    std::string carried = m_pendingState.empty() ? pluginState() : m_pendingState;
    m_instances.reset();
    m_rate = rate;
    m_channels = channels;

    auto made = std::make_unique<Instances>();
    const bool mono = m_info.audioIn.size() == 1;
    const uint32_t count = mono ? channels : 1;
    for (uint32_t k = 0; k < count; ++k) {
        LilvInstance* p = lilv_plugin_instantiate(m_info.plugin, double(rate), m_world.features());
        if (!p)
            return QUILLON_E_FAIL;
        made->plugins.push_back(p);
        for (size_t c = 0; c < m_info.controls.size(); ++c)
            lilv_instance_connect_port(p, m_info.controls[c].index, &m_controlIn[c]);
        for (size_t c = 0; c < m_info.controlOut.size(); ++c)
            lilv_instance_connect_port(p, m_info.controlOut[c], &m_controlOut[c]);
        for (uint32_t port : m_info.optionalPorts)
            lilv_instance_connect_port(p, port, nullptr);
        for (size_t c = 0; c < m_info.audioIn.size(); ++c) {
            const size_t buffer = mono ? k : c;
            lilv_instance_connect_port(p, m_info.audioIn[c], made->in[buffer].data());
            lilv_instance_connect_port(p, m_info.audioOut[c], made->out[buffer].data());
        }
        lilv_instance_activate(p);
    }
    m_instances = std::move(made);
    m_pendingState.clear();
    if (!carried.empty())
        restorePluginState(carried);
    return 0;
}

int32_t Lv2Effect::processBlock(QuillonInterface& block)
{
    if (!server::sameIdentifier(block.id, kAudioBlockId))
        return QUILLON_E_BAD_HANDLE;
    QuillonBlockData data{};
    QuillonBlockFrames frames{};
    QuillonBlockChannels channels{};
    if (int32_t r = callRecord(block, QUILLON_BLOCK_DATA, &data, sizeof(data)); r != 0)
        return r;
    if (int32_t r = callRecord(block, QUILLON_BLOCK_FRAME_COUNT, &frames, sizeof(frames)); r != 0)
        return r;
    if (int32_t r = callRecord(block, QUILLON_BLOCK_CHANNELS, &channels, sizeof(channels)); r != 0)
        return r;
    if (channels.channels != m_channels)
        return QUILLON_E_BAD_PARAM;
    if (frames.frames == 0)
        return 0;
    if (!data.data)
        return QUILLON_E_BAD_PARAM;

    std::unique_lock lock(m_lock, std::try_to_lock);
    if (!lock.owns_lock() || !m_instances)
        return 0;
    for (size_t i = 0; i < m_info.controls.size(); ++i)
        m_controlIn[i] = m_values[i].load(std::memory_order_relaxed);
    for (uint32_t done = 0; done < frames.frames; done += kChunkFrames)
        runChunk(data.data + size_t(done) * m_channels, std::min(kChunkFrames, frames.frames - done));
    return 0;
}

void Lv2Effect::runChunk(float* data, uint32_t frames)
{
    Instances& s = *m_instances;
    const uint32_t n = m_channels;
    const bool stereoOnMono = m_info.audioIn.size() == 2 && n == 1;
    for (uint32_t f = 0; f < frames; ++f)
        for (uint32_t c = 0; c < n; ++c)
            s.in[c][f] = data[f * n + c];
    if (stereoOnMono)
        std::copy_n(s.in[0].begin(), frames, s.in[1].begin());
    for (LilvInstance* p : s.plugins)
        lilv_instance_run(p, frames);
    if (stereoOnMono) {
        for (uint32_t f = 0; f < frames; ++f)
            data[f] = 0.5f * (s.out[0][f] + s.out[1][f]);
        return;
    }
    for (uint32_t f = 0; f < frames; ++f)
        for (uint32_t c = 0; c < n; ++c)
            data[f * n + c] = s.out[c][f];
}

const void* Lv2Effect::portValue(const char* symbol, void* self, uint32_t* size, uint32_t* type)
{
    auto* e = static_cast<Lv2Effect*>(self);
    for (size_t i = 0; i < e->m_info.controls.size(); ++i) {
        if (e->m_info.controls[i].symbol == symbol) {
            // The value the plug-in reads; kept current for the state being taken now.
            e->m_controlIn[i] = e->m_values[i].load(std::memory_order_relaxed);
            *size = sizeof(float);
            *type = e->m_floatUrid;
            return &e->m_controlIn[i];
        }
    }
    *size = 0;
    *type = 0;
    return nullptr;
}

void Lv2Effect::setPortValue(const char* symbol, void* self, const void* value, uint32_t size, uint32_t type)
{
    auto* e = static_cast<Lv2Effect*>(self);
    if (!value || size != sizeof(float) || type != e->m_floatUrid)
        return;
    float v;
    std::memcpy(&v, value, sizeof v);
    for (size_t i = 0; i < e->m_info.controls.size(); ++i)
        if (e->m_info.controls[i].symbol == symbol)
            e->setParameter(uint32_t(i), v);
}

std::string Lv2Effect::pluginState()
{
    if (!m_info.hasState || !m_instances || m_instances->plugins.empty())
        return m_pendingState;
    // Every instance of a mono plug-in gets the same settings; the first speaks for all.
    State state(lilv_state_new_from_instance(m_info.plugin, m_instances->plugins.front(), m_world.map(), nullptr,
                                             nullptr, nullptr, nullptr, &portValue, this, 0, m_world.features()));
    if (!state)
        return {};
    char* text = lilv_state_to_string(m_world.world(), m_world.map(), m_world.unmap(), state.get(),
                                      "urn:varda-quillon:state", nullptr);
    if (!text)
        return {};
    std::string result(text);
    lilv_free(text);
    return result;
}

bool Lv2Effect::restorePluginState(const std::string& text)
{
    if (!m_info.hasState || text.empty())
        return false;
    if (!m_instances || m_instances->plugins.empty()) {
        m_pendingState = text;
        return true;
    }
    State state(lilv_state_new_from_string(m_world.world(), m_world.map(), text.c_str()));
    if (!state)
        return false;
    for (LilvInstance* p : m_instances->plugins)
        lilv_state_restore(state.get(), p, &setPortValue, this, 0, m_world.features());
    return true;
}

int32_t Lv2Effect::saveState(QuillonInterface& stream)
{
    if (!server::sameIdentifier(stream.id, kByteStreamId))
        return QUILLON_E_BAD_HANDLE;
    std::string text;
    {
        std::lock_guard lock(m_lock);
        text = pluginState();
    }
    const uint32_t count = uint32_t(m_info.controls.size());
    const uint32_t header[3] = {kStateMagic, kStateVersion, count};
    if (!writeExactly(stream, header, sizeof(header)))
        return QUILLON_E_IO;
    for (uint32_t i = 0; i < count; ++i) {
        const float v = m_values[i].load(std::memory_order_relaxed);
        if (!writeExactly(stream, &v, sizeof(v)))
            return QUILLON_E_IO;
    }
    const uint32_t length = uint32_t(std::min<size_t>(text.size(), kMaxStateText));
    if (!writeExactly(stream, &length, sizeof(length)) || (length && !writeExactly(stream, text.data(), length)))
        return QUILLON_E_IO;
    return 0;
}

int32_t Lv2Effect::loadState(QuillonInterface& stream)
{
    if (!server::sameIdentifier(stream.id, kByteStreamId))
        return QUILLON_E_BAD_HANDLE;
    uint32_t header[3] = {};
    QuillonStreamTransfer first{header, sizeof(header), 0};
    if (callRecord(stream, QUILLON_STREAM_READ, &first, sizeof(first)) != 0)
        return QUILLON_E_IO;
    // An empty state keeps the defaults: the host sends 123 even when nothing was saved.
    if (first.done == 0)
        return 0;
    if (first.done != sizeof(header) || header[0] != kStateMagic || header[1] != kStateVersion)
        return QUILLON_E_BAD_PARAM;
    // Everything is read before any of it is applied, so a cut state changes nothing.
    const uint32_t stored = header[2];
    if (stored > 65536)
        return QUILLON_E_BAD_PARAM;
    std::vector<float> values(stored);
    if (stored && !readExactly(stream, values.data(), stored * uint32_t(sizeof(float))))
        return QUILLON_E_BAD_PARAM;
    uint32_t length = 0;
    if (!readExactly(stream, &length, sizeof(length)) || length > kMaxStateText)
        return QUILLON_E_BAD_PARAM;
    std::string text(length, '\0');
    if (length && !readExactly(stream, text.data(), length))
        return QUILLON_E_BAD_PARAM;

    const uint32_t n = std::min<uint32_t>(stored, uint32_t(m_info.controls.size()));
    for (uint32_t i = 0; i < n; ++i)
        setParameter(i, values[i]);
    std::lock_guard lock(m_lock);
    restorePluginState(text);
    return 0;
}

int32_t Lv2Effect::command(uint32_t code, void* param, uint32_t size)
{
    return server::effectCommand(*this, code, param, size);
}

uint32_t Lv2Effect::latency()
{
    if (m_info.latencyPort < 0)
        return 0;
    std::lock_guard lock(m_lock);
    const float frames = m_controlOut[size_t(m_info.latencyPort)];
    return std::isfinite(frames) && frames > 0 ? uint32_t(std::lround(frames)) : 0;
}

server::ParameterDescription Lv2Effect::describeParameter(uint32_t index) const
{
    const ControlPort& port = m_info.controls[index];
    const float scale = rateScale(port);
    return {port.name, port.unit, port.minimum * scale, port.maximum * scale, port.defaultValue * scale, port.kind};
}

} // namespace quillon::lv2
