#pragma once
// The recording side of the sound card: a PortAudio capture stream that fills a ring of
// 32 buffers (100 ms each for recording), read one whole buffer at a time in the
// device's own PCM format.
//
// Threads: open, read and close belong to one thread (the recording thread); the stream
// callback runs on PortAudio's audio thread and only fills buffers and signals.

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

class WaveInputDevice {
public:
    static constexpr uint32_t kBufferCount = 32;
    // What open returns.
    static constexpr int kOpened = 0;
    static constexpr int kCannotOpen = 2;
    static constexpr int kCannotStart = 3;
    // A device that delivers nothing for this long counts as failed.
    static constexpr std::chrono::milliseconds kDefaultStallLimit{2000};

    enum class ReadResult {
        Ready,   // a buffer was copied
        Waiting, // nothing yet within the wait
        Failed,  // the device stopped: the stream ended or no buffer came within the stall limit
    };

    WaveInputDevice();
    ~WaveInputDevice();
    WaveInputDevice(const WaveInputDevice&) = delete;
    WaveInputDevice& operator=(const WaveInputDevice&) = delete;

    // The names of the system's input devices; a device id is an index into this list
    // (-1 is the system default).
    static std::vector<std::string> deviceNames();

    // Opens and starts capture of PCM in `format` (8, 16, 24 or 32 bits) into 32
    // buffers of `framesPerBuffer` frames. kOpened, kCannotOpen, or kCannotStart (the
    // device is then closed again).
    int open(int deviceId, const WAVEFORMATEX& format, uint32_t framesPerBuffer);
    bool isOpen() const { return m_stream != nullptr; }
    // Copies the oldest full buffer (bufferBytes() bytes) into `destination`, waiting up
    // to `wait` for one.
    ReadResult read(uint8_t* destination, std::chrono::milliseconds wait);
    void close();

    uint32_t bufferBytes() const { return m_bufferBytes; }
    uint32_t framesPerBuffer() const { return m_framesPerBuffer; }
    const WAVEFORMATEX& format() const { return m_format; }
    // Frames that arrived while every buffer was full and unread, and were lost.
    uint64_t droppedFrames() const { return m_dropped.load(std::memory_order_relaxed); }
    void setStallLimit(std::chrono::milliseconds limit) { m_stallLimit = limit; }

private:
    static int streamCallback(const void* input, void* output, unsigned long frames,
                              const PaStreamCallbackTimeInfo* timeInfo, unsigned long statusFlags, void* self);
    static void streamFinished(void* self);
    void capture(const uint8_t* in, unsigned long frames);
    static int64_t nowTicks();

    std::unique_ptr<PortAudioSession> m_session;
    void* m_stream = nullptr; // PaStream
    WAVEFORMATEX m_format{};
    uint32_t m_framesPerBuffer = 0;
    uint32_t m_bufferBytes = 0;
    std::vector<uint8_t> m_buffers; // kBufferCount x m_bufferBytes

    uint32_t m_fillOffset = 0;            // callback: bytes in the buffer being filled
    std::atomic<uint32_t> m_filled{0};    // buffers completed by the callback
    std::atomic<uint32_t> m_read{0};      // buffers taken by read
    std::atomic<int64_t> m_lastBuffer{0}; // when the callback last completed one
    std::atomic<uint64_t> m_dropped{0};
    std::atomic<bool> m_failed{false};
    std::atomic<bool> m_stopping{false};
    std::chrono::milliseconds m_stallLimit{kDefaultStallLimit};

    std::mutex m_mutex;
    std::condition_variable m_bufferFull;
};

} // namespace quillon
