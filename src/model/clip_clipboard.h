#pragma once
// The application's own clip clipboard (the system clipboard is not used): every entry
// is one clip written as a single-object archive into its own memory stream, with the
// index of the track it came from. The first entry sets the reference track and the
// reference position that a paste places the others relative to.
//
// Threads: user-interface thread only.

#include "base/memory_stream.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace quillon {

class CAudioClip;

class ClipClipboard {
public:
    struct Entry {
        MemoryStream stream;
        int32_t track = 0;
    };

    void clear();
    bool empty() const { return m_entries.empty(); }
    size_t size() const { return m_entries.size(); }

    // Serializes the clip; the first entry sets the reference track and position.
    void append(const CAudioClip& clip, int32_t track);

    int32_t trackOf(size_t index) const { return m_entries[index]->track; }
    // A new clip read back from the entry's stream, owned by the caller. Archive and
    // file-filter failures (a source that no longer opens) pass to the caller.
    std::unique_ptr<CAudioClip> readClip(size_t index);

    int32_t referencePosition() const { return m_referencePosition; }
    int32_t referenceTrack() const { return m_referenceTrack; }

private:
    std::vector<std::unique_ptr<Entry>> m_entries;
    int32_t m_referencePosition = 0;
    int32_t m_referenceTrack = 0;
};

} // namespace quillon
