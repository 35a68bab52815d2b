#include "channel_mixer.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>

namespace quillon::filefilter {

namespace {

constexpr float kSide = 0.70710678f; // -3 dB

// Left and right weights of one speaker position when folding to stereo.
void stereoWeights(int position, float& left, float& right)
{
    switch (position) {
    case SF_CHANNEL_MAP_LEFT:
    case SF_CHANNEL_MAP_FRONT_LEFT:
    case SF_CHANNEL_MAP_FRONT_LEFT_OF_CENTER:
    case SF_CHANNEL_MAP_TOP_FRONT_LEFT: left = 1; right = 0; return;
    case SF_CHANNEL_MAP_RIGHT:
    case SF_CHANNEL_MAP_FRONT_RIGHT:
    case SF_CHANNEL_MAP_FRONT_RIGHT_OF_CENTER:
    case SF_CHANNEL_MAP_TOP_FRONT_RIGHT: left = 0; right = 1; return;
    case SF_CHANNEL_MAP_REAR_LEFT:
    case SF_CHANNEL_MAP_SIDE_LEFT:
    case SF_CHANNEL_MAP_TOP_REAR_LEFT: left = kSide; right = 0; return;
    case SF_CHANNEL_MAP_REAR_RIGHT:
    case SF_CHANNEL_MAP_SIDE_RIGHT:
    case SF_CHANNEL_MAP_TOP_REAR_RIGHT: left = 0; right = kSide; return;
    case SF_CHANNEL_MAP_LFE: left = 0; right = 0; return;
    default: left = kSide; right = kSide; return; // centre, mono and anything unknown
    }
}

// The usual order of interleaved channels when a file states no positions.
int defaultPosition(int channel, int count)
{
    static const int k3[] = {SF_CHANNEL_MAP_LEFT, SF_CHANNEL_MAP_RIGHT, SF_CHANNEL_MAP_CENTER};
    static const int k4[] = {SF_CHANNEL_MAP_LEFT, SF_CHANNEL_MAP_RIGHT, SF_CHANNEL_MAP_REAR_LEFT,
                             SF_CHANNEL_MAP_REAR_RIGHT};
    static const int k5[] = {SF_CHANNEL_MAP_LEFT, SF_CHANNEL_MAP_RIGHT, SF_CHANNEL_MAP_CENTER,
                             SF_CHANNEL_MAP_REAR_LEFT, SF_CHANNEL_MAP_REAR_RIGHT};
    static const int k6[] = {SF_CHANNEL_MAP_LEFT,   SF_CHANNEL_MAP_RIGHT,     SF_CHANNEL_MAP_CENTER,
                             SF_CHANNEL_MAP_LFE,    SF_CHANNEL_MAP_REAR_LEFT, SF_CHANNEL_MAP_REAR_RIGHT};
    static const int k7[] = {SF_CHANNEL_MAP_LEFT,        SF_CHANNEL_MAP_RIGHT,     SF_CHANNEL_MAP_CENTER,
                             SF_CHANNEL_MAP_LFE,         SF_CHANNEL_MAP_REAR_CENTER, SF_CHANNEL_MAP_SIDE_LEFT,
                             SF_CHANNEL_MAP_SIDE_RIGHT};
    static const int k8[] = {SF_CHANNEL_MAP_LEFT,      SF_CHANNEL_MAP_RIGHT,      SF_CHANNEL_MAP_CENTER,
                             SF_CHANNEL_MAP_LFE,       SF_CHANNEL_MAP_REAR_LEFT,  SF_CHANNEL_MAP_REAR_RIGHT,
                             SF_CHANNEL_MAP_SIDE_LEFT, SF_CHANNEL_MAP_SIDE_RIGHT};
    switch (count) {
    case 1: return SF_CHANNEL_MAP_MONO;
    case 2: return channel == 0 ? SF_CHANNEL_MAP_LEFT : SF_CHANNEL_MAP_RIGHT;
    case 3: return k3[channel];
    case 4: return k4[channel];
    case 5: return k5[channel];
    case 6: return k6[channel];
    case 7: return k7[channel];
    default: return channel < 8 ? k8[channel] : SF_CHANNEL_MAP_INVALID;
    }
}

} // namespace

void ChannelMixer::configure(int inputs, int outputs, const std::vector<int>& positions)
{
    m_inputs = inputs;
    m_outputs = outputs;
    m_matrix.assign(static_cast<size_t>(inputs * outputs), 0.0f);
    auto at = [&](int o, int i) -> float& { return m_matrix[static_cast<size_t>(o * inputs + i)]; };

    if (inputs == outputs) {
        m_kind = Kind::Identity;
        for (int c = 0; c < inputs; ++c)
            at(c, c) = 1;
        return;
    }
    m_kind = Kind::Matrix;
    if (inputs == 1) {
        m_kind = Kind::Duplicate;
        for (int o = 0; o < outputs; ++o)
            at(o, 0) = 1;
        return;
    }
    if (inputs < outputs) {
        // No guessing at upmixes: the channels keep their places, the others stay silent.
        for (int c = 0; c < inputs; ++c)
            at(c, c) = 1;
        return;
    }

    auto position = [&](int c) {
        const int p = c < static_cast<int>(positions.size()) ? positions[static_cast<size_t>(c)] : 0;
        return p != SF_CHANNEL_MAP_INVALID ? p : defaultPosition(c, inputs);
    };
    if (outputs == 1) {
        int counted = 0;
        for (int i = 0; i < inputs; ++i)
            counted += position(i) != SF_CHANNEL_MAP_LFE ? 1 : 0;
        for (int i = 0; i < inputs; ++i)
            if (position(i) != SF_CHANNEL_MAP_LFE || counted == 0)
                at(0, i) = 1.0f / static_cast<float>(counted ? counted : inputs);
        return;
    }
    if (outputs == 2) {
        for (int i = 0; i < inputs; ++i)
            stereoWeights(position(i), at(0, i), at(1, i));
    } else {
        for (int i = 0; i < inputs; ++i)
            at(i % outputs, i) = 1;
    }
    for (int o = 0; o < outputs; ++o) {
        float sum = 0;
        for (int i = 0; i < inputs; ++i)
            sum += at(o, i);
        if (sum > 1)
            for (int i = 0; i < inputs; ++i)
                at(o, i) /= sum;
    }
}

void ChannelMixer::apply(const float* in, float* out, size_t frames) const
{
    const size_t ni = static_cast<size_t>(m_inputs);
    const size_t no = static_cast<size_t>(m_outputs);
    switch (m_kind) {
    case Kind::Identity: std::memcpy(out, in, frames * ni * sizeof(float)); return;
    case Kind::Duplicate:
        if (no == 2) {
            for (size_t f = 0; f < frames; ++f)
                out[2 * f] = out[2 * f + 1] = in[f];
        } else {
            for (size_t f = 0; f < frames; ++f)
                std::fill(out + f * no, out + (f + 1) * no, in[f]);
        }
        return;
    case Kind::Matrix:
        for (size_t f = 0; f < frames; ++f) {
            const float* src = in + f * ni;
            float* dst = out + f * no;
            for (size_t o = 0; o < no; ++o) {
                const float* row = m_matrix.data() + o * ni;
                float acc = 0;
                for (size_t i = 0; i < ni; ++i)
                    acc += row[i] * src[i];
                dst[o] = acc;
            }
        }
        return;
    }
}

} // namespace quillon::filefilter
