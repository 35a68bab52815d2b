#include "click_reduction.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quillon::fx {

namespace {

const ParameterSpec kParameters[] = {
    {QUILLON_TEXT("Effects", "Declick"), "", 0.0f, 1.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Decrackle"), "", 0.0f, 1.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Removed only"), "", 0.0f, 1.0f, 0.0f, QUILLON_FX_PARAM_SWITCH},
};

const EffectSpec kSpec{
    QUILLON_TEXT("Effects", "Click Reduction"),
    QUILLON_MENU("ENHANCEMENT\\Restoration\\"),
    {{0x6E42A1D9u, 0x17C84B3Au, 0xA5F0933Cu, 0x2D7B18E4u}},
    kParameters,
    ClickReduction::ParameterCount,
};

constexpr uint32_t kOrder = ClickReduction::kOrder;
constexpr uint32_t kWindow = ClickReduction::kWindow;
constexpr uint32_t kMaxGap = ClickReduction::kMaxGap;
// Below this mean power per sample (about -120 dBFS) a window is taken as silence.
constexpr double kSilentPower = 1e-12;
constexpr double kScaleFloor = 0.01;

} // namespace

ClickReduction::ClickReduction() : Effect(kSpec) {}

const EffectSpec& ClickReduction::descriptor() { return kSpec; }

void ClickReduction::prepare()
{
    for (uint32_t c = 0; c < kMaxChannels; ++c) {
        m_buffer[c].assign(kWindow, 0.0f);
        m_ready[c].assign(kHop, 0.0f);
    }
    m_fill = 0;
    m_taper.resize(kWindow);
    for (uint32_t i = 0; i < kWindow; ++i)
        m_taper[i] = 0.5 - 0.5 * std::cos(2.0 * M_PI * (i + 0.5) / kWindow);
    m_forward.assign(kWindow, 0.0);
    m_backward.assign(kWindow, 0.0);
    m_detect.assign(kWindow, 0.0);
    m_scratch.assign(kWindow, 0.0);
    m_known.assign(kMaxGap + kOrder, 0.0);
    m_matrix.assign(size_t(kMaxGap) * kMaxGap, 0.0);
    m_rhs.assign(kMaxGap, 0.0);
    m_removed.prepare(kHop + kAhead);
    update();
}

void ClickReduction::update()
{
    m_declick = parameter(Declick);
    m_decrackle = parameter(Decrackle);
    m_removedOnly = parameter(RemovedOnly) >= 0.5f;
    m_longestClick = std::min(msToFrames(2.5f), kMaxGap);
    m_longestCrackle = std::clamp(msToFrames(0.25f), 3u, kMaxGap);
}

bool ClickReduction::fitPredictor(const float* x)
{
    double r[kOrder + 1];
    double* w = m_scratch.data();
    for (uint32_t i = 0; i < kWindow; ++i)
        w[i] = x[i] * m_taper[i];
    for (uint32_t lag = 0; lag <= kOrder; ++lag) {
        double s = 0.0;
        for (uint32_t i = lag; i < kWindow; ++i)
            s += w[i] * w[i - lag];
        r[lag] = s;
    }
    if (r[0] < kSilentPower * kWindow)
        return false;
    // The Hann taper keeps 3/8 of the power.
    m_level = std::sqrt(r[0] / (0.375 * kWindow));
    // A little white noise keeps the fit well-conditioned on pure tones.
    r[0] *= 1.0 + 1e-6;

    // Levinson-Durbin recursion.
    double* a = m_coef;
    std::fill(a, a + kOrder + 1, 0.0);
    a[0] = 1.0;
    double error = r[0];
    double previous[kOrder + 1];
    for (uint32_t i = 1; i <= kOrder; ++i) {
        double acc = r[i];
        for (uint32_t j = 1; j < i; ++j)
            acc += a[j] * r[i - j];
        const double k = -acc / error;
        std::copy(a, a + i, previous);
        for (uint32_t j = 1; j < i; ++j)
            a[j] = previous[j] + k * previous[i - j];
        a[i] = k;
        error *= 1.0 - k * k;
        if (error <= 0.0)
            return false;
    }
    for (uint32_t lag = 0; lag <= kOrder; ++lag) {
        double s = 0.0;
        for (uint32_t k = 0; k + lag <= kOrder; ++k)
            s += a[k] * a[k + lag];
        m_coefCorr[lag] = s;
    }
    return true;
}

void ClickReduction::computeErrors(const float* x)
{
    const double* a = m_coef;
    for (uint32_t n = 0; n < kWindow; ++n) {
        double f = 0.0;
        double b = 0.0;
        if (n >= kOrder)
            for (uint32_t k = 0; k <= kOrder; ++k)
                f += a[k] * x[n - k];
        if (n + kOrder < kWindow)
            for (uint32_t k = 0; k <= kOrder; ++k)
                b += a[k] * x[n + k];
        m_forward[n] = f;
        m_backward[n] = b;
    }
    // An impulse at n raises the forward error from n on and the backward error up to
    // n: both are large only at the impulse itself.
    for (uint32_t n = 0; n < kWindow; ++n)
        m_detect[n] = (n >= kOrder && n + kOrder < kWindow) ? std::min(std::fabs(m_forward[n]), std::fabs(m_backward[n])) : 0.0;
}

double ClickReduction::robustScale()
{
    // Median absolute forward error, scaled to a standard deviation for Gaussian errors.
    const uint32_t count = kWindow - kOrder;
    for (uint32_t i = 0; i < count; ++i)
        m_scratch[i] = std::fabs(m_forward[kOrder + i]);
    auto middle = m_scratch.begin() + count / 2;
    std::nth_element(m_scratch.begin(), middle, m_scratch.begin() + count);
    // Clean music is so predictable that its own small departures (a note's onset)
    // would pass for clicks: the scale is kept at least kScaleFloor below the music.
    return std::max(1.4826 * *middle, kScaleFloor * m_level);
}

uint32_t ClickReduction::repairRuns(float* x, double scale, double multiple, uint32_t longest, uint32_t bridge,
                                    uint32_t extend)
{
    // Runs start in the current block; the look-ahead gives them room to end and the
    // interpolation its context after them.
    const uint32_t scanEnd = kWindow - kOrder - 2;
    const double threshold = multiple * scale;
    const double variance = scale * scale;
    uint32_t repaired = 0;
    uint32_t n = kPast;
    while (n < kPast + kHop) {
        if (m_detect[n] <= threshold) {
            ++n;
            continue;
        }
        uint32_t end = n;
        for (uint32_t m = n + 1; m < scanEnd && m - end <= bridge; ++m)
            if (m_detect[m] > threshold)
                end = m;
        const uint32_t start = n - 1;
        uint32_t length = end + 2 - start;
        if (length > longest) {
            n = end + 1; // an onset in the music, not a click
            continue;
        }
        double left = interpolate(x, start, length);
        if (left < 0.0) {
            n = end + 1;
            continue;
        }
        // A click's decaying tail follows the predictor too well to be marked; it is
        // taken in while a longer gap still explains clearly more than the noise would
        // and a good part of what is left. After a note's onset, what is left is small
        // already: the gap stays short and the note keeps its attack.
        uint32_t best = length;
        while (extend > 0 && best + extend <= longest && start + best + extend + kOrder + 2 < kWindow) {
            const double longer = interpolate(x, start, best + extend);
            if (longer < 0.0 || left - longer < 4.0 * extend * variance)
                break;
            best += extend;
            left = longer;
        }
        if (interpolate(x, start, best) >= 0.0) {
            for (uint32_t i = 0; i < best; ++i)
                x[start + i] = static_cast<float>(m_rhs[i]);
            ++repaired;
        }
        n = std::max(end + 1, start + best);
    }
    return repaired;
}

double ClickReduction::interpolate(const float* x, uint32_t start, uint32_t length)
{
    const double* a = m_coef;
    const uint32_t span = length + kOrder;
    // Prediction errors over the gap and the order after it, counting only known samples.
    for (uint32_t i = 0; i < span; ++i) {
        const uint32_t n = start + i;
        double e = 0.0;
        for (uint32_t k = 0; k <= kOrder; ++k) {
            const uint32_t j = n - k;
            if (j < start || j >= start + length)
                e += a[k] * x[j];
        }
        m_known[i] = e;
    }
    // Normal equations of the least total squared error: a banded Toeplitz system.
    double* A = m_matrix.data();
    for (uint32_t i = 0; i < length; ++i) {
        double s = 0.0;
        for (uint32_t l = 0; l <= kOrder; ++l)
            s += a[l] * m_known[i + l];
        m_rhs[i] = -s;
        for (uint32_t j = 0; j < length; ++j) {
            const uint32_t lag = i > j ? i - j : j - i;
            A[size_t(i) * length + j] = lag <= kOrder ? m_coefCorr[lag] : 0.0;
        }
        A[size_t(i) * length + i] *= 1.0 + 1e-9;
    }
    // Cholesky factorisation in place, then the two triangular solves.
    for (uint32_t j = 0; j < length; ++j) {
        double d = A[size_t(j) * length + j];
        for (uint32_t k = 0; k < j; ++k)
            d -= A[size_t(j) * length + k] * A[size_t(j) * length + k];
        if (d <= 0.0)
            return -1.0;
        d = std::sqrt(d);
        A[size_t(j) * length + j] = d;
        for (uint32_t i = j + 1; i < length; ++i) {
            double s = A[size_t(i) * length + j];
            for (uint32_t k = 0; k < j; ++k)
                s -= A[size_t(i) * length + k] * A[size_t(j) * length + k];
            A[size_t(i) * length + j] = s / d;
        }
    }
    double* y = m_rhs.data();
    for (uint32_t i = 0; i < length; ++i) {
        double s = y[i];
        for (uint32_t k = 0; k < i; ++k)
            s -= A[size_t(i) * length + k] * y[k];
        y[i] = s / A[size_t(i) * length + i];
    }
    for (uint32_t i = length; i-- > 0;) {
        double s = y[i];
        for (uint32_t k = i + 1; k < length; ++k)
            s -= A[size_t(k) * length + i] * y[k];
        y[i] = s / A[size_t(i) * length + i];
    }
    // A gap much louder than its surroundings is a fit gone wrong, not music.
    double around = 0.0;
    for (uint32_t i = 1; i <= kOrder; ++i)
        around = std::max({around, double(std::fabs(x[start - i])), double(std::fabs(x[start + length - 1 + i]))});
    for (uint32_t i = 0; i < length; ++i)
        if (std::fabs(y[i]) > 2.0 * around + 1e-6)
            return -1.0;
    // What error is left with the interpolated samples in place.
    double left = 0.0;
    for (uint32_t i = 0; i < span; ++i) {
        double e = m_known[i];
        for (uint32_t k = 0; k <= kOrder; ++k)
            if (i >= k && i - k < length)
                e += a[k] * y[i - k];
        left += e * e;
    }
    return left;
}

void ClickReduction::processHop(uint32_t c)
{
    float* x = m_buffer[c].data();
    if ((m_declick > 0.0f || m_decrackle > 0.0f) && fitPredictor(x)) {
        computeErrors(x);
        bool fresh = true;
        if (m_declick > 0.0f) {
            if (repairRuns(x, robustScale(), 9.0 - 5.5 * m_declick, m_longestClick, 6, 4) > 0) {
                // The clicks pulled the fit: fit again to the repaired window.
                fresh = fitPredictor(x);
                if (fresh)
                    computeErrors(x);
            }
        }
        if (m_decrackle > 0.0f && fresh) {
            repairRuns(x, robustScale(), 6.0 - 2.5 * m_decrackle, m_longestCrackle, 1, 0);
        }
    }
    std::copy(x + kPast, x + kPast + kHop, m_ready[c].begin());
    std::memmove(x, x + kHop, (kWindow - kHop) * sizeof(float));
}

void ClickReduction::process(float* data, uint32_t frames)
{
    const uint32_t ch = channels();
    for (uint32_t f = 0; f < frames; ++f) {
        float* frame = data + size_t(f) * ch;
        for (uint32_t c = 0; c < ch; ++c) {
            const float dry = m_removed.exchange(c, frame[c]);
            m_buffer[c][kWindow - kHop + m_fill] = frame[c];
            frame[c] = m_removedOnly ? dry - m_ready[c][m_fill] : m_ready[c][m_fill];
        }
        m_removed.advance();
        if (++m_fill == kHop) {
            m_fill = 0;
            for (uint32_t c = 0; c < ch; ++c)
                processHop(c);
        }
    }
}

} // namespace quillon::fx
