#pragma once
// Starts, stops and steers playback of a project: the playback thread renders the play
// range into the wave output device while the user-interface thread only starts the
// thread, polls the played position (every 25 ms) and moves positions the render loop
// reads at every block. One playback per document.
//
// Threads: every public call is made on the user-interface thread (the CLI's main
// thread). The playback thread owns the device between open and close. Shared words
// (loop offset, error, active) are atomics.

#include "base/prompt_text.h"
#include "base/sample_range.h"
#include "engine/wave_output_device.h"
#include "model/playback_control.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quillon {

class CMultitrackerDoc;
class SettingsStore;

class Transport : public PlaybackControl {
public:
    static constexpr const char* kDeviceErrorText = "An error occurred while trying to open the wave output device.";
    static constexpr int32_t kOpenEnd = 2147483647;
    static constexpr uint32_t kRingSize = 10;
    // Blocks rendered before the sound starts (150 ms of lead at most; a fast render
    // makes them in a few milliseconds).
    static constexpr uint32_t kStartBlocks = 3;
    static constexpr int kTimerMilliseconds = 25;

    enum class PlayResult { Started, Stopped, DeviceError };

    // Attaches itself to the document as its playback control; detaches when destroyed.
    Transport(CMultitrackerDoc& doc, SettingsStore& settings);
    ~Transport() override;
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    // Plays `range`; with `tracks` only those tracks sound. Playing while a playback
    // runs stops it instead.
    PlayResult play(const SampleRange& range, const std::vector<int32_t>* tracks, bool loop);
    // The marked section when it has a length, else from the cursor until stopped.
    PlayResult playFromCursor();
    PlayResult playAll();
    void toggleLoop();

    // Asks the render loop to end and waits for the playback thread.
    void stopPlayback() override;
    bool isPlaying() const override;
    // Returns every queued buffer at once, stops, and puts the cursor at the start of
    // the marked section when there is one.
    void stopCommand();

    // The timer tick: false once playback is over (every track's play switch is then off).
    bool updatePlayPosition();
    void previousLabel();
    void nextLabel();
    // Moves the cursor and the playing position there (a click in the timeline); a
    // running playback keeps its range, loop and tracks.
    void jumpTo(int32_t position);
    // One step of Backwards (-10) or Forwards (+10): 0.4 s at ten times real time.
    void scrubStep(int step);

    // Called on the playback thread once the device is open: the window starts its
    // 25 ms timer (posting to its own thread).
    void setTimerStarter(std::function<void()> starter) { m_timerStarter = std::move(starter); }
    // A device index for this run instead of the stored Devices/Output.
    void setDeviceOverride(std::optional<int> device) { m_deviceOverride = device; }

    WaveOutputDevice& device() { return m_device; }
    const SampleRange& playRange() const { return m_range; }
    int32_t loopOffset() const { return m_loopOffset.load(); }
    // The failure the playback thread met after opening the device (an effect that
    // refused the format), empty when none.
    std::string lastError() const;

private:
    void threadMain();
    void join();
    void moveCursorAndRender(int32_t position);

    CMultitrackerDoc& m_doc;
    SettingsStore& m_settings;
    WaveOutputDevice m_device;
    std::thread m_thread;
    std::atomic<bool> m_active{false};
    std::atomic<bool> m_error{false};
    std::atomic<bool> m_abort{false};
    std::atomic<int32_t> m_loopOffset{0};
    SampleRange m_range;
    bool m_loop = false;
    int32_t m_startCursor = 0;
    std::optional<int> m_deviceOverride;
    std::function<void()> m_timerStarter;
    mutable std::mutex m_errorMutex;
    PromptText m_lastError;
};

} // namespace quillon
