#pragma once
// Splits a recording (a side of an LP or cassette) into its tracks at the pauses
// between them.
//
// A pause is a run of at least the minimum pause length in which no sample of any
// channel rises above the threshold. The pieces are the audio between pauses, from the
// first sample above the threshold to the last one; silence before the first and after
// the last piece belongs to no piece. A piece shorter than the minimum track length (a
// click in a pause, a short fade) is joined to the neighbour across the shorter pause,
// and when more pieces remain than the caller can take, the pieces with the shortest
// pauses between them are joined: no audio is ever dropped from between the first and
// the last piece.
//
// Threads: detect() keeps its state on its own stack; any thread may call it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace quillon::filefilter {

// Frames [begin, end) of the source.
struct AudioRange {
    int64_t begin = 0;
    int64_t end = 0;
    int64_t length() const { return end - begin; }
    bool operator==(const AudioRange&) const = default;
};

class PauseDetector {
public:
    // Reads `frames` interleaved float frames from `position` (inside the source);
    // returns how many it wrote.
    using SourceRead = std::function<size_t(int64_t position, float* dest, size_t frames)>;

    struct Settings {
        float threshold = 0.01f;       // linear gain; samples at or below it are silence
        float minTrackSeconds = 20.0f; // shorter pieces are joined to a neighbour
        float minPauseSeconds = 2.0f;  // shorter quiet runs do not split
        size_t maxRanges = 99;
    };

    PauseDetector(int channels, int sampleRate);

    // The pieces in time order. A source without any pause is one piece; a silent one is
    // one piece covering all of it; an empty one has none.
    std::vector<AudioRange> detect(const SourceRead& source, int64_t sourceLength, const Settings& settings) const;

private:
    int m_channels;
    int m_rate;
};

} // namespace quillon::filefilter
