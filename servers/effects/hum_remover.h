#pragma once
// Mains hum removal: finds whether the hum is at 50 or 60 Hz and notches out its
// fundamental and harmonics (up to 1 kHz, about 3 Hz wide each).
// The decision is made each second from the power at the three lowest harmonics of
// each mains frequency against the power between them; until one stands out clearly
// nothing is notched, and a decision holds until the other mains is clearly stronger.
// Everything is allocated by the owner's prepare; running allocates nothing.

#include "biquad.h"

#include <cstdint>

namespace quillon::fx {

class HumRemover {
public:
    static constexpr uint32_t kMaxChannels = 2;
    static constexpr uint32_t kMaxHarmonics = 20;

    void prepare(uint32_t rate, uint32_t channels);
    void setDepth(float depth);
    // The mains frequency found so far: 0 (none yet), 50 or 60.
    uint32_t mains() const { return m_mains; }
    bool active() const { return m_depth > 0.0f; }

    // Runs one frame of `channels` samples in place.
    void run(float* frame);

private:
    void decide();
    void design();

    // Goertzel resonators on the channels' sum: three harmonics of 50 and 60 Hz, and
    // the frequencies between them as the reference.
    static constexpr uint32_t kProbes = 12;
    double m_coefficient[kProbes] = {};
    double m_s1[kProbes] = {};
    double m_s2[kProbes] = {};
    uint32_t m_count = 0;

    Biquad m_notch[kMaxChannels][kMaxHarmonics];
    uint32_t m_harmonics = 0;
    uint32_t m_rate = 44100;
    uint32_t m_channels = 2;
    uint32_t m_mains = 0;
    float m_depth = 0.0f;
};

} // namespace quillon::fx
