#include "base/view_hints.h"

#include <algorithm>

namespace quillon {

void HintBroadcaster::addObserver(HintObserver* observer)
{
    if (std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void HintBroadcaster::removeObserver(HintObserver* observer)
{
    std::erase(m_observers, observer);
}

void HintBroadcaster::broadcast(int hint, const HintPayload* payload, HintObserver* sender)
{
    // A copy, so observers may register or leave while being told.
    const auto observers = m_observers;
    for (HintObserver* o : observers)
        if (o != sender && std::find(m_observers.begin(), m_observers.end(), o) != m_observers.end())
            o->onHint(hint, payload);
}

} // namespace quillon
