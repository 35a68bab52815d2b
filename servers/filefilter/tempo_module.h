#pragma once
// Tempo measuring through the tempo helper module (see helper_module.h).
//
// Threads: detect() may be called from any thread.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace quillon::filefilter {

class TempoModule {
public:
    using SourceRead = std::function<size_t(int64_t position, float* dest, size_t frames)>;

    // Beats per minute around `position`, 0 without a beat; negative when the module is
    // missing or failed.
    static float detect(int channels, int sampleRate, const SourceRead& source, int64_t sourceLength,
                        int64_t position);
};

} // namespace quillon::filefilter
