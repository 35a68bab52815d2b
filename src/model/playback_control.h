#pragma once
// How the project document stops a running playback before it changes the track
// list. The transport implements it; a document without one assumes nothing plays.
// Called on the user-interface thread.

namespace quillon {

class PlaybackControl {
public:
    virtual ~PlaybackControl() = default;
    // Returns once the render loop has ended.
    virtual void stopPlayback() = 0;
    virtual bool isPlaying() const = 0;
};

} // namespace quillon
