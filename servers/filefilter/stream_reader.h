#pragma once
// One reader of a file-filter instance: its own file handle, position, converter to the
// output format (channel mapping and resampling) and, while the instance is time-scaled,
// its own time scaler over that converted stream.
//
// Threads: the instance looks readers up under its own lock; seek and read then run under
// the reader's mutex(), so one reader is used by one thread at a time while the others and
// the instance carry on. Reading allocates nothing unless the configuration changed.

#include "channel_mixer.h"
#include "source_file.h"
#include "stream_config.h"
#include "time_scaler.h"

#include <memory>
#include <mutex>
#include <vector>

typedef struct soxr* soxr_t;

namespace quillon::filefilter {

class StreamReader {
public:
    StreamReader() = default;
    ~StreamReader();
    StreamReader(const StreamReader&) = delete;
    StreamReader& operator=(const StreamReader&) = delete;

    std::mutex& mutex() { return m_mutex; }

    // Adopts the instance's configuration; cheap when it is the one already in use.
    void prepare(const std::shared_ptr<const StreamConfig>& config);
    // The next read starts at `position` frames of the time-scaled output (negative:
    // silence first).
    void seek(int64_t position);
    // Fills `count` frames; returns how many of them lie within the read length.
    uint32_t read(float* dest, uint32_t count);

    int64_t position() const { return m_scaler ? m_scaler->position() : m_position; }

    // The output before time scaling: `frames` frames from `position`, silence outside the
    // output length; returns how many lie within it. Continuing where the last call ended
    // does not seek.
    size_t readUnscaled(int64_t position, float* dest, size_t frames);

    // Source frames before a seek target that run through the resampler first, so that
    // its filter holds the same history as after reading straight through.
    static int64_t prerollFrames(int sourceRate, int outputRate);

private:
    static constexpr size_t kChunk = 4096;

    void configure();
    void configureScaler(const StreamConfig* old);
    void rawSeek(int64_t position);
    uint32_t rawRead(float* dest, uint32_t count);
    void reposition();
    // Up to `want` converted frames; fewer only when the source has ended.
    size_t pull(float* dest, size_t want);
    size_t pullDirect(float* dest, size_t want);
    size_t pullResampled(float* dest, size_t want);
    bool positionSource(int64_t frame);
    // Reads the file without passing the end of the instance's stretch of the source.
    int64_t readSource(float* dest, int64_t frames);

    std::mutex m_mutex;
    std::shared_ptr<const StreamConfig> m_config;
    uint64_t m_openGeneration = 0;
    std::string m_openPath;
    SourceFile m_file;

    ChannelMixer m_preMix;  // source -> resampler channels, when narrowing
    ChannelMixer m_postMix; // resampler channels -> output, otherwise
    bool m_narrowing = false;
    int m_width = 0; // channels through the resampler
    soxr_t m_soxr = nullptr;
    std::vector<float> m_sourceBuf;
    std::vector<float> m_midBuf;
    std::vector<float> m_outBuf;     // resampler output before widening
    std::vector<float> m_discardBuf; // output dropped after a seek
    const float* m_input = nullptr;
    size_t m_inputFrames = 0;
    bool m_sourceEnded = false;
    bool m_streamEnded = false;

    int64_t m_position = 0; // output frames before time scaling
    bool m_needsPosition = true;
    int64_t m_fileFrame = 0; // next frame of the file, counted from the stretch's start

    std::unique_ptr<TimeScaler> m_scaler; // only while the configuration scales
};

} // namespace quillon::filefilter
