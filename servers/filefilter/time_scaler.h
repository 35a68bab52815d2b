#pragma once
// Delivers a source stretched in time with its pitch kept (Rubber Band in its streaming
// mode), seekable to any output frame. Where the map says a stretch of output is the
// source frame for frame (a clip ratio of 1, outside any transition), frames are copied
// unchanged; a short crossfade joins such a stretch to a time-scaled one, so the seam
// does not click.
//
// A seek restarts the stretcher a little before the target (the stretcher's window
// needs history) and drops what it produces up to the target, so reading from a seek
// target gives what reading straight through gives, up to the stretcher's phase.
//
// Threads: one TimeScaler belongs to one reader and is used by one thread at a time
// (the owner serialises seek, read and setMap). Reading allocates nothing; setMap and
// the constructor do.

#include "time_scale_map.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace RubberBand {
class RubberBandStretcher;
}

namespace quillon::filefilter {

class TimeScaler {
public:
    // Reads `frames` interleaved float frames of the unscaled source from `position`
    // (always inside the source); returns how many it wrote. Short reads are padded
    // with silence.
    using SourceRead = std::function<size_t(int64_t position, float* dest, size_t frames)>;

    // Fast: Rubber Band's R2 engine, several times cheaper; Fine: its R3 engine.
    enum class Quality { Fast, Fine };

    TimeScaler(SourceRead source, int channels, int sampleRate, Quality quality = Quality::Fast);
    ~TimeScaler();
    TimeScaler(const TimeScaler&) = delete;
    TimeScaler& operator=(const TimeScaler&) = delete;

    // Adopts new scalings; the position (in output frames) stays, the next read starts
    // the stretcher afresh there.
    void setMap(const TimeScaleMap& map);
    const TimeScaleMap& map() const { return m_map; }

    // The next read starts at this output frame (before 0 and past the end: silence).
    void seek(int64_t outputFrame);
    int64_t position() const { return m_position; }

    // Fills count frames; returns how many of them lie within the output length.
    size_t read(float* dest, size_t count);

    int channels() const { return m_channels; }

private:
    static constexpr size_t kBlock = 1024;      // frames per stretcher call
    static constexpr int64_t kSeamFrames = 512; // crossfade between copied and stretched

    void ensureStretcher();
    void readSource(int64_t position, float* dest, size_t frames);
    void stretchInto(float* dest, size_t frames);
    void prime(int64_t outputFrame);
    void feed();
    size_t retrieve(float* dest, size_t frames);
    void blendSeams(const TimeScaleMap::Segment& segment, size_t index, int64_t at, float* dest, size_t frames);

    SourceRead m_source;
    int m_channels;
    int m_rate;
    Quality m_quality;
    TimeScaleMap m_map;

    std::unique_ptr<RubberBand::RubberBandStretcher> m_stretcher;
    bool m_primed = false;
    int64_t m_stretchOut = 0; // output frame that the next retrieved frame stands for
    int64_t m_feedAt = 0;     // source frame that the next fed frame comes from
    double m_lastRatio = 0.0;

    int64_t m_position = 0;

    // Scratch space sized at construction.
    std::vector<float> m_interleaved; // kBlock frames
    std::vector<float> m_seam;        // kBlock frames
    std::vector<std::vector<float>> m_planes;
    std::vector<float*> m_planePointers;
};

} // namespace quillon::filefilter
