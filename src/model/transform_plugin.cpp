#include "model/transform_plugin.h"

#include "base/archive.h"
#include "plugins/host_audio_block.h"
#include "plugins/host_byte_stream.h"

#include <algorithm>

namespace quillon {

QUILLON_IMPLEMENT_SERIAL(CTransformPlugin, 1)

namespace {

std::string readText(const PluginInstance& instance, uint32_t code, uint32_t index, uint32_t chars)
{
    std::string text(chars, '\0');
    if (code == QUILLON_FX_NAME) {
        QuillonFxText p{text.data(), chars};
        instance.call(code, p);
    } else {
        QuillonFxParameterText p{index, text.data(), chars};
        instance.call(code, p);
    }
    text.resize(std::min<size_t>(text.find('\0'), chars));
    return text;
}

} // namespace

bool CTransformPlugin::createByIdentity(const QuillonIdentifier& identity)
{
    const EffectCatalog* catalog = EffectCatalog::current();
    const EffectCatalogEntry* entry = catalog ? catalog->findByIdentity(identity) : nullptr;
    if (!entry)
        return false;
    m_instance = catalog->create(*entry);
    return true;
}

std::unique_ptr<CTransformPlugin> CTransformPlugin::createFromEntry(const EffectCatalogEntry& entry,
                                                                    const EffectCatalog& catalog)
{
    auto plugin = std::make_unique<CTransformPlugin>(catalog.create(entry));
    if (entry.bracketNumber >= 0)
        plugin->setValue(entry.bracketNumber);
    return plugin;
}

std::string CTransformPlugin::name() const
{
    return readText(m_instance, QUILLON_FX_NAME, 0, QUILLON_FX_NAME_CHARS);
}

QuillonIdentifier CTransformPlugin::identity() const
{
    QuillonFxIdentity p{};
    m_instance.call(QUILLON_FX_IDENTITY, p);
    return p.identity;
}

std::string CTransformPlugin::identityText() const { return quillon::identityText(identity()); }

void CTransformPlugin::setFormat(uint32_t sampleRate, uint32_t channels)
{
    QuillonFxFormat p{sampleRate, channels, 0};
    m_instance.call(QUILLON_FX_SET_FORMAT, p);
}

double CTransformPlugin::lengthFactor() const
{
    QuillonFxLengthFactor p{1.0};
    m_instance.call(QUILLON_FX_LENGTH_FACTOR, p);
    return p.factor;
}

uint32_t CTransformPlugin::latency() const
{
    if (!m_instance.isValid())
        return 0;
    QuillonFxLatency p{0};
    try {
        m_instance.call(QUILLON_FX_LATENCY, p);
    } catch (const ClassCom&) {
        return 0; // an effect without the command does not delay
    }
    return p.frames;
}

void CTransformPlugin::setValue(int32_t value)
{
    m_lastValue.store(value, std::memory_order_relaxed);
    QuillonFxSetValue p{value, 0};
    m_instance.call(QUILLON_FX_SET_VALUE, p);
}

int CTransformPlugin::process(float* frames, int frameCount, int channels, int capacity) noexcept
{
    if (isBypassed() || !m_instance.isValid() || !frames || frameCount <= 0 || channels <= 0)
        return frameCount;
    HostAudioBlock block(frames, static_cast<uint32_t>(frameCount), static_cast<uint32_t>(channels),
                         static_cast<uint32_t>(std::max(capacity, frameCount)), m_framesProcessed);
    QuillonFxProcess p{block.record()};
    try {
        // A failing effect must not stop the chain: its result is not looked at.
        (void)m_instance.command(QUILLON_FX_PROCESS, &p, sizeof(p));
    } catch (...) {
    }
    // The block did pass through this effect, failed or not; the next one starts after it.
    m_framesProcessed = static_cast<int32_t>(static_cast<uint32_t>(m_framesProcessed) + block.frameCount());
    return static_cast<int>(block.frameCount());
}

bool CTransformPlugin::hasEditor() const
{
    QuillonFxHasEditor p{};
    m_instance.call(QUILLON_FX_HAS_EDITOR, p);
    return p.hasEditor != 0;
}

void* CTransformPlugin::createEditor(void* parent)
{
    QuillonFxEditor p{parent, nullptr};
    m_instance.call(QUILLON_FX_CREATE_EDITOR, p);
    return p.editor;
}

uint32_t CTransformPlugin::parameterCount() const
{
    QuillonFxParameterCount p{};
    const int32_t r = m_instance.command(QUILLON_FX_PARAMETER_COUNT, &p, sizeof(p));
    if (r == QUILLON_E_UNKNOWN_COMMAND)
        return 0;
    if (r != 0)
        throw ClassCom(r);
    return p.count;
}

EffectParameterInfo CTransformPlugin::parameterInfo(uint32_t index) const
{
    EffectParameterInfo info;
    info.name = readText(m_instance, QUILLON_FX_PARAMETER_NAME, index, QUILLON_FX_NAME_CHARS);
    info.unit = readText(m_instance, QUILLON_FX_PARAMETER_UNIT, index, QUILLON_FX_NAME_CHARS);
    QuillonFxParameterRange range{index, 0.0f, 0.0f, 0.0f, 0};
    m_instance.call(QUILLON_FX_PARAMETER_RANGE, range);
    info.minimum = range.minimum;
    info.maximum = range.maximum;
    info.defaultValue = range.defaultValue;
    info.kind = range.kind;
    return info;
}

float CTransformPlugin::parameter(uint32_t index) const
{
    QuillonFxParameter p{index, 0.0f};
    m_instance.call(QUILLON_FX_GET_PARAMETER, p);
    return p.value;
}

void CTransformPlugin::setParameter(uint32_t index, float value)
{
    QuillonFxParameter p{index, value};
    m_instance.call(QUILLON_FX_SET_PARAMETER, p);
}

std::vector<uint8_t> CTransformPlugin::saveState() const
{
    MemoryStream stream;
    HostByteStream host(stream);
    QuillonFxStream p{host.record()};
    m_instance.call(QUILLON_FX_SAVE_STATE, p);
    return stream.bytes();
}

void CTransformPlugin::loadState(const std::vector<uint8_t>& state)
{
    MemoryStream stream(state);
    stream.seekToBegin();
    HostByteStream host(stream);
    QuillonFxStream p{host.record()};
    m_instance.call(QUILLON_FX_LOAD_STATE, p);
}

PromptText CTransformPlugin::missingEffectText(const QuillonIdentifier& identity, const std::string& name)
{
    const std::string id = quillon::identityText(identity);
    if (name.empty())
        return PromptText("The effect %1 is not installed.").arg(id);
    return PromptText("The effect \"%1\" (%2) cannot be created.").arg(name).arg(id);
}

void CTransformPlugin::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        const QuillonIdentifier id = identity();
        for (uint32_t word : id.words)
            ar.writeU32(word);
        const std::vector<uint8_t> state = saveState();
        ar.writeU32(static_cast<uint32_t>(state.size()));
        if (!state.empty())
            ar.writeBytes(state.data(), state.size());
        return;
    }

    QuillonIdentifier id{};
    for (uint32_t& word : id.words)
        word = ar.readU32();
    const uint32_t size = ar.readU32();
    // A damaged size must not make us allocate more than the file can hold.
    if (size > ar.stream().remaining())
        throw ArchiveException(ArchiveException::Kind::EndOfFile);
    std::vector<uint8_t> state(size);
    if (size)
        ar.readBytes(state.data(), size);

    bool created = false;
    try {
        created = createByIdentity(id);
    } catch (const ClassCom&) {
        // Installed but refusing to start: the user still has to learn which effect.
        const EffectCatalog* catalog = EffectCatalog::current();
        const EffectCatalogEntry* entry = catalog ? catalog->findByIdentity(id) : nullptr;
        throw ArchiveException(ArchiveException::Kind::Generic, missingEffectText(id, entry ? entry->name : ""));
    }
    if (!created)
        throw ArchiveException(ArchiveException::Kind::Generic, missingEffectText(id));
    setFormat(kLoadSampleRate, kLoadChannels);
    loadState(state);
}

} // namespace quillon
