#include "noise_reduction.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace quillon::fx {

namespace {

const ParameterSpec kParameters[] = {
    {QUILLON_TEXT("Effects", "Denoise"), "", 0.0f, 1.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Derumble"), "", 0.0f, 1.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Dehum"), "", 0.0f, 1.0f, 0.0f, QUILLON_FX_PARAM_CONTINUOUS},
    {QUILLON_TEXT("Effects", "Removed only"), "", 0.0f, 1.0f, 0.0f, QUILLON_FX_PARAM_SWITCH},
};

const EffectSpec kSpec{
    QUILLON_TEXT("Effects", "Noise Reduction"),
    QUILLON_MENU("ENHANCEMENT\\Restoration\\"),
    {{0x3B1D5C27u, 0x9A4E4F10u, 0x8C21D7E5u, 0x51F06A93u}},
    kParameters,
    NoiseReduction::ParameterCount,
};

constexpr uint32_t kBins = NoiseReduction::kFrame / 2 + 1;
// sqrt-Hann windows in and out at 75 % overlap add up to 2.
constexpr float kOverlapGain = 2.0f;
// The first spectra hold the silence before the stream: no measure of its noise.
constexpr uint32_t kFirstFullFrame = NoiseReduction::kFrame / NoiseReduction::kHop - 1;

// FFTW's planner is not thread-safe; effects are prepared on more than one thread.
std::mutex& plannerMutex()
{
    static std::mutex m;
    return m;
}
// Plans alive; with the last one gone the planner's own memory is given back, as the
// server may be unloaded afterwards. Under plannerMutex().
int g_livePlans = 0;

} // namespace

struct NoiseReduction::Spectra {
    Spectra()
    {
        time = fftwf_alloc_real(kFrame);
        freq = fftwf_alloc_complex(kBins);
        std::lock_guard lock(plannerMutex());
        forward = fftwf_plan_dft_r2c_1d(int(kFrame), time, freq, FFTW_ESTIMATE);
        inverse = fftwf_plan_dft_c2r_1d(int(kFrame), freq, time, FFTW_ESTIMATE);
        ++g_livePlans;
    }
    ~Spectra()
    {
        std::lock_guard lock(plannerMutex());
        fftwf_destroy_plan(forward);
        fftwf_destroy_plan(inverse);
        fftwf_free(time);
        fftwf_free(freq);
        if (--g_livePlans == 0)
            fftwf_cleanup();
    }
    Spectra(const Spectra&) = delete;
    Spectra& operator=(const Spectra&) = delete;

    float* time;
    fftwf_complex* freq;
    fftwf_plan forward;
    fftwf_plan inverse;
    // The noise profile is learned from frames near the quietest seen so far.
    float floorEnergy[kMaxChannels] = {0.0f, 0.0f};
    bool learned[kMaxChannels] = {false, false};
};

NoiseReduction::NoiseReduction() : Effect(kSpec) {}

NoiseReduction::~NoiseReduction() = default;

const EffectSpec& NoiseReduction::descriptor() { return kSpec; }

void NoiseReduction::prepare()
{
    if (!m_fft)
        m_fft = std::make_unique<Spectra>();
    m_window.resize(kFrame);
    for (uint32_t i = 0; i < kFrame; ++i)
        m_window[i] = float(std::sqrt(0.5 - 0.5 * std::cos(2.0 * M_PI * i / kFrame)));
    for (uint32_t c = 0; c < kMaxChannels; ++c) {
        m_input[c].assign(kFrame, 0.0f);
        m_sum[c].assign(kFrame, 0.0f);
        m_ready[c].assign(kHop, 0.0f);
        m_smoothed[c].assign(kBins, 0.0f); // the noise profile
        m_gain[c].assign(kBins, 1.0f);
        m_minima[c].clear();
        m_fft->floorEnergy[c] = 0.0f;
        m_fft->learned[c] = false;
        for (Biquad& b : m_highPass[c])
            b.reset();
    }
    m_fill = 0;
    m_frameCount = 0;
    m_hum.prepare(sampleRate(), channels());
    m_removed.prepare(kFrame);
    update();
}

void NoiseReduction::update()
{
    m_denoise = parameter(Denoise);
    m_removedOnly = parameter(RemovedOnly) >= 0.5f;
    m_hum.setDepth(parameter(Dehum));
    const float rumble = parameter(Derumble);
    m_sections = rumble <= 0.0f ? 0 : rumble < 1.0f / 3.0f ? 1 : rumble < 2.0f / 3.0f ? 2 : 3;
    const double cutoff = 20.0 + 20.0 * rumble;
    // Butterworth sections of order 2, 4 or 6.
    static const double kQ[3][3] = {{0.70710678, 0, 0}, {0.54119610, 1.30656296, 0}, {0.51763809, 0.70710678, 1.93185165}};
    for (uint32_t c = 0; c < kMaxChannels; ++c)
        for (uint32_t s = 0; s < m_sections; ++s) {
            const BiquadCoefficients q = BiquadCoefficients::highPass(sampleRate(), cutoff, kQ[m_sections - 1][s]);
            m_highPass[c][s].setCoefficients(q);
        }
}

void NoiseReduction::processFrame(uint32_t c)
{
    float* time = m_fft->time;
    for (uint32_t i = 0; i < kFrame; ++i)
        time[i] = m_input[c][i] * m_window[i];
    fftwf_execute_dft_r2c(m_fft->forward, time, m_fft->freq);
    fftwf_complex* bins = m_fft->freq;

    float energy = 0.0f;
    for (uint32_t k = 0; k < kBins; ++k)
        energy += bins[k][0] * bins[k][0] + bins[k][1] * bins[k][1];
    // A frame within 3 dB of the quietest so far is a quiet passage: the noise alone.
    // The floor creeps up (1 dB in about 10 s), so that a noisier side is learned too,
    // slowly enough that a long held note is not taken for noise.
    float& floor = m_fft->floorEnergy[c];
    if (m_frameCount == kFirstFullFrame || energy < floor)
        floor = energy;
    else
        floor *= 1.0003f;
    const bool quiet = m_frameCount >= kFirstFullFrame && energy <= 2.0f * floor;
    std::vector<float>& noise = m_smoothed[c];
    if (quiet) {
        const float rate = m_fft->learned[c] ? 0.1f : 1.0f;
        for (uint32_t k = 0; k < kBins; ++k) {
            const float p = bins[k][0] * bins[k][0] + bins[k][1] * bins[k][1];
            noise[k] += rate * (p - noise[k]);
        }
        m_fft->learned[c] = true;
    }

    if (m_denoise > 0.0f && m_fft->learned[c]) {
        const float over = 1.0f + 1.5f * m_denoise;
        const float lowest = std::pow(10.0f, -18.0f * m_denoise / 20.0f);
        std::vector<float>& gains = m_gain[c];
        for (uint32_t k = 0; k < kBins; ++k) {
            const float p = bins[k][0] * bins[k][0] + bins[k][1] * bins[k][1];
            float g = p > 0.0f ? 1.0f - over * noise[k] / p : lowest;
            g = std::clamp(g, lowest, 1.0f);
            // Falls at most by a third per frame: fewer isolated bins flicker on and off.
            g = std::max(g, 0.66f * gains[k]);
            gains[k] = g;
            bins[k][0] *= g;
            bins[k][1] *= g;
        }
    }

    fftwf_execute_dft_c2r(m_fft->inverse, bins, time);
    const float scale = 1.0f / (float(kFrame) * kOverlapGain);
    std::vector<float>& sum = m_sum[c];
    for (uint32_t i = 0; i < kFrame; ++i)
        sum[i] += time[i] * m_window[i] * scale;
    std::copy(sum.begin(), sum.begin() + kHop, m_ready[c].begin());
    std::copy(sum.begin() + kHop, sum.end(), sum.begin());
    std::fill(sum.end() - kHop, sum.end(), 0.0f);
    std::copy(m_input[c].begin() + kHop, m_input[c].end(), m_input[c].begin());
}

void NoiseReduction::process(float* data, uint32_t frames)
{
    const uint32_t ch = channels();
    for (uint32_t f = 0; f < frames; ++f) {
        float* frame = data + size_t(f) * ch;
        float dry[kMaxChannels];
        for (uint32_t c = 0; c < ch; ++c)
            dry[c] = m_removed.exchange(c, frame[c]);
        m_removed.advance();
        if (m_hum.active())
            m_hum.run(frame);
        for (uint32_t c = 0; c < ch; ++c) {
            float x = frame[c];
            for (uint32_t s = 0; s < m_sections; ++s)
                x = m_highPass[c][s].run(x);
            m_input[c][kFrame - kHop + m_fill] = x;
            frame[c] = m_removedOnly ? dry[c] - m_ready[c][m_fill] : m_ready[c][m_fill];
        }
        if (++m_fill == kHop) {
            m_fill = 0;
            for (uint32_t c = 0; c < ch; ++c)
                processFrame(c);
            ++m_frameCount;
        }
    }
}

} // namespace quillon::fx
