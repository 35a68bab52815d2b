#include "model/label_list.h"

#include "base/archive.h"

#include <algorithm>
#include <vector>

namespace quillon {

QUILLON_IMPLEMENT_SERIAL(CLabelList, 1)

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

} // namespace

CLabelList::~CLabelList() = default;

ProjectLabel* CLabelList::insertLocked(std::unique_ptr<ProjectLabel> label)
{
    if (!label)
        return nullptr;
    ProjectLabel* raw = label.get();
    raw->m_listOrder.value = ++m_placed;
    const int32_t pos = raw->position;
    auto it = std::find_if(m_labels.begin(), m_labels.end(), [pos](const auto& l) { return l->position > pos; });
    m_labels.insert(it, std::move(label));
    return raw;
}

void CLabelList::removeAllLocked()
{
    m_labels.clear();
    ++m_generation;
}

CLabelList::LabelNodes::iterator CLabelList::findLocked(const ProjectLabel* label)
{
    return std::find_if(m_labels.begin(), m_labels.end(), [label](const auto& l) { return l.get() == label; });
}

ProjectLabel* CLabelList::add(int32_t position, int32_t kind, const std::string& title, const std::string& artist,
                              int32_t pause)
{
    auto label = std::make_unique<ProjectLabel>(kind, position, title, artist, pause);
    Guard guard(m_mutex);
    return insertLocked(std::move(label));
}

ProjectLabel* CLabelList::insert(std::unique_ptr<ProjectLabel> label)
{
    Guard guard(m_mutex);
    return insertLocked(std::move(label));
}

std::unique_ptr<ProjectLabel> CLabelList::remove(const ProjectLabel* label)
{
    Guard guard(m_mutex);
    auto it = findLocked(label);
    if (it == m_labels.end())
        return nullptr;
    std::unique_ptr<ProjectLabel> owned = std::move(*it);
    m_labels.erase(it);
    ++m_generation;
    return owned;
}

bool CLabelList::reposition(ProjectLabel* label, int32_t position)
{
    Guard guard(m_mutex);
    auto it = findLocked(label);
    if (it == m_labels.end())
        return false;
    label->position = position;
    label->m_listOrder.value = ++m_placed;
    // Splicing keeps the node, so cursors standing on it stay usable.
    auto others = [&](const auto& l) { return l.get() != label && l->position > position; };
    auto target = std::find_if(m_labels.begin(), m_labels.end(), others);
    m_labels.splice(target, m_labels, it);
    return true;
}

void CLabelList::removeAll()
{
    Guard guard(m_mutex);
    removeAllLocked();
}

int CLabelList::count() const
{
    Guard guard(m_mutex);
    return static_cast<int>(m_labels.size());
}

int32_t CLabelList::lastPosition() const
{
    Guard guard(m_mutex);
    return m_labels.empty() ? 0 : m_labels.back()->position;
}

ProjectLabel* CLabelList::settle(Cursor& cursor, LabelNodes::iterator node)
{
    cursor.m_list = this;
    cursor.m_generation = m_generation;
    if (node == m_labels.end()) {
        cursor.m_label = nullptr;
        return nullptr;
    }
    cursor.m_node = node;
    cursor.m_label = node->get();
    cursor.m_position = node->get()->position;
    cursor.m_order = node->get()->m_listOrder.value;
    return node->get();
}

ProjectLabel* CLabelList::first(Cursor& cursor)
{
    Guard guard(m_mutex);
    return settle(cursor, m_labels.begin());
}

ProjectLabel* CLabelList::next(Cursor& cursor)
{
    Guard guard(m_mutex);
    if (cursor.m_list != this || !cursor.m_label)
        return nullptr;
    if (cursor.m_generation == m_generation)
        return settle(cursor, std::next(cursor.m_node));
    // Something was removed since the cursor's step: its node may be gone. The cursor's
    // label address is only compared, never dereferenced; the order tells the label from
    // a new one that took the freed address.
    auto it = findLocked(cursor.m_label);
    if (it != m_labels.end() && (*it)->m_listOrder.value == cursor.m_order)
        return settle(cursor, std::next(it));
    // Labels at the same position keep the order in which they were placed, so the ones
    // placed later than the removed label are still to come.
    const int32_t pos = cursor.m_position;
    const uint64_t order = cursor.m_order;
    return settle(cursor, std::find_if(m_labels.begin(), m_labels.end(), [pos, order](const auto& l) {
                      return l->position > pos || (l->position == pos && l->m_listOrder.value > order);
                  }));
}

void CLabelList::copyFrom(const CLabelList& other)
{
    // Copy out under the other list's lock, then insert under ours: the two locks are
    // never held together, so two lists copying into each other cannot deadlock.
    std::vector<ProjectLabel> copies;
    {
        Guard guard(other.m_mutex);
        copies.reserve(other.m_labels.size());
        for (const auto& l : other.m_labels)
            copies.push_back(*l);
    }
    Guard guard(m_mutex);
    for (const auto& c : copies)
        insertLocked(std::make_unique<ProjectLabel>(c));
}

void CLabelList::copyKind(CLabelList& target, int32_t kind) const
{
    std::vector<ProjectLabel> copies;
    {
        Guard guard(m_mutex);
        for (const auto& l : m_labels) {
            if (l->kind == kind) {
                copies.push_back(*l);
                copies.back().pause = 0;
            }
        }
    }
    Guard guard(target.m_mutex);
    for (const auto& c : copies)
        target.insertLocked(std::make_unique<ProjectLabel>(c));
}

void CLabelList::serialize(CArchive& ar)
{
    Guard guard(m_mutex);
    if (ar.isStoring()) {
        ar.writeU32(static_cast<uint32_t>(m_labels.size()));
        for (const auto& l : m_labels) {
            ar.writeI32(l->kind);
            ar.writeI32(l->position);
            ar.writeString(l->artist);
            ar.writeString(l->title);
        }
        return;
    }

    removeAllLocked();
    const uint32_t count = ar.readU32();
    for (uint32_t i = 0; i < count; ++i) {
        auto label = std::make_unique<ProjectLabel>();
        label->kind = ar.readI32();
        label->position = ar.readI32();
        label->artist = ar.readString();
        label->title = ar.readString();
        insertLocked(std::move(label));
    }
}

} // namespace quillon
