#pragma once
// Float frames to integer PCM for the output device (and back, for level metering).
//
// The conversion rules per resolution:
//   8 bits:  v = x * 127 + 128, unsigned; 255 and 0 are the limits
//   16 bits: v = x * 32767, signed little-endian; +-32767 are the limits (never -32768)
//   24 bits: x * 8388607 clamped to -8388608..8388607, 3 little-endian bytes
//   32 bits: x * 2^31 clamped to +-2147483647, little-endian
// At 8 and 16 bits the quantisation error of a sample may be fed back into the next
// sample of its channel (noise shaping) and a 0-or-1 LSB offset may be added (dither).
// Truncation is toward zero throughout. A NaN sample converts as silence.
//
// One converter belongs to one render thread; its dither generator is its own state.

#include <cstdint>

namespace quillon {

class PcmConverter {
public:
    explicit PcmConverter(uint32_t seed = 0x9E3779B9u) { reseed(seed); }

    static bool isSupported(uint16_t bits) { return bits == 8 || bits == 16 || bits == 24 || bits == 32; }
    static uint32_t bytesPerSample(uint16_t bits) { return bits / 8u; }

    void reseed(uint32_t seed) { m_state = seed ? seed : 1u; }

    // Converts `frames` interleaved frames of `channels` float samples into `out`
    // (frames x channels x bits/8 bytes). `error` holds the error state of channels 0 and
    // 1 and is updated; further channels are converted without noise shaping.
    void convert(const float* in, uint32_t frames, uint32_t channels, uint16_t bits, bool dither, bool noiseShaping,
                 float error[2], uint8_t* out);

    // One little-endian PCM sample as a float: 8 bits (x - 128) / 127, 16 bits x / 32767,
    // 24 bits x / 8388607, 32 bits x / 2^31.
    static float toFloat(const uint8_t* sample, uint16_t bits);

    // Scales PCM in place: even channels by `left`, odd channels by `right` (both 0..1),
    // truncating toward zero. Used for the device's own output volume.
    static void applyGain(uint8_t* data, uint32_t frames, uint32_t channels, uint16_t bits, float left, float right);

    // The 0-or-1 offset of the dither (exposed for its own test).
    uint32_t nextDither()
    {
        // xorshift32: cheap, lock-free and reproducible, unlike the C library's rand().
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return (m_state >> 16) & 1u;
    }

private:
    template <int Bits>
    void convertShort(const float* in, uint32_t frames, uint32_t channels, bool dither, bool noiseShaping,
                      float error[2], uint8_t* out);

    uint32_t m_state = 1;
};

} // namespace quillon
