#pragma once
// Second-order filter sections designed with the well-known audio EQ cookbook
// formulas, run in transposed direct form II with double precision: low shelves at
// high sample rates put the poles close to 1, where float state gets noisy.

#include <cstdint>

namespace quillon::fx {

struct BiquadCoefficients {
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0; // normalised by a0

    static BiquadCoefficients identity() { return {}; }
    static BiquadCoefficients peaking(double rate, double frequency, double q, double gainDb);
    static BiquadCoefficients lowShelf(double rate, double frequency, double gainDb);
    static BiquadCoefficients highShelf(double rate, double frequency, double gainDb);
    static BiquadCoefficients lowPass(double rate, double frequency, double q);
    static BiquadCoefficients highPass(double rate, double frequency, double q);
    // Takes `depth` (0..1) of the band away: 1 is a full notch, 0 passes everything.
    static BiquadCoefficients notch(double rate, double frequency, double q, double depth);

    // Magnitude of the response at a frequency (for checks and display).
    double magnitude(double rate, double frequency) const;
    bool isIdentity() const { return b0 == 1.0 && b1 == 0.0 && b2 == 0.0 && a1 == 0.0 && a2 == 0.0; }
};

class Biquad {
public:
    void setCoefficients(const BiquadCoefficients& c) { m_c = c; }
    const BiquadCoefficients& coefficients() const { return m_c; }
    void reset() { m_z1 = m_z2 = 0.0; }

    float run(float x)
    {
        const double in = x;
        const double y = m_c.b0 * in + m_z1;
        m_z1 = m_c.b1 * in - m_c.a1 * y + m_z2;
        m_z2 = m_c.b2 * in - m_c.a2 * y;
        return static_cast<float>(y);
    }

private:
    BiquadCoefficients m_c;
    double m_z1 = 0.0;
    double m_z2 = 0.0;
};

// Keeps a design frequency inside what the rate can carry: the formulas break down at
// and beyond half the rate.
double limitFrequency(double rate, double frequency);

} // namespace quillon::fx
