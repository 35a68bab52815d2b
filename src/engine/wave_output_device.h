#pragma once
// The render sink of playback: converts the renderer's float blocks to integer PCM of
// the output resolution and queues them in a small ring of buffers that a PortAudio
// stream plays. The render thread is held back while ring size - 1 buffers are queued,
// so it runs at most that many blocks ahead of the sound.
//
// Threads:
// - open, acceptBlock, lastBufferDone and close: the playback thread (open and close
//   may also come from the user-interface thread while no playback thread runs);
// - reset, isClosed, framesDone, framesDelivered, queuedBuffers, volume and
//   setVolume, setDithering/setNoiseShaping: any thread;
// - the stream callback runs on PortAudio's audio thread and only takes queued buffers
//   back, counts the frames played and signals the waiting render thread.
// close must not run while another thread is inside acceptBlock.

#include "engine/pcm_converter.h"
#include "engine/sample_sink.h"

#include <quillon/wave_format.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct PaStreamCallbackTimeInfo;

namespace quillon {

class PortAudioSession;

class WaveOutputDevice : public SampleSink {
public:
    static constexpr uint32_t kPlaybackRingSize = 10;
    static constexpr std::chrono::milliseconds kReturnTimeout{10000};
    static constexpr uint32_t kFullVolume = 0xFFFFFFFFu;
    // Every open starts the dither generator from here, so a run is reproducible.
    static constexpr uint32_t kDitherSeed = 0x9E3779B9u;

    WaveOutputDevice();
    ~WaveOutputDevice() override;
    WaveOutputDevice(const WaveOutputDevice&) = delete;
    WaveOutputDevice& operator=(const WaveOutputDevice&) = delete;

    // The names of the system's output devices; a device id is an index into this list
    // (-1 is the system default).
    static std::vector<std::string> deviceNames();

    // Opens the device for PCM of `bits` (8, 16, 24 or 32) with a ring of `ringSize`
    // (at least 2) buffers. False, and still closed, when the device or the format is
    // refused.
    bool open(uint32_t rate, uint16_t channels, uint16_t bits, int deviceId, uint32_t ringSize);
    bool isClosed() const { return !m_open.load(std::memory_order_acquire); }

    // Converts and queues a block; waits while ring size - 1 buffers are queued. False
    // when the device is closed or has failed, when the block's channel count is not the
    // device's, or when no buffer came back within the return timeout (the block is then
    // not queued, since every slot may still be playing). A block of 0 frames is ignored.
    bool acceptBlock(const SampleBlock& block) override;
    // Frames that the stream has taken from the ring to play since open.
    int64_t framesDone() const override { return m_framesPlayed.load(std::memory_order_acquire); }
    // Frames handed to acceptBlock and queued since open.
    int64_t framesDelivered() const override { return m_framesDelivered.load(std::memory_order_acquire); }
    // True when the buffer written last has been played, that is when nothing is queued
    // any more. Also true when nothing was ever written and when the device has failed or
    // played nothing for the return timeout, so that a drain loop cannot hang.
    bool lastBufferDone() const;
    // The device stopped playing (an error of the stream, or no buffer back in time).
    bool hasFailed() const { return m_failed.load(); }

    // How the run since open went. An underrun is a moment the stream wanted sound
    // while blocks were still to come and the ring was empty; a gap is one unbroken
    // stretch of such silence. Silence before the first block and after the last
    // (finish) or a reset does not count.
    struct RunFigures {
        int64_t underruns = 0;
        int64_t longestGapFrames = 0;
        int64_t longestGapAt = 0; // frames played when that gap began
        int64_t firstBlockNanoseconds = 0; // steady clock when the first block was queued; 0 before
    };
    RunFigures runFigures() const;
    // The renderer is done: the silence after the last block is no underrun, and a
    // start held back for more blocks plays what there is.
    void finish() override
    {
        m_producing.store(false, std::memory_order_release);
        m_started.store(true, std::memory_order_release);
    }
    // How many blocks must be queued before the stream takes the first of them (0 or
    // 1: at once). Playback waits for a few, so that a render that is only a little
    // faster than real time builds up its lead before the sound starts instead of
    // running dry in its first blocks. Read at every open.
    void setStartBlocks(uint32_t blocks) { m_startBlocks.store(blocks, std::memory_order_relaxed); }
    uint32_t queuedBuffers() const { return m_queued.load(std::memory_order_acquire); }
    // Returns every queued buffer at once, unplayed; a render thread waiting in acceptBlock
    // goes on at once. The device stays open and plays what is queued afterwards.
    void reset();
    void close();

    // The device volume: left gain in the low 16 bits, right gain in the high 16 bits,
    // 0xFFFF being unity. Applied to the sound as it is played, so a change is heard at
    // once. Kept across open and close.
    void setVolume(uint32_t word) { m_volume.store(word, std::memory_order_relaxed); }
    uint32_t volume() const { return m_volume.load(std::memory_order_relaxed); }
    // The volume word of the master knobs: volume in dB (-60..0) and pan (-100..100).
    static uint32_t volumeWord(double volumeDb, int pan);

    const WAVEFORMATEX& outputFormat() const { return m_format; }
    uint32_t ringSize() const { return m_ringSize; }
    // How long acceptBlock waits for a returned buffer before it gives up (kReturnTimeout).
    void setReturnTimeout(std::chrono::milliseconds timeout) { m_returnTimeout = timeout; }

private:
    struct Slot {
        std::vector<uint8_t> data; // only grown
        uint32_t bytes = 0;
    };

    static int streamCallback(const void* input, void* output, unsigned long frames,
                              const PaStreamCallbackTimeInfo* timeInfo, unsigned long statusFlags, void* self);
    static void streamFinished(void* self);
    int play(uint8_t* out, unsigned long frames);
    void returnAllQueued();
    static int64_t nowMilliseconds();

    std::unique_ptr<PortAudioSession> m_session;
    void* m_stream = nullptr; // PaStream
    WAVEFORMATEX m_format{};
    PcmConverter m_converter;

    std::unique_ptr<Slot[]> m_ring;
    uint32_t m_ringSize = 0;
    uint32_t m_writeIndex = 0;     // render thread
    uint32_t m_completedIndex = 0; // the consumer: the stream callback, or reset while the stream is stopped
    uint32_t m_readOffset = 0;     // bytes of the completed-index slot already played
    std::atomic<uint32_t> m_queued{0};

    std::atomic<bool> m_open{false};
    mutable std::atomic<bool> m_failed{false};
    std::atomic<int64_t> m_lastProgress{0}; // steady milliseconds: a buffer came back or one went into an empty ring
    std::atomic<bool> m_stopping{false}; // a stop of our own, not a failure
    std::atomic<bool> m_producing{false}; // blocks have come and more are to come
    std::atomic<uint32_t> m_startBlocks{0};
    std::atomic<bool> m_started{false}; // the stream has begun taking blocks
    std::atomic<int64_t> m_underruns{0};
    std::atomic<int64_t> m_longestGap{0};
    std::atomic<int64_t> m_longestGapAt{0};
    int64_t m_gapFrames = 0; // stream callback only
    std::atomic<int64_t> m_firstBlockAt{0};
    std::atomic<int64_t> m_framesDelivered{0};
    std::atomic<int64_t> m_framesPlayed{0};
    std::atomic<uint32_t> m_volume{kFullVolume};
    std::chrono::milliseconds m_returnTimeout{kReturnTimeout};

    // Guards the stream calls (reset against the render thread's checks) and is the
    // mutex of the buffer-returned signal.
    std::mutex m_mutex;
    std::condition_variable m_returned;
};

} // namespace quillon
