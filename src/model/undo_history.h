#pragma once
// The undo and redo lists of a project: whole-project snapshots, each the bytes a
// project file would hold, oldest first. The document takes and restores the
// snapshots; this class only keeps them and enforces the undo levels.
//
// Threads: the user-interface thread only (it belongs to the document).

#include "base/memory_stream.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>

namespace quillon {

class UndoHistory {
public:
    // Undo levels meaning "keep every snapshot".
    static constexpr int32_t kUnlimited = -1;

    // Appends a snapshot to the undo list. With levels >= 0 and more snapshots than
    // levels, the oldest one is dropped: one per call, so lowering the levels trims the
    // list gradually as new steps arrive.
    void pushUndo(std::unique_ptr<MemoryStream> snapshot, int32_t levels);
    void pushRedo(std::unique_ptr<MemoryStream> snapshot);
    // Put a snapshot taken off the list back where it was (a restore that failed).
    void returnUndo(std::unique_ptr<MemoryStream> snapshot);
    void returnRedo(std::unique_ptr<MemoryStream> snapshot);
    // The newest snapshot, removed from its list; null when the list is empty.
    std::unique_ptr<MemoryStream> takeUndo();
    std::unique_ptr<MemoryStream> takeRedo();

    void clearRedo() { m_redo.clear(); }
    void clear();

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    size_t undoCount() const { return m_undo.size(); }
    size_t redoCount() const { return m_redo.size(); }
    // Bytes held by both lists.
    size_t bytes() const;

private:
    std::deque<std::unique_ptr<MemoryStream>> m_undo; // oldest at the front
    std::deque<std::unique_ptr<MemoryStream>> m_redo;
};

} // namespace quillon
