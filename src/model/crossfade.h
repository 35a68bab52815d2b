#pragma once
// Joins two overlapping neighbouring clips of one track and mixes them over their
// overlap [B start, A end]. Owned by the outgoing clip; touched only under the
// owning track's lock.

#include <quillon/plugin_abi.h>
#include <quillon/wave_format.h>

#include <cstdint>

namespace quillon {

class CAudioClip;

enum CrossfadeShape : int32_t {
    kCrossfadeLinear = 0,
    kCrossfadeLogarithmic = 1,
    kCrossfadeExponential = 2,
    kCrossfadeSinusoidal = 3,
    kCrossfadeNone = 4,
};

// Time-scale flags given to the file filter for a transition.
enum CrossfadeTempoFlags : int32_t {
    kTempoHard = QUILLON_FF_TRANSITION_HARD,
    kTempoGradual = QUILLON_FF_TRANSITION_GRADUAL,
    kTempoAtStart = QUILLON_FF_TRANSITION_AT_START,
    kTempoAtEnd = QUILLON_FF_TRANSITION_AT_END,
};

class Crossfade {
public:
    Crossfade(CAudioClip* outgoing = nullptr, CAudioClip* incoming = nullptr, int32_t shape = kCrossfadeLinear);
    virtual ~Crossfade() = default;

    // g(x) for x in 0..1; unknown shapes give 0.
    virtual float shapeValue(float x) const;
    // A fades out as B fades in; the shape is evaluated every 8 frames and
    // interpolated in between.
    virtual void mix(float* out, const float* a, const float* b, int32_t frames, int32_t channels, float x,
                     float dx) const;

    void bind(const WAVEFORMATEX& trackFormat);
    void link(CAudioClip* outgoing, CAudioClip* incoming);

    int32_t shape() const { return m_shape; }
    void setShape(int32_t shape) { m_shape = shape; }
    // A end - B start; 0 when the clips only touch.
    int32_t length() const;

    CAudioClip* outgoing() const { return m_a; }
    CAudioClip* incoming() const { return m_b; }
    const WAVEFORMATEX& trackFormat() const { return m_format; }

    // Renders frames [p, p + n) of the overlap (timeline positions) into `dest`,
    // reading A and B through their open readers. `scratchA` and `scratchB` hold at
    // least n * channels floats each, so the render path allocates nothing.
    void render(uint32_t readerA, uint32_t readerB, float* dest, int32_t p, int32_t n, float* scratchA,
                float* scratchB) const;

    // Time-scales the transition of both clips and keeps the values for re-applying.
    void applyTempo(int32_t flags, float ratioA, float ratioB);
    void reapplyTempo();
    int32_t tempoFlags() const { return m_tempoFlags; }
    float tempoRatioA() const { return m_ratioA; }
    float tempoRatioB() const { return m_ratioB; }

private:
    CAudioClip* m_a;
    CAudioClip* m_b;
    int32_t m_shape;
    int32_t m_tempoFlags = 0;
    float m_ratioA = 1.0f;
    float m_ratioB = 1.0f;
    WAVEFORMATEX m_format{};
};

} // namespace quillon
