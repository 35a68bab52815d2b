#pragma once
// Where the renderer hands finished master blocks: the wave output device for
// playback, a file writer for export. Called on the render thread.

#include <cstdint>

namespace quillon {

class SampleBlock;

class SampleSink {
public:
    virtual ~SampleSink() = default;
    // False when the block could not be taken (device error, write failure).
    virtual bool acceptBlock(const SampleBlock& block) = 0;
    // Frames that have reached their destination (played, written).
    virtual int64_t framesDone() const = 0;
    // Frames handed to the sink so far.
    virtual int64_t framesDelivered() const = 0;
};

} // namespace quillon
