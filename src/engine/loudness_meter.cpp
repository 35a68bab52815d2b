#include "engine/loudness_meter.h"

#include "engine/sample_block.h"
#include <ebur128.h>
#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace quillon {

namespace {

double decibels(double linear)
{
    return linear > 0.0 ? 20.0 * std::log10(linear) : -std::numeric_limits<double>::infinity();
}

double truePeak(ebur128_state* state, uint32_t channels)
{
    double peak = 0.0;
    for (uint32_t c = 0; c < channels; ++c) {
        double p = 0.0;
        if (ebur128_true_peak(state, c, &p) == EBUR128_SUCCESS)
            peak = std::max(peak, p);
    }
    return peak;
}

ebur128_state* st(void* state) { return static_cast<ebur128_state*>(state); }

} // namespace

bool LoudnessReading::silent() const { return !std::isfinite(integratedLufs); }

LoudnessMeter::LoudnessMeter(uint32_t channels, uint32_t rate, int64_t rangeFrames, SampleSink* next)
    : m_channels(channels), m_rangeFrames(rangeFrames), m_next(next)
{
    m_state = ebur128_init(channels, rate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    if (!m_state)
        throw std::runtime_error("The loudness of the audio cannot be measured.");
}

LoudnessMeter::~LoudnessMeter()
{
    auto* state = st(m_state);
    ebur128_destroy(&state);
}

void LoudnessMeter::addFrames(const float* frames, int64_t count)
{
    if (count > 0)
        ebur128_add_frames_float(st(m_state), frames, size_t(count));
}

bool LoudnessMeter::acceptBlock(const SampleBlock& block)
{
    const int64_t taken = m_taken.load(std::memory_order_relaxed);
    int64_t frames = block.frameCount();
    if (m_rangeFrames >= 0)
        frames = std::min(frames, m_rangeFrames - taken);
    if (frames > 0 && block.channels() == m_channels) {
        addFrames(block.data(), frames);
        m_taken.store(taken + frames, std::memory_order_release);
    }
    return m_next ? m_next->acceptBlock(block) : true;
}

void LoudnessMeter::finish()
{
    if (m_next)
        m_next->finish();
}

LoudnessReading LoudnessMeter::reading() const
{
    LoudnessReading r;
    double lufs = 0.0;
    r.integratedLufs = ebur128_loudness_global(st(m_state), &lufs) == EBUR128_SUCCESS
                           ? lufs
                           : -std::numeric_limits<double>::infinity();
    r.truePeakDbtp = decibels(truePeak(st(m_state), m_channels));
    return r;
}

LoudnessReading LoudnessMeter::combined(const std::vector<const LoudnessMeter*>& meters)
{
    std::vector<ebur128_state*> states;
    double peak = 0.0;
    for (const LoudnessMeter* m : meters) {
        states.push_back(st(m->m_state));
        peak = std::max(peak, truePeak(st(m->m_state), m->m_channels));
    }
    LoudnessReading r;
    double lufs = 0.0;
    r.integratedLufs = !states.empty() && ebur128_loudness_global_multiple(states.data(), states.size(), &lufs) ==
                                              EBUR128_SUCCESS
                           ? lufs
                           : -std::numeric_limits<double>::infinity();
    r.truePeakDbtp = decibels(peak);
    return r;
}

} // namespace quillon
