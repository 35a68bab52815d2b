#include "engine/pcm_converter.h"

#include <cmath>

namespace quillon {

namespace {

inline void put16(uint8_t* p, int32_t v)
{
    const auto u = static_cast<uint32_t>(v);
    p[0] = static_cast<uint8_t>(u);
    p[1] = static_cast<uint8_t>(u >> 8);
}

inline void put24(uint8_t* p, int32_t v)
{
    const auto u = static_cast<uint32_t>(v);
    p[0] = static_cast<uint8_t>(u);
    p[1] = static_cast<uint8_t>(u >> 8);
    p[2] = static_cast<uint8_t>(u >> 16);
}

inline void put32(uint8_t* p, int32_t v)
{
    const auto u = static_cast<uint32_t>(v);
    p[0] = static_cast<uint8_t>(u);
    p[1] = static_cast<uint8_t>(u >> 8);
    p[2] = static_cast<uint8_t>(u >> 16);
    p[3] = static_cast<uint8_t>(u >> 24);
}

inline int32_t get16(const uint8_t* p)
{
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

inline int32_t get24(const uint8_t* p)
{
    const uint32_t u = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                       (static_cast<uint32_t>(p[2]) << 16);
    return static_cast<int32_t>(u << 8) >> 8;
}

inline int32_t get32(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

inline float finite(float x)
{
    return std::isnan(x) ? 0.0f : x;
}

} // namespace

template <int Bits>
void PcmConverter::convertShort(const float* in, uint32_t frames, uint32_t channels, bool dither, bool noiseShaping,
                                float error[2], uint8_t* out)
{
    constexpr float kScale = Bits == 8 ? 127.0f : 32767.0f;
    constexpr float kOffset = Bits == 8 ? 128.0f : 0.0f;
    constexpr float kMax = Bits == 8 ? 255.0f : 32767.0f;
    constexpr float kMin = Bits == 8 ? 0.0f : -32767.0f;
    constexpr uint32_t kBytes = Bits / 8;

    float spare = 0.0f; // error slot of channels beyond the second, never fed back
    for (uint32_t f = 0; f < frames; ++f) {
        for (uint32_t c = 0; c < channels; ++c, ++in, out += kBytes) {
            float& e = c < 2 ? error[c] : spare;
            float v = finite(*in) * kScale + kOffset;
            if (noiseShaping && c < 2)
                v -= e;
            if (dither)
                v += static_cast<float>(nextDither());
            int32_t q;
            if (v >= kMax) {
                q = static_cast<int32_t>(kMax);
                e = 0.0f;
            } else if (v <= kMin) {
                q = static_cast<int32_t>(kMin);
                e = 0.0f;
            } else {
                q = static_cast<int32_t>(v);
                e = static_cast<float>(q) - v;
            }
            if constexpr (Bits == 8)
                *out = static_cast<uint8_t>(q);
            else
                put16(out, q);
        }
    }
}

void PcmConverter::convert(const float* in, uint32_t frames, uint32_t channels, uint16_t bits, bool dither,
                           bool noiseShaping, float error[2], uint8_t* out)
{
    switch (bits) {
    case 8:
        convertShort<8>(in, frames, channels, dither, noiseShaping, error, out);
        return;
    case 16:
        convertShort<16>(in, frames, channels, dither, noiseShaping, error, out);
        return;
    case 24:
        for (uint32_t i = 0, n = frames * channels; i < n; ++i, out += 3) {
            double v = static_cast<double>(finite(in[i])) * 8388607.0;
            if (v > 8388607.0)
                v = 8388607.0;
            else if (v < -8388608.0)
                v = -8388608.0;
            put24(out, static_cast<int32_t>(v));
        }
        return;
    case 32:
        for (uint32_t i = 0, n = frames * channels; i < n; ++i, out += 4) {
            double v = static_cast<double>(finite(in[i])) * 2147483648.0;
            // Clamping before the integer conversion keeps infinities defined; truncation
            // of an in-range value equals clamping the truncated value.
            if (v > 2147483647.0)
                v = 2147483647.0;
            else if (v < -2147483647.0)
                v = -2147483647.0;
            put32(out, static_cast<int32_t>(v));
        }
        return;
    default:
        return;
    }
}

float PcmConverter::toFloat(const uint8_t* sample, uint16_t bits)
{
    switch (bits) {
    case 8:
        return (static_cast<float>(sample[0]) - 128.0f) / 127.0f;
    case 16:
        return static_cast<float>(get16(sample)) / 32767.0f;
    case 24:
        return static_cast<float>(static_cast<double>(get24(sample)) / 8388607.0);
    case 32:
        return static_cast<float>(static_cast<double>(get32(sample)) / 2147483648.0);
    default:
        return 0.0f;
    }
}

void PcmConverter::applyGain(uint8_t* data, uint32_t frames, uint32_t channels, uint16_t bits, float left,
                             float right)
{
    const uint32_t bytes = bits / 8u;
    for (uint32_t f = 0; f < frames; ++f) {
        for (uint32_t c = 0; c < channels; ++c, data += bytes) {
            const double g = (c & 1u) ? right : left;
            switch (bits) {
            case 8:
                data[0] = static_cast<uint8_t>(static_cast<int32_t>((data[0] - 128) * g) + 128);
                break;
            case 16:
                put16(data, static_cast<int32_t>(get16(data) * g));
                break;
            case 24:
                put24(data, static_cast<int32_t>(get24(data) * g));
                break;
            case 32:
                put32(data, static_cast<int32_t>(get32(data) * g));
                break;
            default:
                return;
            }
        }
    }
}

} // namespace quillon
