#pragma once
// An owned list of effects processed in list order: the chain of a track, of an
// assignable group and the master chain.
//
// Threads: the render thread processes the chain while holding the lock of the chain's
// owner (its guard: a track's lock for a track chain, the document lock for the master
// and group chains). Every change of the list takes that guard itself, for no longer
// than it takes to move a pointer: effects are created and prepared before they are
// handed in, and an effect taken out is destroyed by the caller after the guard is
// released, so the render thread never waits on a plug-in's set-up or tear-down.
// process() allocates nothing.

#include "base/watched_mutex.h"
#include "model/transform_plugin.h"

#include <atomic>
#include <memory>
#include <vector>

namespace quillon {

class CArchive;

class EffectChain {
public:
    EffectChain() = default;
    ~EffectChain();
    EffectChain(const EffectChain&) = delete;
    EffectChain& operator=(const EffectChain&) = delete;

    // The lock the render thread holds while processing this chain; null while the
    // chain is not reachable by a render (a group not yet in a document).
    void setGuard(WatchedMutex* guard) { m_guard = guard; }
    WatchedMutex* guard() const { return m_guard; }

    size_t size() const { return m_effects.size(); }
    bool empty() const { return m_effects.empty(); }
    CTransformPlugin* at(size_t index) const { return index < m_effects.size() ? m_effects[index].get() : nullptr; }
    const std::vector<std::unique_ptr<CTransformPlugin>>& effects() const { return m_effects; }

    // False (and the effect is dropped) when it is null or already in a chain.
    bool append(std::unique_ptr<CTransformPlugin> effect);
    // Inserts before `index` (appends at size()); false when out of range.
    bool insert(size_t index, std::unique_ptr<CTransformPlugin> effect);
    // Hands the effect back to the caller (who destroys it outside the guard); null
    // when out of range.
    std::unique_ptr<CTransformPlugin> take(size_t index);
    // Moves one effect to another place in the processing order.
    bool move(size_t from, size_t to);
    // The effects leave the list under the guard and are destroyed after it.
    void clear();

    // Command 117 to every effect; a refusal throws ClassCom.
    void setFormat(uint32_t sampleRate, uint32_t channels);
    // Product of the effects' length factors (1.0 for an empty chain).
    double lengthFactor() const;
    // The frames the chain's output lags its input: the sum of the effects' latencies,
    // bypassed ones included (bypassing must not move the sound in time). Kept up to
    // date as the list changes, so the render reads it without asking the plug-ins.
    uint32_t latency() const { return m_latency.load(std::memory_order_acquire); }
    // Every effect in order over the block; returns the block's frame count afterwards.
    // The caller holds the guard.
    int process(float* frames, int frameCount, int channels, int capacity) noexcept;

    // Count, then the effects as object references.
    void store(CArchive& ar) const;
    // Reads a count and that many effects and appends them. An object read twice (one
    // effect in two places) is refused, as it would be owned twice.
    void load(CArchive& ar);

private:
    bool adopt(CTransformPlugin* effect);

    void updateLatency();

    std::vector<std::unique_ptr<CTransformPlugin>> m_effects;
    WatchedMutex* m_guard = nullptr;
    std::atomic<uint32_t> m_latency{0};
};

} // namespace quillon
