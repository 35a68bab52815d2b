#include "model/undo_history.h"

namespace quillon {

void UndoHistory::pushUndo(std::unique_ptr<MemoryStream> snapshot, int32_t levels)
{
    if (!snapshot)
        return;
    m_undo.push_back(std::move(snapshot));
    if (levels >= 0 && m_undo.size() > static_cast<size_t>(levels))
        m_undo.pop_front();
}

void UndoHistory::pushRedo(std::unique_ptr<MemoryStream> snapshot)
{
    if (snapshot)
        m_redo.push_back(std::move(snapshot));
}

void UndoHistory::returnUndo(std::unique_ptr<MemoryStream> snapshot)
{
    if (snapshot)
        m_undo.push_back(std::move(snapshot));
}

void UndoHistory::returnRedo(std::unique_ptr<MemoryStream> snapshot) { pushRedo(std::move(snapshot)); }

std::unique_ptr<MemoryStream> UndoHistory::takeUndo()
{
    if (m_undo.empty())
        return nullptr;
    std::unique_ptr<MemoryStream> s = std::move(m_undo.back());
    m_undo.pop_back();
    return s;
}

std::unique_ptr<MemoryStream> UndoHistory::takeRedo()
{
    if (m_redo.empty())
        return nullptr;
    std::unique_ptr<MemoryStream> s = std::move(m_redo.back());
    m_redo.pop_back();
    return s;
}

void UndoHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
}

size_t UndoHistory::bytes() const
{
    size_t n = 0;
    for (const auto& s : m_undo)
        n += s->size();
    for (const auto& s : m_redo)
        n += s->size();
    return n;
}

} // namespace quillon
