// How many times faster than real time the whole shipped effect chain (gain, equaliser,
// compressor, limiter, stereo delay, reverb) runs on a stereo 44.1 kHz stream in the
// renderer's 50 ms blocks. The peer is a plain overlap-add convolution reverb on FFTW
// (a half-second impulse response) over the same stream, measured in the same run.

#include "model/effect_chain.h"
#include "plugins/effect_catalog.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <map>
#include <numbers>
#include <random>
#include <vector>

using namespace quillon;

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kChannels = 2;
constexpr uint32_t kBlock = kRate / 20;
constexpr double kSeconds = 10.0;
constexpr const char* kRealTime = "x_real_time";

// Something like music: a few tones that come and go over noise.
std::vector<float> programme()
{
    const size_t frames = static_cast<size_t>(kSeconds * kRate);
    std::vector<float> out(frames * kChannels);
    std::mt19937 gen(5);
    std::normal_distribution<float> noise(0.0f, 0.05f);
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        const double env = 0.5 + 0.5 * std::sin(2.0 * std::numbers::pi * 0.7 * t);
        const double tone = 0.3 * env * std::sin(2.0 * std::numbers::pi * 220.0 * t) +
                            0.15 * std::sin(2.0 * std::numbers::pi * 1318.5 * t);
        out[i * 2] = static_cast<float>(tone) + noise(gen);
        out[i * 2 + 1] = static_cast<float>(0.8 * tone) + noise(gen);
    }
    return out;
}

struct Shipped {
    Shipped()
    {
        host.addServerLibrary(QUILLON_EFFECTS_SERVER);
        catalog.build(host);
        EffectCatalog::setCurrent(&catalog);
    }
    PluginHost host;
    EffectCatalog catalog;
};

Shipped& shipped()
{
    static Shipped s;
    return s;
}

void BM_ShippedEffectChain(benchmark::State& state)
{
    const EffectCatalog& catalog = shipped().catalog;
    EffectChain chain;
    std::vector<std::string> seen;
    for (const EffectCatalogEntry& entry : catalog.entries()) {
        if (std::find(seen.begin(), seen.end(), entry.name) != seen.end())
            continue;
        if (seen.size() == 6)
            break; // the restoration effects have a bench of their own
        seen.push_back(entry.name);
        chain.append(CTransformPlugin::createFromEntry(entry, catalog));
    }
    if (chain.size() != 6) {
        state.SkipWithError("the shipped effects were not found");
        return;
    }
    // Settings that make every effect work: three bands and a high-pass, real compression.
    CTransformPlugin* eq = chain.at(1);
    eq->setParameter(3, 4.0f);
    eq->setParameter(6, -3.0f);
    eq->setParameter(9, 2.0f);
    eq->setParameter(13, 1.0f);
    chain.at(2)->setParameter(0, -24.0f);
    chain.setFormat(kRate, kChannels);

    const std::vector<float> source = programme();
    std::vector<float> work(source.size());
    const size_t frames = source.size() / kChannels;
    for (auto _ : state) {
        state.PauseTiming();
        work = source;
        state.ResumeTiming();
        for (size_t start = 0; start < frames; start += kBlock) {
            const int n = static_cast<int>(std::min<size_t>(kBlock, frames - start));
            chain.process(work.data() + start * kChannels, n, kChannels, n);
        }
        benchmark::DoNotOptimize(work.data());
    }
    state.counters[kRealTime] = benchmark::Counter(kSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
}

// Overlap-add convolution with one FFT per block and channel.
class FftwConvolver {
public:
    FftwConvolver(const std::vector<float>& response, size_t block) : m_block(block)
    {
        m_size = 1;
        while (m_size < block + response.size() - 1)
            m_size *= 2;
        m_bins = m_size / 2 + 1;
        m_time = fftwf_alloc_real(m_size);
        m_freq = fftwf_alloc_complex(m_bins);
        m_forward = fftwf_plan_dft_r2c_1d(static_cast<int>(m_size), m_time, m_freq, FFTW_MEASURE);
        m_inverse = fftwf_plan_dft_c2r_1d(static_cast<int>(m_size), m_freq, m_time, FFTW_MEASURE);
        std::fill(m_time, m_time + m_size, 0.0f);
        std::copy(response.begin(), response.end(), m_time);
        fftwf_execute(m_forward);
        m_response.assign(reinterpret_cast<std::complex<float>*>(m_freq),
                          reinterpret_cast<std::complex<float>*>(m_freq) + m_bins);
        m_tail.assign(m_size, 0.0f);
    }
    ~FftwConvolver()
    {
        fftwf_destroy_plan(m_forward);
        fftwf_destroy_plan(m_inverse);
        fftwf_free(m_time);
        fftwf_free(m_freq);
    }

    // One channel of `frames` samples, `stride` apart, in place.
    void process(float* data, size_t frames, size_t stride)
    {
        std::fill(m_time, m_time + m_size, 0.0f);
        for (size_t i = 0; i < frames; ++i)
            m_time[i] = data[i * stride];
        fftwf_execute(m_forward);
        auto* bins = reinterpret_cast<std::complex<float>*>(m_freq);
        const float scale = 1.0f / static_cast<float>(m_size);
        for (size_t k = 0; k < m_bins; ++k)
            bins[k] *= m_response[k] * scale;
        fftwf_execute(m_inverse);
        for (size_t i = 0; i < m_size; ++i)
            m_tail[i] += m_time[i];
        for (size_t i = 0; i < frames; ++i)
            data[i * stride] = m_tail[i];
        std::copy(m_tail.begin() + static_cast<ptrdiff_t>(frames), m_tail.end(), m_tail.begin());
        std::fill(m_tail.end() - static_cast<ptrdiff_t>(frames), m_tail.end(), 0.0f);
    }

private:
    size_t m_block;
    size_t m_size = 0;
    size_t m_bins = 0;
    float* m_time = nullptr;
    fftwf_complex* m_freq = nullptr;
    fftwf_plan m_forward{};
    fftwf_plan m_inverse{};
    std::vector<std::complex<float>> m_response;
    std::vector<float> m_tail;
};

void BM_FftwConvolutionReverb(benchmark::State& state)
{
    // Half a second of decaying noise as the room.
    std::vector<float> response(kRate / 2);
    std::mt19937 gen(9);
    std::normal_distribution<float> noise(0.0f, 0.1f);
    for (size_t i = 0; i < response.size(); ++i)
        response[i] = noise(gen) * std::exp(-6.0f * float(i) / float(response.size()));
    FftwConvolver left(response, kBlock);
    FftwConvolver right(response, kBlock);

    const std::vector<float> source = programme();
    std::vector<float> work(source.size());
    const size_t frames = source.size() / kChannels;
    for (auto _ : state) {
        state.PauseTiming();
        work = source;
        state.ResumeTiming();
        for (size_t start = 0; start < frames; start += kBlock) {
            const size_t n = std::min<size_t>(kBlock, frames - start);
            left.process(work.data() + start * kChannels, n, kChannels);
            right.process(work.data() + start * kChannels + 1, n, kChannels);
        }
        benchmark::DoNotOptimize(work.data());
    }
    state.counters[kRealTime] = benchmark::Counter(kSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ShippedEffectChain)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FftwConvolutionReverb)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the usual table and remembers each run's real-time multiple for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto it = run.counters.find(kRealTime);
            if (it != run.counters.end())
                m_multiples[run.benchmark_name()] = it->second.value;
        }
    }
    std::map<std::string, double> m_multiples;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    double chain = 0.0, peer = 0.0;
    for (const auto& [name, value] : reporter.m_multiples) {
        if (name.find("ShippedEffectChain") != std::string::npos)
            chain = value;
        if (name.find("FftwConvolutionReverb") != std::string::npos)
            peer = value;
    }
    if (chain > 0.0 && peer > 0.0)
        std::printf("shipped effect chain: %.1f x real time; FFTW convolution reverb: %.1f x real time; "
                    "chain / peer = %.2f\n",
                    chain, peer, chain / peer);
    benchmark::Shutdown();
    return 0;
}
