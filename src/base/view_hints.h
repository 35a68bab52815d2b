#pragma once
// The document tells its views what changed with a numeric hint; some hints carry a
// payload (hint 4: the rate ratio; hint 9: a visible range). Observers are called on
// the thread that broadcasts, which is the user-interface thread.

#include "base/sample_range.h"

#include <vector>

namespace quillon {

enum ViewHint : int {
    kHintRefresh = 0,
    kHintPlaybackOver = 2,
    kHintPlayPosition = 3,
    kHintRateChanged = 4,
    kHintStructure = 6,
    kHintActivateView = 7,
    kHintTrackName = 8,
    kHintVisibleRange = 9,
    // Sent before the document destroys tracks, groups or effects (a track or group
    // deleted, an effect removed, the project emptied for a load, undo or redo):
    // whoever holds one of them, or a window built on one, lets go of it now.
    kHintChainsGoing = 10,
};

struct HintPayload {
    float rateRatio = 1.0f;
    SampleRange range;
};

class HintObserver {
public:
    virtual ~HintObserver() = default;
    virtual void onHint(int hint, const HintPayload* payload) = 0;
};

class HintBroadcaster {
public:
    void addObserver(HintObserver* observer);
    void removeObserver(HintObserver* observer);
    // Every observer but `sender` hears the hint, in registration order.
    void broadcast(int hint, const HintPayload* payload = nullptr, HintObserver* sender = nullptr);

private:
    std::vector<HintObserver*> m_observers;
};

} // namespace quillon
