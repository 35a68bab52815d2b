#pragma once
// What the recording console and the recording thread share while a take is recorded:
// flags and words that one side writes and the other polls, the take's format and
// target, the file filter that writes it, and the messages the thread leaves for the
// console to show.
//
// Threads: the user-interface thread sets pause, stop, the target and the silence limit
// and reads the position, the peaks, the error flags and the messages; the recording
// thread does the opposite. The file filter belongs to the recording thread from
// RecordingThread::start until finished() is true.

#include "base/prompt_text.h"
#include "plugins/file_filter.h"

#include <quillon/wave_format.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace quillon {

class RecordingState {
public:
    // "Pause recording after 20 seconds of silence": 200 buffers of 100 ms.
    static constexpr int32_t kSilenceLimitBuffers = 200;
    static constexpr int32_t kSilenceOff = -1;

    static constexpr const char* kOpenErrorText = "An error occurred while trying to open the audio input device.";
    static constexpr const char* kCreateErrorText = "Unable to create file %1.";
    static constexpr const char* kWriteErrorText = "Unable to write to file %1. The recording was paused.";
    static constexpr const char* kDeviceFailedText =
        "The audio input device stopped delivering sound. What was recorded so far is kept.";

    RecordingState(const WAVEFORMATEX& format, std::string targetPath, FileFilter filter, int inputDevice = -1,
                   int32_t insertionPosition = 0);

    // PCM, 1 or 2 channels at the project rate, with the block alignment and byte rate
    // derived.
    static WAVEFORMATEX recordingFormat(uint32_t rate, bool stereo, uint16_t bits);

    const WAVEFORMATEX& format() const { return m_format; }
    int inputDevice() const { return m_inputDevice; }
    int32_t insertionPosition() const { return m_insertionPosition; }

    // The take starts paused; the record button clears the flag.
    void setPaused(bool paused) { m_pause.store(paused); }
    bool isPaused() const { return m_pause.load(); }
    // Final: the thread closes everything and finishes.
    void requestStop() { m_stop.store(true); }
    bool stopRequested() const { return m_stop.load(); }

    std::string targetPath() const;
    // A new target ("Change Target File..."): the thread creates it at its next buffer.
    void changeTarget(const std::string& path);
    // Recording thread: whether a new file is wanted, clearing the request.
    bool takeNewFileRequest() { return m_newFile.exchange(false); }

    // Quiet buffers after which the take pauses by itself; kSilenceOff (or 0) for never.
    void setSilenceLimit(int32_t buffers) { m_silenceLimit.store(buffers); }
    int32_t silenceLimit() const { return m_silenceLimit.load(); }

    // Insertion position + frames recorded.
    int64_t currentPosition() const { return m_position.load(); }
    void addRecordedFrames(uint32_t frames) { m_position.fetch_add(frames); }
    // Buffers the recording thread has taken from the device. Once the count has moved on
    // by one after a change of pause, every buffer handled since has seen the change.
    int64_t buffersRead() const { return m_buffersRead.load(); }
    void countBuffer() { m_buffersRead.fetch_add(1); }
    // Largest magnitudes of the last buffer, 0..1.
    float leftPeak() const { return m_leftPeak.load(); }
    float rightPeak() const { return m_rightPeak.load(); }
    void setPeaks(float left, float right)
    {
        m_leftPeak.store(left);
        m_rightPeak.store(right);
    }

    bool deviceError() const { return m_deviceError.load(); }
    void setDeviceError() { m_deviceError.store(true); }
    bool writeError() const { return m_writeError.load(); }
    void setWriteError() { m_writeError.store(true); }
    bool isFinished() const { return m_finished.load(); }
    void setFinished() { m_finished.store(true); }
    // Polls the finished flag every 100 ms.
    void waitUntilFinished() const;

    void postMessage(const PromptText& text);
    void postMessage(const std::string& text) { postMessage(PromptText(text)); }
    // The messages posted since the last call, oldest first.
    std::vector<PromptText> takeMessages();
    // The same in English.
    std::vector<std::string> takeEnglishMessages();

    FileFilter& fileFilter() { return m_filter; }
    // Releasing the instance closes the file it writes.
    void releaseFileFilter() { m_filter = FileFilter(); }

    // The console's meter reading of a peak: 100 minus the integer part of -1.25 x dB,
    // with -144 dB for silence (so a zero peak gives -80).
    static int meterLevel(float peak);
    // The console's "Maximum recording time:" for the free bytes of the target drive:
    // "%d minutes" below an hour, else "%d hours". Free space counts up to block
    // alignment x (2^31 - 1) bytes.
    static PromptText maximumRecordingTime(uint64_t freeBytes, const WAVEFORMATEX& format);
    // True when less than a minute of recording fits (the display blinks).
    static bool isLowOnSpace(uint64_t freeBytes, const WAVEFORMATEX& format);
    // The space available to the user on the file system of the folder `path` lies in
    // (0 when unknown).
    static uint64_t freeBytesFor(const std::string& path);
    // Where the file system of that folder is mounted ("Target disk drive:"); empty
    // when the folder does not exist.
    static std::string mountPointOf(const std::string& path);

private:
    const WAVEFORMATEX m_format;
    const int m_inputDevice;
    const int32_t m_insertionPosition;

    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_pause{true};
    std::atomic<bool> m_newFile{true};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_deviceError{false};
    std::atomic<bool> m_writeError{false};
    std::atomic<int32_t> m_silenceLimit{kSilenceOff};
    std::atomic<int64_t> m_position;
    std::atomic<int64_t> m_buffersRead{0};
    std::atomic<float> m_leftPeak{0.0f};
    std::atomic<float> m_rightPeak{0.0f};

    mutable std::mutex m_mutex; // the target path and the messages
    std::string m_targetPath;
    std::vector<PromptText> m_messages;

    FileFilter m_filter;
};

} // namespace quillon
