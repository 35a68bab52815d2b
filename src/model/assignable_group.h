#pragma once
// An assignable effect group: a bus that every track feeds at its own send level; the
// group's chain processes the sum and the result joins the master mix. Groups have no
// name of their own; they are shown by their position in the document's group list.
//
// Threads: the render thread reads the send levels while the user-interface thread
// edits them in place, so each level is an atomic float. Inserting and removing sends
// happens only while no render runs (the document stops playback before the track
// count changes). The chain follows EffectChain's rules.

#include "base/serializable.h"
#include "model/effect_chain.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace quillon {

class CAssignableGroup : public CObject {
    QUILLON_DECLARE_SERIAL(CAssignableGroup)
public:
    CAssignableGroup() = default;
    // One send per track, all at 0.0.
    explicit CAssignableGroup(int32_t sendCount);
    ~CAssignableGroup() override;
    CAssignableGroup(const CAssignableGroup&) = delete;
    CAssignableGroup& operator=(const CAssignableGroup&) = delete;

    EffectChain& chain() { return m_chain; }
    const EffectChain& chain() const { return m_chain; }

    int32_t sendCount() const { return m_sendCount; }
    // The level of track `track`'s send, in the track volume scale 0..1, for editing in
    // place. The index must be below sendCount().
    std::atomic<float>& sendLevel(int32_t track) { return m_sends[static_cast<size_t>(track)]; }
    // 0 for an index out of range.
    float sendLevelValue(int32_t track) const;
    // Clamped to 0..1; false for an index out of range.
    bool setSendLevel(int32_t track, float level);

    // A new send of 0.0 before `index` (0..sendCount()), for a track inserted there.
    bool insertSend(int32_t index);
    // Drops the send of a deleted track; the later ones move down.
    bool removeSend(int32_t index);

    // Effect count, the effects, the send count, the send levels.
    void serialize(CArchive& ar) override;

private:
    void resizeSends(int32_t count);

    EffectChain m_chain;
    int32_t m_sendCount = 0;
    std::unique_ptr<std::atomic<float>[]> m_sends;
};

} // namespace quillon
