#pragma once
// The byte block a clip stores in the project file to reopen its source: a magic word, a
// version and tagged records, so that later additions (time scaling) are skipped by
// filters that do not know them and missing ones take their defaults.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::filefilter {

struct SavedState {
    std::string path;

    std::vector<uint8_t> encode() const;
    // Nullopt for anything that is not a complete state of a version this filter reads.
    static std::optional<SavedState> decode(const void* bytes, size_t size);

    static constexpr uint32_t kVersion = 1;
};

} // namespace quillon::filefilter
