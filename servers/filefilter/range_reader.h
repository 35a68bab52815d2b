#pragma once
// Reads an instance's stretch of its source at the source's own rate and channels, for the
// measurements (tempo, pauses) that want the recorded samples rather than a converted
// stream.
//
// Threads: one object belongs to one caller; it holds its own file handle.

#include "source_file.h"
#include "stream_config.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon::filefilter {

class RangeReader {
public:
    // Opens a handle on the configuration's source; false when it no longer opens as the
    // same audio.
    bool open(const StreamConfig& config);

    int channels() const { return m_file.info().channels; }
    int rate() const { return m_file.info().rate; }
    int64_t frames() const { return m_frames; }

    // Up to `frames` frames from `position` frames into the stretch; returns how many were
    // read. Reading on from where the last call ended does not seek.
    size_t read(int64_t position, float* dest, size_t frames);

private:
    bool seek(int64_t position);

    SourceFile m_file;
    std::string m_path;
    int64_t m_begin = 0;
    int64_t m_frames = 0;
    int64_t m_next = -1;
    std::vector<float> m_skip;
};

} // namespace quillon::filefilter
