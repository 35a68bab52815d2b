#include "hum_remover.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillon::fx {

namespace {
// 50, 100, 150 and 60, 120, 180 Hz, then the reference between and around them.
constexpr double kProbeHz[] = {50, 100, 150, 60, 120, 180, 40, 75, 90, 110, 135, 165};
// A family's power must stand this far above the reference (about 10 dB).
constexpr double kClearly = 10.0;
constexpr double kBandwidthHz = 3.0;
constexpr double kHighestHz = 1000.0;
} // namespace

void HumRemover::prepare(uint32_t rate, uint32_t channels)
{
    m_rate = rate;
    m_channels = std::min(channels, kMaxChannels);
    for (uint32_t i = 0; i < kProbes; ++i) {
        m_coefficient[i] = 2.0 * std::cos(2.0 * std::numbers::pi * kProbeHz[i] / rate);
        m_s1[i] = m_s2[i] = 0.0;
    }
    m_count = 0;
    m_mains = 0;
    design();
}

void HumRemover::setDepth(float depth)
{
    if (depth == m_depth)
        return;
    m_depth = depth;
    design();
}

void HumRemover::design()
{
    m_harmonics = 0;
    if (m_mains == 0 || m_depth <= 0.0f)
        return;
    for (uint32_t h = 1; h <= kMaxHarmonics; ++h) {
        const double f = double(m_mains) * h;
        if (f > kHighestHz || f > 0.45 * m_rate)
            break;
        const BiquadCoefficients c = BiquadCoefficients::notch(m_rate, f, f / kBandwidthHz, m_depth);
        for (uint32_t ch = 0; ch < m_channels; ++ch)
            m_notch[ch][h - 1].setCoefficients(c);
        m_harmonics = h;
    }
}

void HumRemover::decide()
{
    double power[kProbes];
    for (uint32_t i = 0; i < kProbes; ++i) {
        power[i] = m_s1[i] * m_s1[i] + m_s2[i] * m_s2[i] - m_coefficient[i] * m_s1[i] * m_s2[i];
        m_s1[i] = m_s2[i] = 0.0;
    }
    m_count = 0;
    const double fifty = power[0] + power[1] + power[2];
    const double sixty = power[3] + power[4] + power[5];
    double reference = 0.0;
    for (uint32_t i = 6; i < kProbes; ++i)
        reference += power[i];
    reference = reference / double(kProbes - 6) * 3.0 + 1e-20;
    uint32_t found = m_mains;
    if (fifty > kClearly * reference && fifty > kClearly * sixty)
        found = 50;
    else if (sixty > kClearly * reference && sixty > kClearly * fifty)
        found = 60;
    if (found != m_mains) {
        m_mains = found;
        for (uint32_t ch = 0; ch < kMaxChannels; ++ch)
            for (Biquad& b : m_notch[ch])
                b.reset();
        design();
    }
}

void HumRemover::run(float* frame)
{
    double sum = 0.0;
    for (uint32_t ch = 0; ch < m_channels; ++ch)
        sum += frame[ch];
    for (uint32_t i = 0; i < kProbes; ++i) {
        const double s = sum + m_coefficient[i] * m_s1[i] - m_s2[i];
        m_s2[i] = m_s1[i];
        m_s1[i] = s;
    }
    if (++m_count == m_rate)
        decide();
    for (uint32_t ch = 0; ch < m_channels; ++ch) {
        float x = frame[ch];
        for (uint32_t h = 0; h < m_harmonics; ++h)
            x = m_notch[ch][h].run(x);
        frame[ch] = x;
    }
}

} // namespace quillon::fx
