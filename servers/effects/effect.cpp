#include "effect.h"

#include <record_calls.h>
#include <server_entry.h>

#include "denormal_guard.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quillon::fx {

namespace {

constexpr QuillonIdentifier kAudioBlockId = QUILLON_IID_AUDIO_BLOCK;
constexpr QuillonIdentifier kByteStreamId = QUILLON_IID_BYTE_STREAM;

using server::callRecord;
using server::paramAs;
using server::readExactly;
using server::writeExactly;

} // namespace

Effect::Effect(const EffectSpec& description) : m_spec(description)
{
    for (uint32_t i = 0; i < kMaxParameters; ++i)
        m_values[i].store(i < description.parameterCount ? description.parameters[i].defaultValue : 0.0f);
}

bool Effect::setParameter(uint32_t index, float value)
{
    if (index >= m_spec.parameterCount || std::isnan(value))
        return false;
    const ParameterSpec& p = m_spec.parameters[index];
    value = std::clamp(value, p.minimum, p.maximum);
    if (p.kind != QUILLON_FX_PARAM_CONTINUOUS)
        value = std::round(value);
    m_values[index].store(value, std::memory_order_relaxed);
    m_changes.fetch_add(1, std::memory_order_release);
    return true;
}

uint32_t Effect::msToFrames(float ms) const
{
    const double frames = std::round(double(ms) * m_rate / 1000.0);
    return frames < 1.0 ? 1u : static_cast<uint32_t>(frames);
}

int32_t Effect::setFormat(uint32_t rate, uint32_t channels)
{
    if (rate < kMinRate || rate > kMaxRate || channels < 1 || channels > kMaxChannels)
        return QUILLON_E_BAD_PARAM;
    m_rate = rate;
    m_channels = channels;
    prepare();
    m_seenChanges = m_changes.load(std::memory_order_acquire);
    update();
    return 0;
}

int32_t Effect::processBlock(QuillonInterface& block)
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
    // A block in another layout than the format would be misread; the host must send 117.
    if (channels.channels != m_channels)
        return QUILLON_E_BAD_PARAM;
    if (frames.frames == 0)
        return 0;
    if (!data.data)
        return QUILLON_E_BAD_PARAM;

    DenormalGuard guard;
    const uint32_t changes = m_changes.load(std::memory_order_acquire);
    if (changes != m_seenChanges) {
        m_seenChanges = changes;
        update();
    }
    process(data.data, frames.frames);
    return 0;
}

int32_t Effect::saveState(QuillonInterface& stream) const
{
    if (!server::sameIdentifier(stream.id, kByteStreamId))
        return QUILLON_E_BAD_HANDLE;
    const uint32_t header[3] = {kStateMagic, kStateVersion, m_spec.parameterCount};
    if (!writeExactly(stream, header, sizeof(header)))
        return QUILLON_E_IO;
    for (uint32_t i = 0; i < m_spec.parameterCount; ++i) {
        const float v = parameter(i);
        if (!writeExactly(stream, &v, sizeof(v)))
            return QUILLON_E_IO;
    }
    return 0;
}

int32_t Effect::loadState(QuillonInterface& stream)
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

    // Read everything before applying any of it, so a cut state changes nothing.
    std::array<float, kMaxParameters> values{};
    const uint32_t stored = header[2];
    for (uint32_t i = 0; i < stored; ++i) {
        float v = 0.0f;
        if (!readExactly(stream, &v, sizeof(v)))
            return QUILLON_E_BAD_PARAM;
        if (i < kMaxParameters)
            values[i] = v;
    }
    // Parameters a later version added keep their defaults; unknown extra ones are skipped.
    const uint32_t n = std::min(stored, m_spec.parameterCount);
    for (uint32_t i = 0; i < n; ++i)
        if (!std::isnan(values[i]))
            setParameter(i, values[i]);
    return 0;
}

int32_t Effect::command(uint32_t code, void* param, uint32_t size)
{
    switch (code) {
    case QUILLON_FX_SET_FORMAT: {
        auto* p = paramAs<QuillonFxFormat>(param, size);
        return p ? setFormat(p->sampleRate, p->channels) : QUILLON_E_BAD_SIZE;
    }
    case QUILLON_FX_PROCESS: {
        auto* p = paramAs<QuillonFxProcess>(param, size);
        return p ? processBlock(p->block) : QUILLON_E_BAD_SIZE;
    }
    case QUILLON_FX_SET_VALUE: {
        auto* p = paramAs<QuillonFxSetValue>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        selectVariant(p->value);
        return 0;
    }
    case QUILLON_FX_HAS_EDITOR: {
        auto* p = paramAs<QuillonFxHasEditor>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        // The host builds a generic editor from the parameter descriptions.
        p->hasEditor = 0;
        return 0;
    }
    case QUILLON_FX_LOAD_STATE: {
        auto* p = paramAs<QuillonFxStream>(param, size);
        return p ? loadState(p->stream) : QUILLON_E_BAD_SIZE;
    }
    case QUILLON_FX_SAVE_STATE: {
        auto* p = paramAs<QuillonFxStream>(param, size);
        return p ? saveState(p->stream) : QUILLON_E_BAD_SIZE;
    }
    case QUILLON_FX_LATENCY: {
        auto* p = paramAs<QuillonFxLatency>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        p->frames = latency();
        return 0;
    }
    case QUILLON_FX_LENGTH_FACTOR: {
        auto* p = paramAs<QuillonFxLengthFactor>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        p->factor = 1.0;
        return 0;
    }
    case QUILLON_FX_NAME: {
        auto* p = paramAs<QuillonFxText>(param, size);
        return p ? copyText(m_spec.name, p->buffer, p->size) : QUILLON_E_BAD_SIZE;
    }
    case QUILLON_FX_MENU_LIST: {
        auto* p = paramAs<QuillonFxMenuList>(param, size);
        return p ? copyText(m_spec.menu, p->buffer, p->size, &p->length) : QUILLON_E_BAD_SIZE;
    }
    case QUILLON_FX_SET_PARAMETER: {
        auto* p = paramAs<QuillonFxParameter>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        return setParameter(p->index, p->value) ? 0 : QUILLON_E_BAD_PARAM;
    }
    case QUILLON_FX_GET_PARAMETER: {
        auto* p = paramAs<QuillonFxParameter>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        if (p->index >= m_spec.parameterCount)
            return QUILLON_E_BAD_PARAM;
        p->value = parameter(p->index);
        return 0;
    }
    case QUILLON_FX_IDENTITY: {
        auto* p = paramAs<QuillonFxIdentity>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        p->identity = m_spec.identity;
        return 0;
    }
    case QUILLON_FX_PARAMETER_COUNT: {
        auto* p = paramAs<QuillonFxParameterCount>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        p->count = m_spec.parameterCount;
        return 0;
    }
    case QUILLON_FX_PARAMETER_NAME:
    case QUILLON_FX_PARAMETER_UNIT: {
        auto* p = paramAs<QuillonFxParameterText>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        if (p->index >= m_spec.parameterCount)
            return QUILLON_E_BAD_PARAM;
        const ParameterSpec& description = m_spec.parameters[p->index];
        return copyText(code == QUILLON_FX_PARAMETER_NAME ? description.name : description.unit, p->buffer, p->size);
    }
    case QUILLON_FX_PARAMETER_RANGE: {
        auto* p = paramAs<QuillonFxParameterRange>(param, size);
        if (!p)
            return QUILLON_E_BAD_SIZE;
        if (p->index >= m_spec.parameterCount)
            return QUILLON_E_BAD_PARAM;
        const ParameterSpec& description = m_spec.parameters[p->index];
        p->minimum = description.minimum;
        p->maximum = description.maximum;
        p->defaultValue = description.defaultValue;
        p->kind = description.kind;
        return 0;
    }
    default:
        return QUILLON_E_UNKNOWN_COMMAND;
    }
}

} // namespace quillon::fx
