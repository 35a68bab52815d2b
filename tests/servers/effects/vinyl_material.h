#pragma once
// Generated material like a transfer of a worn record: music-like notes (plucked
// tones with harmonics that start at once and die away), with the record's faults
// added one by one, so that each can be measured against what it was added to.
// Mono or interleaved stereo; the faults are the same in both channels, a little
// louder in the left, as a scratch in the groove reaches both.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon::test {

struct Click {
    size_t frame;  // first frame
    size_t length; // frames
};

class VinylMaterial {
public:
    VinylMaterial(double seconds, uint32_t rate, uint32_t channels, uint32_t seed = 1);

    size_t frames() const { return m_frames; }
    uint32_t rate() const { return m_rate; }
    uint32_t channels() const { return m_channels; }

    // Notes starting every 0.2..0.5 s; returns the frames where notes start.
    std::vector<size_t> addMusic(double amplitude, double fromSeconds = 0.0, double toSeconds = 1e9);
    void addTone(double frequency, double amplitude, double fromSeconds, double toSeconds);
    // Impulses of 0.1..0.6 peak and 1..`longest` frames, one every 1/perSecond s on average.
    std::vector<Click> addClicks(double perSecond, size_t longest = 40);
    // Dense ticks of 0.005..0.03 peak and 1..3 frames.
    void addCrackle(double perSecond);
    void addRumble(double amplitude);
    void addHiss(double amplitude);

    const std::vector<float>& samples() const { return m_samples; }

private:
    void addImpulse(size_t frame, size_t length, double peak, double ringing);

    size_t m_frames;
    uint32_t m_rate;
    uint32_t m_channels;
    uint32_t m_seed;
    std::vector<float> m_samples;
};

} // namespace quillon::test
