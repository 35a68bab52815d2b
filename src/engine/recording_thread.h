#pragma once
// The thread that records a take: reads 100 ms buffers from the wave input device,
// measures their peaks, creates the take file through the file filter when a new file
// is requested, and appends the buffers while the take is not paused. Stopping closes
// the device and releases the file filter, which completes the file, before the
// finished flag is set.
//
// A failing device or a failing write never costs what was recorded: the thread stops
// writing (and, for the device, ends), and the file is completed all the same.
//
// Threads: start and join are called by the user-interface thread; everything else runs
// on the recording thread, which talks to the console only through the RecordingState.

#include "engine/recording_state.h"

#include <chrono>
#include <cstdint>
#include <thread>

namespace quillon {

class RecordingThread {
public:
    explicit RecordingThread(RecordingState& state) : m_state(state) {}
    // Asks the thread to stop and waits for it.
    ~RecordingThread();
    RecordingThread(const RecordingThread&) = delete;
    RecordingThread& operator=(const RecordingThread&) = delete;

    void start();
    void join();
    // The recording loop on the calling thread.
    void run();

    // How long the device may deliver nothing before it counts as failed.
    void setStallLimit(std::chrono::milliseconds limit) { m_stallLimit = limit; }

    // Peaks of channel 0 and channel 1 of a buffer of PCM in `format`, measured over
    // whole runs of 256 frames (frames after the last whole run are not measured).
    static void measurePeaks(const uint8_t* data, uint32_t frames, const WAVEFORMATEX& format, float& left,
                             float& right);

private:
    bool createFile(const std::string& path);

    RecordingState& m_state;
    std::thread m_thread;
    std::chrono::milliseconds m_stallLimit{2000};
};

} // namespace quillon
