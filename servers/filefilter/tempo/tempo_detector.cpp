#include "tempo_detector.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace quillon::filefilter {

namespace {

constexpr uint_t kHop = 256;
constexpr uint_t kWindow = 1024;
// Below this share of its energy at the beat lag, the onset curve has no steady pulse.
constexpr double kMinPeriodicity = 0.2;
constexpr int kMaxMultiples = 8;

template <typename T, void (*Delete)(T*)>
struct AubioDeleter {
    void operator()(T* p) const
    {
        if (p)
            Delete(p);
    }
};
using TempoPtr = std::unique_ptr<aubio_tempo_t, AubioDeleter<aubio_tempo_t, del_aubio_tempo>>;
using PvocPtr = std::unique_ptr<aubio_pvoc_t, AubioDeleter<aubio_pvoc_t, del_aubio_pvoc>>;
using SpecdescPtr = std::unique_ptr<aubio_specdesc_t, AubioDeleter<aubio_specdesc_t, del_aubio_specdesc>>;
using FvecPtr = std::unique_ptr<fvec_t, AubioDeleter<fvec_t, del_fvec>>;
using CvecPtr = std::unique_ptr<cvec_t, AubioDeleter<cvec_t, del_cvec>>;

class Autocorrelation {
public:
    explicit Autocorrelation(const std::vector<double>& curve) : m_curve(curve) {}
    double operator()(int64_t lag) const
    {
        const int64_t n = static_cast<int64_t>(m_curve.size());
        if (lag < 0 || lag >= n)
            return 0.0;
        double sum = 0.0;
        for (int64_t i = 0; i + lag < n; ++i)
            sum += m_curve[static_cast<size_t>(i)] * m_curve[static_cast<size_t>(i + lag)];
        return sum / static_cast<double>(n - lag);
    }

private:
    const std::vector<double>& m_curve;
};

} // namespace

TempoDetector::TempoDetector(int channels, int sampleRate) : m_channels(std::max(1, channels)), m_rate(sampleRate) {}

float TempoDetector::detect(const SourceRead& source, int64_t sourceLength, int64_t position) const
{
    if (m_rate <= 0 || sourceLength < static_cast<int64_t>(kWindow))
        return 0.0f;
    const int64_t window = std::min<int64_t>(sourceLength, static_cast<int64_t>(kWindowSeconds * m_rate));
    const int64_t begin = std::clamp<int64_t>(position - window / 2, 0, sourceLength - window);

    TempoPtr tempo(new_aubio_tempo("default", kWindow, kHop, static_cast<uint_t>(m_rate)));
    PvocPtr pvoc(new_aubio_pvoc(kWindow, kHop));
    SpecdescPtr flux(new_aubio_specdesc("specflux", kWindow));
    FvecPtr hop(new_fvec(kHop));
    FvecPtr beat(new_fvec(2));
    FvecPtr onset(new_fvec(1));
    CvecPtr grain(new_cvec(kWindow));
    if (!tempo || !pvoc || !flux || !hop || !beat || !onset || !grain)
        return 0.0f;

    const size_t ch = static_cast<size_t>(m_channels);
    std::vector<float> frames(kHop * ch);
    std::vector<double> curve;
    curve.reserve(static_cast<size_t>(window / kHop) + 1);
    int beats = 0;
    for (int64_t at = begin; at + static_cast<int64_t>(kHop) <= begin + window; at += kHop) {
        const size_t got = std::min<size_t>(kHop, source(at, frames.data(), kHop));
        for (size_t i = 0; i < kHop; ++i) {
            float sum = 0.0f;
            if (i < got) {
                for (size_t c = 0; c < ch; ++c)
                    sum += frames[i * ch + c];
            }
            hop->data[i] = sum / static_cast<float>(ch);
        }
        aubio_tempo_do(tempo.get(), hop.get(), beat.get());
        if (beat->data[0] != 0.0f)
            ++beats;
        aubio_pvoc_do(pvoc.get(), hop.get(), grain.get());
        aubio_specdesc_do(flux.get(), grain.get(), onset.get());
        curve.push_back(onset->data[0]);
    }
    const double coarse = aubio_tempo_get_bpm(tempo.get());
    if (beats < 2 || !(coarse > 0.0) || curve.size() < 8)
        return 0.0f;

    double mean = 0.0;
    for (double v : curve)
        mean += v;
    mean /= static_cast<double>(curve.size());
    for (double& v : curve)
        v -= mean;
    const Autocorrelation r(curve);
    const double energy = r(0);
    if (!(energy > 0.0))
        return 0.0f;

    // The peaks near whole multiples of the coarse period, each placed between lags by a
    // parabola, fitted as m * P by least squares.
    const double period = 60.0 * m_rate / (coarse * kHop);
    const int64_t longest = static_cast<int64_t>(curve.size()) / 2;
    double num = 0.0;
    double den = 0.0;
    for (int m = 1; m <= kMaxMultiples; ++m) {
        const int64_t lo = static_cast<int64_t>(std::floor(m * period * 0.97)) - 1;
        const int64_t hi = static_cast<int64_t>(std::ceil(m * period * 1.03)) + 1;
        if (hi + 1 >= longest || lo < 1)
            break;
        int64_t best = lo;
        double bestValue = r(lo);
        for (int64_t lag = lo + 1; lag <= hi; ++lag) {
            const double v = r(lag);
            if (v > bestValue) {
                bestValue = v;
                best = lag;
            }
        }
        if (m == 1 && bestValue / energy < kMinPeriodicity)
            return 0.0f;
        const double a = r(best - 1);
        const double c = r(best + 1);
        const double curvature = a - 2.0 * bestValue + c;
        const double offset = curvature < 0.0 ? std::clamp(0.5 * (a - c) / curvature, -0.5, 0.5) : 0.0;
        num += m * (static_cast<double>(best) + offset);
        den += static_cast<double>(m) * m;
    }
    if (den == 0.0)
        return 0.0f;
    const double refined = num / den;
    return static_cast<float>(60.0 * m_rate / (refined * kHop));
}

} // namespace quillon::filefilter
