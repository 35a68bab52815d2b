#include "model/crossfade.h"

#include "model/audio_clip.h"

#include <cmath>
#include <cstring>

namespace quillon {

Crossfade::Crossfade(CAudioClip* outgoing, CAudioClip* incoming, int32_t shape)
    : m_a(outgoing), m_b(incoming), m_shape(shape)
{
}

float Crossfade::shapeValue(float x) const
{
    switch (m_shape) {
    case kCrossfadeLinear: return x;
    case kCrossfadeLogarithmic: return static_cast<float>(std::log10(99.0 * x + 1.0) / 2.0);
    case kCrossfadeExponential: return static_cast<float>(std::pow(100.0, x) * 0.01);
    case kCrossfadeSinusoidal: return static_cast<float>(0.5 - 0.5 * std::cos(3.14159 * x));
    default: return 0.0f;
    }
}

void Crossfade::mix(float* out, const float* a, const float* b, int32_t frames, int32_t channels, float x,
                    float dx) const
{
    float gain = 0.0f;
    float step = 0.0f;
    for (int32_t i = 0; i < frames; ++i) {
        if (i % 8 == 0) {
            const float g0 = shapeValue(x);
            const float g8 = shapeValue(x + 8.0f * dx);
            step = (g8 - g0) / 8.0f;
            gain = g0;
        }
        for (int32_t j = 0; j < channels; ++j) {
            const int32_t k = i * channels + j;
            out[k] = (1.0f - gain) * a[k] + gain * b[k];
        }
        x += dx;
        gain += step;
    }
}

void Crossfade::bind(const WAVEFORMATEX& trackFormat) { m_format = trackFormat; }

void Crossfade::link(CAudioClip* outgoing, CAudioClip* incoming)
{
    m_a = outgoing;
    m_b = incoming;
}

int32_t Crossfade::length() const
{
    if (!m_a || !m_b)
        return 0;
    return m_a->end() - m_b->start();
}

void Crossfade::render(uint32_t readerA, uint32_t readerB, float* dest, int32_t p, int32_t n, float* scratchA,
                       float* scratchB) const
{
    const int32_t len = length();
    if (n <= 0 || len <= 0 || !m_a || !m_b)
        return;
    if (m_shape == kCrossfadeNone) {
        m_b->readAt(readerB, p - m_b->start(), dest, n);
        return;
    }
    const int32_t channels = m_format.nChannels ? m_format.nChannels : 2;
    const float x0 = static_cast<float>(p - m_b->start()) / static_cast<float>(len);
    const float dx = 1.0f / static_cast<float>(len);
    m_a->readAt(readerA, p - m_a->start(), scratchA, n);
    m_b->readAt(readerB, p - m_b->start(), scratchB, n);
    mix(dest, scratchA, scratchB, n, channels, x0, dx);
}

void Crossfade::applyTempo(int32_t flags, float ratioA, float ratioB)
{
    const int32_t len = length();
    if (m_a)
        m_a->setTransitionScale(len, flags | kTempoAtEnd, ratioA);
    if (m_b)
        m_b->setTransitionScale(len, flags | kTempoAtStart, ratioB);
    m_tempoFlags = flags;
    m_ratioA = ratioA;
    m_ratioB = ratioB;
}

void Crossfade::reapplyTempo()
{
    // Nothing was ever scaled: no command, so plain crossfades cost nothing to rebuild.
    if (m_tempoFlags == 0 && m_ratioA == 1.0f && m_ratioB == 1.0f)
        return;
    applyTempo(m_tempoFlags, m_ratioA, m_ratioB);
}

} // namespace quillon
