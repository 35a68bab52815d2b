#pragma once
// The mixdown renderer: turns the arrangement into a stereo stream of 50 ms blocks.
// Each active track is pulled through a read cursor and mixed with its gain and pan
// into the master bus, its sends feed the assignable groups, the group chains run and
// join the master, the master chain runs, master level and balance are applied and the
// finished block goes to a sink (the wave output device, a file writer, or nothing when
// only the peak is wanted).
//
// Threads: render() and measurePeak() run on the calling thread, which is a worker
// (playback, export, burn preparation); the user-interface thread keeps running. It
// steers a running render only through the document's atomics: the stop request (read
// once per block), the render position (a jump moves the next block), levels, pans,
// sends and the track flags (read at every block). The loop offset is the transport's
// atomic; the renderer lowers it at every wrap. Chains are processed under the document
// lock. One Renderer object serves one render at a time.
//
// Every block buffer is allocated when a render starts; the block loop allocates nothing.
// The tracks of a block are read in parallel on a pool of render workers (one thread per
// core); mixing stays on the calling thread, in track order.
// Only two-channel projects are rendered: the mixing treats every frame as a stereo pair.

#include "base/sample_range.h"
#include "engine/sample_block.h"

#include <quillon/wave_format.h>

#include <atomic>
#include <cstdint>
#include <vector>

namespace quillon {

class CMultitrackerDoc;
class CTrack;
class SampleSink;
class TrackReadCursor;

// What one render call is asked to do.
struct RenderRequest {
    // Receives each finished master block; none for a measurement.
    SampleSink* sink = nullptr;
    SampleRange range;
    // Multiplied into the master gain when >= 0; negative means none (playback).
    float extraGain = -1.0f;
    // When given: set to 0 at the start and raised to the largest master peak seen.
    float* peakOut = nullptr;
    // At the end of the range, continue from its start until stopped.
    bool loop = false;
    // The playback run's loop offset (owned by the transport): lowered by the range
    // length at every wrap so that the position shown jumps back with the audio.
    std::atomic<int32_t>* loopOffset = nullptr;
    // A stop flag of the caller's own, read with the document's stop request once per
    // block. Unlike the document's flag it is never cleared here, so a stop that comes
    // before the render has started cannot be lost.
    const std::atomic<bool>* abort = nullptr;
};

class Renderer {
public:
    static constexpr int32_t kBlockMilliseconds = 50;
    // Peaks look at every sixteenth frame only.
    static constexpr int32_t kPeakStride = 16;
    static constexpr int32_t kChannels = 2;
    // The master block holds at most this many blocks' worth of frames.
    static constexpr double kMaxLengthFactor = 64.0;

    explicit Renderer(CMultitrackerDoc& doc);
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Frames per 50 ms block at a sample rate (2205 at 44100 Hz).
    static int32_t blockFrames(uint32_t sampleRate);
    // Two channels and a rate that gives blocks of at least one frame.
    static bool canRender(const WAVEFORMATEX& projectFormat);

    // Renders the request's range into its sink. Returns when the range is done (the
    // last block is always whole, so up to one block minus a frame past the end is
    // delivered, except to a sink that holds exactly its range), when a stop is requested, or when the sink refuses a block; with loop
    // set it runs until stopped. Returns 1, or 0 without rendering anything when the
    // project is not two-channel. ClassCom from preparing effects, from the master
    // chain's length factor or from reading a track passes to the caller, as does any
    // exception of the sink; cursors are released on every path.
    int render(const RenderRequest& request);
    // The largest master peak over the range with extra gain 1.0, rendered without a sink.
    float measurePeak(const SampleRange& range);

    // Gives every effect of the master, track and group chains the project format.
    void prepareEffects();
    // Product of the master effects' length factors (1.0 for an empty chain).
    double masterLengthFactor() const;

    // ---- the mixing arithmetic, shared with anyone who must match it ----
    // Adds `frames` stereo frames of `src` into `dest`: left by 2 g min(1 - pan, 0.5),
    // right by 2 g min(pan, 0.5).
    static void mixAdd(float* dest, const float* src, int32_t frames, float gain, float pan);
    // Largest magnitude of `channel` over the frames N-1, N-17, N-33, ... down to frame
    // 16; 0 when N <= 16.
    static float peak(const float* data, int32_t frames, int32_t channels, int32_t channel);
    // A track's send into a group follows the track volume: 26 dB per unit of the send
    // level and of the volume, -40 dB when both are 0. A send level of exactly 0 (the
    // send slider's "-oo dB") sends nothing.
    static float sendGain(float sendLevel, float trackVolume);
    struct MasterGains {
        float left = 1.0f;
        float right = 1.0f;
    };
    // Master level through the slider mapping, times the extra gain when >= 0; balance
    // lowers the side away from the pan.
    static MasterGains masterGains(float masterLevel, float masterPan, float extraGain);

private:
    struct Setup;
    // Reads one track's block (any thread of the render's workers).
    void produceTrack(Setup& s, int32_t index);
    // Mixes it into the master and its sends (the render thread, in track order).
    void mixTrack(Setup& s, int32_t index);
    void mixGroups(Setup& s);

    CMultitrackerDoc& m_doc;
};

} // namespace quillon
