#include "model/effect_chain.h"

#include "base/archive.h"


namespace quillon {

namespace {

// Holds the chain's guard when it has one.
class GuardHold {
public:
    explicit GuardHold(WatchedMutex* guard) : m_guard(guard)
    {
        if (m_guard)
            m_guard->lock();
    }
    ~GuardHold()
    {
        if (m_guard)
            m_guard->unlock();
    }
    GuardHold(const GuardHold&) = delete;
    GuardHold& operator=(const GuardHold&) = delete;

private:
    WatchedMutex* m_guard;
};

} // namespace

EffectChain::~EffectChain() = default;

bool EffectChain::adopt(CTransformPlugin* effect)
{
    if (!effect || effect->m_inChain)
        return false;
    effect->m_inChain = true;
    return true;
}

bool EffectChain::append(std::unique_ptr<CTransformPlugin> effect)
{
    return insert(m_effects.size(), std::move(effect));
}

bool EffectChain::insert(size_t index, std::unique_ptr<CTransformPlugin> effect)
{
    if (!effect || effect->m_inChain)
        return false;
    const uint32_t delay = effect->latency(); // asked before the guard is taken
    {
        GuardHold hold(m_guard);
        if (index > m_effects.size())
            return false;
        m_effects.reserve(m_effects.size() + 1);
        adopt(effect.get());
        m_effects.insert(m_effects.begin() + static_cast<ptrdiff_t>(index), std::move(effect));
    }
    m_latency.fetch_add(delay, std::memory_order_acq_rel);
    return true;
}

std::unique_ptr<CTransformPlugin> EffectChain::take(size_t index)
{
    std::unique_ptr<CTransformPlugin> effect;
    {
        GuardHold hold(m_guard);
        if (index >= m_effects.size())
            return nullptr;
        effect = std::move(m_effects[index]);
        m_effects.erase(m_effects.begin() + static_cast<ptrdiff_t>(index));
    }
    effect->m_inChain = false;
    updateLatency();
    return effect;
}

void EffectChain::updateLatency()
{
    uint32_t total = 0;
    for (const auto& effect : m_effects)
        total += effect->latency();
    m_latency.store(total, std::memory_order_release);
}

bool EffectChain::move(size_t from, size_t to)
{
    GuardHold hold(m_guard);
    if (from >= m_effects.size() || to >= m_effects.size())
        return false;
    std::unique_ptr<CTransformPlugin> effect = std::move(m_effects[from]);
    m_effects.erase(m_effects.begin() + static_cast<ptrdiff_t>(from));
    m_effects.insert(m_effects.begin() + static_cast<ptrdiff_t>(to), std::move(effect));
    return true;
}

void EffectChain::clear()
{
    std::vector<std::unique_ptr<CTransformPlugin>> gone;
    {
        GuardHold hold(m_guard);
        gone.swap(m_effects);
    }
    for (auto& effect : gone)
        effect->m_inChain = false;
    m_latency.store(0, std::memory_order_release);
}

void EffectChain::setFormat(uint32_t sampleRate, uint32_t channels)
{
    for (const auto& effect : m_effects)
        effect->setFormat(sampleRate, channels);
}

double EffectChain::lengthFactor() const
{
    double factor = 1.0;
    for (const auto& effect : m_effects)
        factor *= effect->lengthFactor();
    return factor;
}

int EffectChain::process(float* frames, int frameCount, int channels, int capacity) noexcept
{
    for (const auto& effect : m_effects)
        frameCount = effect->process(frames, frameCount, channels, capacity);
    return frameCount;
}

void EffectChain::store(CArchive& ar) const
{
    ar.writeI32(static_cast<int32_t>(m_effects.size()));
    for (const auto& effect : m_effects)
        ar.writeObject(effect.get());
}

void EffectChain::load(CArchive& ar)
{
    const int32_t count = ar.readI32();
    // Every reference takes at least two bytes; a larger count is a damaged file.
    if (count < 0 || static_cast<uint64_t>(count) * 2 > ar.stream().remaining())
        throw ArchiveException(ArchiveException::Kind::EndOfFile, "bad effect count");
    for (int32_t i = 0; i < count; ++i) {
        m_effects.reserve(m_effects.size() + 1); // so that taking the object cannot fail
        CObject* object = ar.readObject(&CTransformPlugin::staticClass());
        if (!object)
            continue; // a null reference holds no effect
        auto* effect = static_cast<CTransformPlugin*>(object);
        if (effect->m_inChain)
            throw ArchiveException(ArchiveException::Kind::BadIndex, "an effect is referenced twice");
        adopt(effect);
        m_effects.emplace_back(effect);
    }
    updateLatency();
}

} // namespace quillon
