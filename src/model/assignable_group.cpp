#include "model/assignable_group.h"

#include "base/archive.h"

#include <algorithm>
#include <cmath>

namespace quillon {

QUILLON_IMPLEMENT_SERIAL(CAssignableGroup, 1)

namespace {

float clampLevel(float level)
{
    return std::isnan(level) ? 0.0f : std::clamp(level, 0.0f, 1.0f);
}

} // namespace

CAssignableGroup::CAssignableGroup(int32_t sendCount) { resizeSends(std::max(sendCount, 0)); }

CAssignableGroup::~CAssignableGroup() = default;

void CAssignableGroup::resizeSends(int32_t count)
{
    auto sends = std::make_unique<std::atomic<float>[]>(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        sends[static_cast<size_t>(i)].store(0.0f);
    m_sends = std::move(sends);
    m_sendCount = count;
}

float CAssignableGroup::sendLevelValue(int32_t track) const
{
    if (track < 0 || track >= m_sendCount)
        return 0.0f;
    return m_sends[static_cast<size_t>(track)].load(std::memory_order_relaxed);
}

bool CAssignableGroup::setSendLevel(int32_t track, float level)
{
    if (track < 0 || track >= m_sendCount)
        return false;
    m_sends[static_cast<size_t>(track)].store(clampLevel(level), std::memory_order_relaxed);
    return true;
}

bool CAssignableGroup::insertSend(int32_t index)
{
    if (index < 0 || index > m_sendCount)
        return false;
    auto sends = std::make_unique<std::atomic<float>[]>(static_cast<size_t>(m_sendCount) + 1);
    for (int32_t i = 0, j = 0; i <= m_sendCount; ++i)
        sends[static_cast<size_t>(i)].store(i == index ? 0.0f : m_sends[static_cast<size_t>(j++)].load());
    m_sends = std::move(sends);
    ++m_sendCount;
    return true;
}

bool CAssignableGroup::removeSend(int32_t index)
{
    if (index < 0 || index >= m_sendCount)
        return false;
    for (int32_t i = index; i + 1 < m_sendCount; ++i)
        m_sends[static_cast<size_t>(i)].store(m_sends[static_cast<size_t>(i) + 1].load());
    --m_sendCount;
    return true;
}

void CAssignableGroup::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        m_chain.store(ar);
        ar.writeI32(m_sendCount);
        for (int32_t i = 0; i < m_sendCount; ++i)
            ar.writeFloat(m_sends[static_cast<size_t>(i)].load());
        return;
    }

    m_chain.load(ar);
    const int32_t count = ar.readI32();
    if (count < 0 || static_cast<uint64_t>(count) * 4 > ar.stream().remaining())
        throw ArchiveException(ArchiveException::Kind::EndOfFile, "bad send count");
    resizeSends(count);
    for (int32_t i = 0; i < count; ++i)
        m_sends[static_cast<size_t>(i)].store(clampLevel(ar.readFloat()));
}

} // namespace quillon
