#pragma once
// The project's markers in time order: CD track splits, CD indexes and free labels.
// The document stores the list at the very end of the project file by calling
// serialize() directly, without an object header; the pause of a split is not part
// of the stored record and loads as 0.
//
// Threads: the user-interface thread edits the list while playback, export and burn
// threads read it. Every operation takes the list's own recursive lock and releases
// it before returning, on every path (exceptions included). A walk with first()/next()
// is not atomic: each step locks by itself, and labels inserted or removed between
// steps never break the walk (see next()). A walker that needs a fixed picture holds
// the lock across the walk (lock()/unlock(), e.g. through std::lock_guard) or walks
// its own copy made with copyFrom(). The pointers handed out stay valid until the
// label is removed and its new owner destroys it, and a label's fields are written
// only on the user-interface thread; a worker that runs while the user edits labels
// works on a copy.

#include "base/serializable.h"
#include "model/project_label.h"

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>

namespace quillon {

class CLabelList : public CObject {
    QUILLON_DECLARE_SERIAL(CLabelList)

    using LabelNodes = std::list<std::unique_ptr<ProjectLabel>>;

public:
    // Where a walk stands. A default cursor is at the end of any list.
    class Cursor {
    public:
        Cursor() = default;

    private:
        friend class CLabelList;
        const CLabelList* m_list = nullptr;
        LabelNodes::iterator m_node;
        const ProjectLabel* m_label = nullptr; // the label last returned; null at the end
        int32_t m_position = 0;                // its position when it was returned
        uint64_t m_generation = 0;             // the list's removal count at that time
        uint64_t m_order = 0;                  // the label's place among labels at its position
    };

    CLabelList() = default;
    ~CLabelList() override;
    CLabelList(const CLabelList&) = delete;
    CLabelList& operator=(const CLabelList&) = delete;

    // Creates a label and inserts it in order.
    ProjectLabel* add(int32_t position, int32_t kind, const std::string& title = {}, const std::string& artist = {},
                      int32_t pause = 0);
    // Takes ownership; the label goes before the first label with a greater position,
    // that is after any labels at its own position.
    ProjectLabel* insert(std::unique_ptr<ProjectLabel> label);
    // Unlinks the label and hands it to the caller; null when it is not in the list.
    std::unique_ptr<ProjectLabel> remove(const ProjectLabel* label);
    // Moves a label to a new position and puts it back in order (after labels at that
    // position), in one locked step; false when it is not in the list.
    bool reposition(ProjectLabel* label, int32_t position);
    void removeAll();
    int count() const;
    // Position of the last label; 0 for an empty list.
    int32_t lastPosition() const;

    // The first label, or null for an empty list.
    ProjectLabel* first(Cursor& cursor);
    // The label after the cursor's, or null at the end. When the cursor's label was
    // removed since it was returned, the walk goes on with the first label that stood
    // after it: at a later position, or at its position but placed after it.
    ProjectLabel* next(Cursor& cursor);

    // Appends copies (title, artist, kind, position, pause) of every label of `other`,
    // each inserted in order. Copying a list into itself doubles it.
    void copyFrom(const CLabelList& other);
    // Adds to `target` a copy of every label of `kind`, with the pause set to 0.
    void copyKind(CLabelList& target, int32_t kind) const;

    // Count, then per label: kind, position, artist, title. Loading destroys the
    // labels first and inserts the records in order with pause 0.
    void serialize(CArchive& ar) override;

    // The list lock, for a walker that must see the list unchanged. Recursive, so the
    // operations above work while it is held.
    void lock() const { m_mutex.lock(); }
    void unlock() const { m_mutex.unlock(); }
    bool tryLock() const { return m_mutex.try_lock(); }

private:
    ProjectLabel* insertLocked(std::unique_ptr<ProjectLabel> label);
    void removeAllLocked();
    LabelNodes::iterator findLocked(const ProjectLabel* label);
    ProjectLabel* settle(Cursor& cursor, LabelNodes::iterator node);

    mutable std::recursive_mutex m_mutex;
    LabelNodes m_labels;
    // Counts removals; a cursor taken before a removal no longer trusts its node.
    uint64_t m_generation = 0;
    uint64_t m_placed = 0; // labels placed so far, for their ListOrder
};

} // namespace quillon
