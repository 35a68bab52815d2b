#pragma once
// The file filter's way to the tempo module (filefilter.d/filefilter-tempo.so beside the
// filter's own library), loaded the first time a tempo is measured and kept loaded.
//
// Threads: detect() may be called from any thread.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace quillon::filefilter {

class TempoModule {
public:
    using SourceRead = std::function<size_t(int64_t position, float* dest, size_t frames)>;

    // Beats per minute around `position`, 0 without a beat; negative when the module is
    // missing or failed (lastError() says why).
    static float detect(int channels, int sampleRate, const SourceRead& source, int64_t sourceLength,
                        int64_t position);
    // Why the module could not be loaded; empty once it is.
    static std::string lastError();
    // The path the module is loaded from.
    static std::string modulePath();
};

} // namespace quillon::filefilter
