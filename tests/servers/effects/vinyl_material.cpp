#include "vinyl_material.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace quillon::test {

namespace {
constexpr double kTwoPi = 2.0 * std::numbers::pi;
}

VinylMaterial::VinylMaterial(double seconds, uint32_t rate, uint32_t channels, uint32_t seed)
    : m_frames(size_t(seconds * rate)), m_rate(rate), m_channels(channels), m_seed(seed),
      m_samples(m_frames * channels, 0.0f)
{
}

std::vector<size_t> VinylMaterial::addMusic(double amplitude, double fromSeconds, double toSeconds)
{
    std::mt19937 gen(m_seed * 7 + 1);
    std::uniform_real_distribution<double> gap(0.2, 0.5);
    std::uniform_int_distribution<int> step(0, 14);
    static const double kScale[] = {0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19, 21, 23, 24};
    std::vector<size_t> onsets;
    const double end = std::min(toSeconds, double(m_frames) / m_rate);
    for (double t = fromSeconds; t < end; t += gap(gen)) {
        const double f0 = 110.0 * std::pow(2.0, kScale[step(gen)] / 12.0);
        const size_t first = size_t(t * m_rate);
        const size_t last = std::min(size_t(end * m_rate), first + size_t(1.5 * m_rate));
        onsets.push_back(first);
        for (size_t i = first; i < last; ++i) {
            const double s = double(i - first) / m_rate;
            const double env = amplitude * std::exp(-s * 3.0);
            double v = 0.0;
            for (int h = 1; h <= 4; ++h)
                v += std::sin(kTwoPi * f0 * h * s) / (h * h);
            for (uint32_t c = 0; c < m_channels; ++c)
                m_samples[i * m_channels + c] += float(env * v * (c == 0 ? 1.0 : 0.8));
        }
    }
    return onsets;
}

void VinylMaterial::addTone(double frequency, double amplitude, double fromSeconds, double toSeconds)
{
    const size_t first = size_t(fromSeconds * m_rate);
    const size_t last = std::min(m_frames, size_t(toSeconds * m_rate));
    for (size_t i = first; i < last; ++i)
        for (uint32_t c = 0; c < m_channels; ++c)
            m_samples[i * m_channels + c] += float(amplitude * std::sin(kTwoPi * frequency * double(i) / m_rate));
}

void VinylMaterial::addImpulse(size_t frame, size_t length, double peak, double ringing)
{
    for (size_t i = 0; i < length && frame + i < m_frames; ++i) {
        const double v = peak * std::exp(-3.0 * double(i) / double(length)) * std::cos(ringing * double(i));
        for (uint32_t c = 0; c < m_channels; ++c)
            m_samples[(frame + i) * m_channels + c] += float(v * (c == 0 ? 1.0 : 0.85));
    }
}

std::vector<Click> VinylMaterial::addClicks(double perSecond, size_t longest)
{
    std::mt19937 gen(m_seed * 13 + 2);
    std::exponential_distribution<double> gap(perSecond);
    std::uniform_real_distribution<double> peak(0.1, 0.6);
    std::uniform_int_distribution<size_t> length(1, longest);
    std::uniform_real_distribution<double> ringing(0.0, 1.5);
    std::bernoulli_distribution negative(0.5);
    std::vector<Click> clicks;
    // Clear of the edges, so that each is measured whole.
    for (double t = 0.2 + gap(gen); t < double(m_frames) / m_rate - 0.2; t += 0.01 + gap(gen)) {
        const Click c{size_t(t * m_rate), length(gen)};
        addImpulse(c.frame, c.length, negative(gen) ? -peak(gen) : peak(gen), ringing(gen));
        clicks.push_back(c);
    }
    return clicks;
}

void VinylMaterial::addCrackle(double perSecond)
{
    std::mt19937 gen(m_seed * 17 + 3);
    std::exponential_distribution<double> gap(perSecond);
    std::uniform_real_distribution<double> peak(0.005, 0.03);
    std::uniform_int_distribution<size_t> length(1, 3);
    std::bernoulli_distribution negative(0.5);
    for (double t = gap(gen); t < double(m_frames) / m_rate; t += gap(gen))
        addImpulse(size_t(t * m_rate), length(gen), negative(gen) ? -peak(gen) : peak(gen), 0.0);
}

void VinylMaterial::addRumble(double amplitude)
{
    for (size_t i = 0; i < m_frames; ++i) {
        const double t = double(i) / m_rate;
        const double v = amplitude * (0.6 * std::sin(kTwoPi * 13.0 * t) + 0.4 * std::sin(kTwoPi * 22.0 * t + 1.0));
        for (uint32_t c = 0; c < m_channels; ++c)
            m_samples[i * m_channels + c] += float(v);
    }
}

void VinylMaterial::addHiss(double amplitude)
{
    std::mt19937 gen(m_seed * 19 + 4);
    std::normal_distribution<float> n(0.0f, float(amplitude));
    for (float& s : m_samples)
        s += n(gen);
}

} // namespace quillon::test
