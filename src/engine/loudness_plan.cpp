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

PromptText LoudnessPlan::loweredText(Piece piece) const
{
    if (m_lowered.empty())
        return {};
    std::string list;
    for (size_t i = 0; i < m_lowered.size(); ++i)
        list += (i ? ", " : "") + std::to_string(m_lowered[i] + 1);
    // One whole sentence for each case, so that a language pack can word each its own way.
    const bool one = m_lowered.size() == 1;
    const char* pattern = nullptr;
    if (piece == Piece::CdTrack)
        pattern = one ? kTrackLoweredText : kTracksLoweredText;
    else
        pattern = one ? kFileLoweredText : kFilesLoweredText;
    return PromptText(pattern).arg(list).arg(double(m_target), 1).arg(double(m_ceiling), 1);
}

} // namespace quillon
