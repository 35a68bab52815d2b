#pragma once
// What the views and the main window need from the transport: starting, steering and
// following a playback. The engine implements it; without one the play commands stay
// disabled. User-interface thread only.

#include "base/sample_range.h"
#include "model/playback_control.h"

#include <cstdint>
#include <vector>

namespace quillon {

class TransportControl : public PlaybackControl {
public:
    // Plays the range; with `tracks` only those tracks. Calling it while a playback runs
    // stops that playback instead.
    virtual void play(const SampleRange& range, const std::vector<int32_t>* tracks, bool loop) = 0;
    // The Stop command: stops, and returns the cursor to the marked section's start.
    virtual void stopCommand() = 0;
    // Moves the playing position (a click in the timeline while playing).
    virtual void jumpTo(int32_t position) = 0;
    // Called on every tick of the view's 25 ms timer; false once playback is over.
    virtual bool updatePlayPosition() = 0;
    // Rewind / fast forward: the scrub step is -10 or +10.
    virtual void scrub(int32_t step) = 0;
    virtual void previousLabel() = 0;
    virtual void nextLabel() = 0;
};

} // namespace quillon
