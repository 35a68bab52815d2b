#include "effect.h"

#include <effect_commands.h>
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
    return server::effectCommand(*this, code, param, size);
}

server::ParameterDescription Effect::describeParameter(uint32_t index) const
{
    const ParameterSpec& p = m_spec.parameters[index];
    return {p.name, p.unit, p.minimum, p.maximum, p.defaultValue, p.kind};
}

} // namespace quillon::fx
