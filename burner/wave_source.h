#pragma once
// Where the sample data of a track's WAV file lies. Chunks are walked rather than a
// 44-byte header assumed: files may carry LIST or fact chunks, or the extensible format.
#include <cstdint>
#include <string>

namespace varda {

struct WaveSource {
    std::string path;
    uint64_t dataOffset = 0;
    uint64_t dataBytes = 0; // whole frames only
};

// Accepts 16-bit stereo PCM at 44 100 Hz. Empty on success, else the reason.
std::string inspectWave(const std::string& path, WaveSource& out);

} // namespace varda
