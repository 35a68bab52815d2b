#include "compressor.h"

#include <algorithm>
#include <cmath>

namespace quillon::fx {

namespace {

const ParameterSpec kParameters[] = {
    {QUILLON_TEXT("Effects", "Threshold"), QUILLON_TEXT("Effects", "dB"), -60.0f, 0.0f, -20.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Ratio"), QUILLON_TEXT("Effects", ":1"), 1.0f, 20.0f, 4.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Attack"), QUILLON_TEXT("Effects", "ms"), 0.1f, 500.0f, 10.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Release"), QUILLON_TEXT("Effects", "ms"), 5.0f, 5000.0f, 200.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Knee"), QUILLON_TEXT("Effects", "dB"), 0.0f, 24.0f, 6.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Make-up gain"), QUILLON_TEXT("Effects", "dB"), 0.0f, 30.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
};

const EffectSpec kSpec{
    QUILLON_TEXT("Effects", "Compressor"),
    QUILLON_MENU("VOLUME\\Dynamics\\"),
    {{0x522AECA5u, 0xCDD173E9u, 0xB17361DAu, 0x0718C1A4u}},
    kParameters,
    Compressor::ParameterCount,
};

constexpr float kDbPerNeper = 8.6858896f; // 20 / ln(10)

} // namespace

float timeConstant(float ms, uint32_t rate)
{
    return std::exp(-1000.0f / (ms * static_cast<float>(rate)));
}

Compressor::Compressor() : Effect(kSpec) {}

const EffectSpec& Compressor::descriptor() { return kSpec; }

float Compressor::gainComputer(float levelDb, float thresholdDb, float ratio, float kneeDb)
{
    const float over = levelDb - thresholdDb;
    const float slope = 1.0f / ratio - 1.0f;
    if (2.0f * over <= -kneeDb)
        return 0.0f;
    if (kneeDb > 0.0f && 2.0f * std::fabs(over) <= kneeDb) {
        const float x = over + kneeDb / 2.0f;
        return slope * x * x / (2.0f * kneeDb);
    }
    return slope * over;
}

void Compressor::prepare()
{
    m_meanSquare = 0.0;
    m_gainDb = 0.0f;
}

void Compressor::update()
{
    m_detectorCoef = timeConstant(kDetectorMs, sampleRate());
    m_attackCoef = timeConstant(parameter(Attack), sampleRate());
    m_releaseCoef = timeConstant(parameter(Release), sampleRate());
    m_threshold = parameter(Threshold);
    m_ratio = parameter(Ratio);
    m_knee = parameter(Knee);
    m_makeUpDb = parameter(MakeUp);
}

void Compressor::process(float* data, uint32_t frames)
{
    const uint32_t ch = channels();
    const double detector = m_detectorCoef;
    for (uint32_t f = 0; f < frames; ++f) {
        float* frame = data + size_t(f) * ch;
        float square = frame[0] * frame[0];
        if (ch == 2)
            square = std::max(square, frame[1] * frame[1]);
        m_meanSquare = detector * m_meanSquare + (1.0 - detector) * square;

        // 10 * log10 of the mean square; the floor keeps silence finite.
        const float levelDb = 10.0f * std::log10(static_cast<float>(m_meanSquare) + 1e-20f);
        const float target = gainComputer(levelDb, m_threshold, m_ratio, m_knee);
        const float coef = target < m_gainDb ? m_attackCoef : m_releaseCoef;
        m_gainDb = coef * m_gainDb + (1.0f - coef) * target;

        const float gain = std::exp((m_gainDb + m_makeUpDb) / kDbPerNeper);
        for (uint32_t c = 0; c < ch; ++c)
            frame[c] *= gain;
    }
}

} // namespace quillon::fx
