#include "server_entry.h"

#include <cstring>

namespace quillon::server {

bool sameIdentifier(const QuillonIdentifier& a, const QuillonIdentifier& b)
{
    return std::memcmp(a.words, b.words, sizeof a.words) == 0;
}

uint32_t matchCount(std::span<const ClassEntry> classes, const QuillonIdentifier& id)
{
    uint32_t count = 0;
    for (const ClassEntry& entry : classes)
        if (sameIdentifier(entry.id, id))
            count += entry.count;
    return count;
}

int32_t createInterface(std::span<const ClassEntry> classes, const QuillonIdentifier& id, uint32_t localIndex,
                        QuillonInterface* out)
{
    if (!out)
        return 0;
    for (const ClassEntry& entry : classes) {
        if (!sameIdentifier(entry.id, id))
            continue;
        if (localIndex < entry.count) {
            try {
                return entry.create(localIndex, out) ? 1 : 0;
            } catch (...) {
                return 0;
            }
        }
        localIndex -= entry.count;
    }
    return 0;
}

} // namespace quillon::server
