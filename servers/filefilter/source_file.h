#pragma once
// One open handle on a source audio file. Not shared between threads: every reader and
// every peak job opens its own.

#include <quillon/wave_format.h>

#include "buffered_source.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillon::filefilter {

// What identifies one version of a file on disk.
struct FileStamp {
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

struct SourceInfo {
    std::string path;
    int64_t frames = 0;
    int channels = 0;
    int rate = 0;
    int format = 0; // libsndfile's major | subtype
    FileStamp stamp;
};

class SourceFile {
public:
    SourceFile() = default;
    ~SourceFile();
    SourceFile(SourceFile&& other) noexcept;
    SourceFile& operator=(SourceFile&& other) noexcept;
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    // Opens a regular file that holds at least one readable frame with a sane channel
    // count and rate; anything else leaves the object closed and returns false.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return m_file != nullptr; }

    // Reads up to `frames` interleaved float frames; fewer (or 0) at the end or on a
    // damaged file.
    int64_t read(float* dest, int64_t frames);
    // False when the handle cannot seek there (the caller reads forward instead). Lands
    // sample-exactly: decoders that need history (Vorbis, Opus, MP3) decode their way in
    // from an earlier frame.
    bool seek(int64_t frame);

    const SourceInfo& info() const { return m_info; }
    // Speaker positions of the channels (libsndfile's channel map values), 0 when unknown.
    int channelPosition(int channel) const;

    static WAVEFORMATEX waveFormat(const SourceInfo& info);
    static bool stamp(const std::string& path, FileStamp& out);

    static constexpr int kMaxChannels = 64;
    static constexpr int kMaxRate = 1536000;

private:
    // Decoded before a seek target (measured transients stay under 1000 frames).
    static constexpr int64_t kHistoryFrames = 8192;
    static constexpr size_t kScratchFrames = 2048;

public:

private:
    SNDFILE* m_file = nullptr;
    std::unique_ptr<BufferedSource> m_io; // what m_file reads through; a stable address
    SourceInfo m_info;
    int m_positions[kMaxChannels] = {};
    bool m_needsHistory = false;
    std::vector<float> m_scratch; // frames decoded on the way to a seek target
};

} // namespace quillon::filefilter
