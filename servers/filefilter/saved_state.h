#pragma once
// The byte block a clip stores in the project file to reopen its source: a magic word, a
// version and tagged records, so that later additions are skipped by filters that do not
// know them and missing ones take their defaults. Records past the path are written only
// when they differ from their defaults, so a plain clip's state stays what it always was.

#include "time_scale_map.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::filefilter {

struct SavedState {
    std::string path;
    // The stretch of the source, in source frames; rangeFrames < 0 stands for all of it.
    int64_t rangeBegin = 0;
    int64_t rangeFrames = -1;
    float ratio = 1.0f;
    TimeScaleMap::Transition startTransition;
    TimeScaleMap::Transition endTransition;
    // The source file's size in bytes when the state was saved (-1: unknown), so that a
    // moved file can be told from another of the same name.
    int64_t fileSize = -1;

    std::vector<uint8_t> encode() const;
    // Nullopt for anything that is not a complete state of a version this filter reads,
    // or whose records hold values no instance could have saved.
    static std::optional<SavedState> decode(const void* bytes, size_t size);

    static constexpr uint32_t kVersion = 1;
};

} // namespace quillon::filefilter
