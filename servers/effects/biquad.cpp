#include "biquad.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace quillon::fx {

namespace {

BiquadCoefficients normalise(double b0, double b1, double b2, double a0, double a1, double a2)
{
    BiquadCoefficients c;
    c.b0 = b0 / a0;
    c.b1 = b1 / a0;
    c.b2 = b2 / a0;
    c.a1 = a1 / a0;
    c.a2 = a2 / a0;
    return c;
}

double omega(double rate, double frequency)
{
    return 2.0 * std::numbers::pi * limitFrequency(rate, frequency) / rate;
}

} // namespace

double limitFrequency(double rate, double frequency)
{
    return std::clamp(frequency, 1.0, rate * 0.45);
}

BiquadCoefficients BiquadCoefficients::peaking(double rate, double frequency, double q, double gainDb)
{
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w = omega(rate, frequency);
    const double alpha = std::sin(w) / (2.0 * q);
    const double cw = std::cos(w);
    return normalise(1.0 + alpha * a, -2.0 * cw, 1.0 - alpha * a, 1.0 + alpha / a, -2.0 * cw, 1.0 - alpha / a);
}

// Shelves use a slope of 1: the steepest without an overshoot in the response.
BiquadCoefficients BiquadCoefficients::lowShelf(double rate, double frequency, double gainDb)
{
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w = omega(rate, frequency);
    const double cw = std::cos(w);
    const double alpha = std::sin(w) / 2.0 * std::sqrt(2.0);
    const double k = 2.0 * std::sqrt(a) * alpha;
    return normalise(a * ((a + 1) - (a - 1) * cw + k), 2 * a * ((a - 1) - (a + 1) * cw),
                     a * ((a + 1) - (a - 1) * cw - k), (a + 1) + (a - 1) * cw + k,
                     -2 * ((a - 1) + (a + 1) * cw), (a + 1) + (a - 1) * cw - k);
}

BiquadCoefficients BiquadCoefficients::highShelf(double rate, double frequency, double gainDb)
{
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w = omega(rate, frequency);
    const double cw = std::cos(w);
    const double alpha = std::sin(w) / 2.0 * std::sqrt(2.0);
    const double k = 2.0 * std::sqrt(a) * alpha;
    return normalise(a * ((a + 1) + (a - 1) * cw + k), -2 * a * ((a - 1) + (a + 1) * cw),
                     a * ((a + 1) + (a - 1) * cw - k), (a + 1) - (a - 1) * cw + k,
                     2 * ((a - 1) - (a + 1) * cw), (a + 1) - (a - 1) * cw - k);
}

BiquadCoefficients BiquadCoefficients::lowPass(double rate, double frequency, double q)
{
    const double w = omega(rate, frequency);
    const double cw = std::cos(w);
    const double alpha = std::sin(w) / (2.0 * q);
    return normalise((1 - cw) / 2, 1 - cw, (1 - cw) / 2, 1 + alpha, -2 * cw, 1 - alpha);
}

BiquadCoefficients BiquadCoefficients::highPass(double rate, double frequency, double q)
{
    const double w = omega(rate, frequency);
    const double cw = std::cos(w);
    const double alpha = std::sin(w) / (2.0 * q);
    return normalise((1 + cw) / 2, -(1 + cw), (1 + cw) / 2, 1 + alpha, -2 * cw, 1 - alpha);
}

BiquadCoefficients BiquadCoefficients::notch(double rate, double frequency, double q, double depth)
{
    // One minus depth times a band-pass of unit peak gain, as one section.
    const double w = omega(rate, frequency);
    const double cw = std::cos(w);
    const double alpha = std::sin(w) / (2.0 * q);
    return normalise(1 + alpha - depth * alpha, -2 * cw, 1 - alpha + depth * alpha, 1 + alpha, -2 * cw, 1 - alpha);
}

double BiquadCoefficients::magnitude(double rate, double frequency) const
{
    const double w = 2.0 * std::numbers::pi * frequency / rate;
    const std::complex<double> z1 = std::polar(1.0, -w);
    const std::complex<double> z2 = z1 * z1;
    return std::abs((b0 + b1 * z1 + b2 * z2) / (1.0 + a1 * z1 + a2 * z2));
}

} // namespace quillon::fx
