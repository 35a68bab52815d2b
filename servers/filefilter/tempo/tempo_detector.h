#pragma once
// Measures the tempo of a source around a position, for matching the tempos of two
// crossfaded clips.
//
// aubio's beat tracker gives the beat period to a percent or two; the period is then
// refined on the autocorrelation of aubio's spectral-flux onset curve, whose peaks at
// several multiples of the beat pin it down to a small fraction of a beat per minute.
// A window without a clear periodic pulse (silence, noise, a held tone) measures 0.
//
// Threads: detect() keeps all its state on its own stack; any thread may call it.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace quillon::filefilter {

class TempoDetector {
public:
    // Reads `frames` interleaved float frames from `position` (inside the source);
    // returns how many it wrote.
    using SourceRead = std::function<size_t(int64_t position, float* dest, size_t frames)>;

    static constexpr double kWindowSeconds = 16.0;

    TempoDetector(int channels, int sampleRate);

    // Beats per minute in a window of kWindowSeconds centred on `position` and kept
    // inside the source; 0 when no beat is found.
    float detect(const SourceRead& source, int64_t sourceLength, int64_t position) const;

private:
    int m_channels;
    int m_rate;
};

} // namespace quillon::filefilter
