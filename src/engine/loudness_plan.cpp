#include "engine/loudness_plan.h"

#include <cmath>
#include <cstdio>

namespace quillon {

namespace {

// The gain in dB, cut so that the true peak stays at the ceiling; `cut` tells whether it was.
double limitedGain(double wanted, double truePeakDbtp, double ceiling, bool& cut)
{
    // A tiny margin keeps a peak that lands exactly on the ceiling from rounding past it.
    const double room = std::isfinite(truePeakDbtp) ? ceiling - truePeakDbtp - 0.01 : wanted;
    cut = wanted > room;
    return cut ? room : wanted;
}

float linear(double db) { return float(std::pow(10.0, db / 20.0)); }

} // namespace

LoudnessPlan::LoudnessPlan(const LoudnessTarget& target, const std::vector<LoudnessReading>& pieces,
                           const LoudnessReading& whole)
    : m_target(target.targetLufs), m_ceiling(target.ceilingDbtp)
{
    m_gains.assign(pieces.size(), 1.0f);
    if (target.mode == LoudnessMode::Off)
        return;
    if (target.mode == LoudnessMode::Album) {
        if (whole.silent())
            return;
        bool cut = false;
        const float gain = linear(limitedGain(target.targetLufs - whole.integratedLufs, whole.truePeakDbtp,
                                              target.ceilingDbtp, cut));
        for (size_t i = 0; i < pieces.size(); ++i) {
            m_gains[i] = gain;
            if (cut && !pieces[i].silent())
                m_lowered.push_back(i);
        }
        return;
    }
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].silent())
            continue;
        bool cut = false;
        m_gains[i] = linear(limitedGain(target.targetLufs - pieces[i].integratedLufs, pieces[i].truePeakDbtp,
                                        target.ceilingDbtp, cut));
        if (cut)
            m_lowered.push_back(i);
    }
}

std::string LoudnessPlan::loweredText(const std::string& noun) const
{
    if (m_lowered.empty())
        return {};
    std::string list;
    for (size_t i = 0; i < m_lowered.size(); ++i)
        list += (i ? ", " : "") + std::to_string(m_lowered[i] + 1);
    char text[160];
    std::snprintf(text, sizeof text, " cannot reach %.1f LUFS without a true peak above %.1f dBTP and %s lowered.",
                  m_target, m_ceiling, m_lowered.size() == 1 ? "was" : "were");
    return noun + (m_lowered.size() == 1 ? " " : "s ") + list + text;
}

} // namespace quillon
