#pragma once
// Minimum and maximum per block of source frames and channel, kept in memory and in a peak
// file beside other sources' in the peak-file folder.
//
// Threads: one builder writes blocks while the user-interface thread queries; every member
// takes the object's lock.

#include "source_file.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace quillon::filefilter {

class PeakData {
public:
    static constexpr int64_t kBlock = 256; // source frames per stored pair
    static constexpr int64_t kGroup = 64;  // blocks per coarse pair, for long ranges

    PeakData(int channels, int64_t frames);

    int channels() const { return m_channels; }
    int64_t frames() const { return m_frames; }
    int64_t blockCount() const { return m_blocks; }

    // `pairs` holds count x channels (minimum, maximum) pairs for blocks from `first` on.
    void setBlocks(int64_t first, const float* pairs, int64_t count);
    // Builds the coarse level once every block is in.
    void finish();

    // Minimum and maximum of every channel over the blocks that touch source frames
    // [begin, end), written as channels pairs into `out`; (0, 0) when the range holds none.
    void range(int64_t begin, int64_t end, float* out) const;

    // The file holds these peaks only while its header names the same source version.
    bool load(const std::string& file, const FileStamp& source);
    bool save(const std::string& file, const FileStamp& source) const;

    // Where the peaks of `sourcePath` live inside `folder`.
    static std::string peakFileName(const std::string& folder, const std::string& sourcePath);

private:
    void rangeLocked(int64_t firstBlock, int64_t endBlock, float* out) const;
    void buildCoarse();

    mutable std::mutex m_mutex;
    const int m_channels;
    const int64_t m_frames;
    const int64_t m_blocks;
    std::vector<float> m_fine;   // blocks x channels x 2
    std::vector<float> m_coarse; // groups x channels x 2, empty until finish()
};

} // namespace quillon::filefilter
