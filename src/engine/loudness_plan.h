#pragma once
// The gains that bring measured pieces (CD tracks, export files) to a loudness target
// without letting any true peak pass the ceiling.
//
// Match track loudness: each piece gets its own gain, target minus its loudness. Album
// loudness: one gain for all, target minus the loudness of the whole. Either way a gain
// that would lift a piece's true peak above the ceiling is cut to the ceiling, and the
// piece is listed as lowered, so that the user can be told it stays below the target.
// Silent pieces keep unity gain.
//
// Threads: a plain value.
#include "engine/loudness_meter.h"
#include "base/prompt_text.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quillon {

enum class LoudnessMode { Off, MatchTracks, Album };

struct LoudnessTarget {
    static constexpr double kDefaultTargetLufs = -14.0;
    static constexpr double kCeilingDbtp = -1.0;
    LoudnessMode mode = LoudnessMode::Off;
    double targetLufs = kDefaultTargetLufs;
    double ceilingDbtp = kCeilingDbtp;
};

class LoudnessPlan {
public:
    LoudnessPlan() = default;
    LoudnessPlan(const LoudnessTarget& target, const std::vector<LoudnessReading>& pieces,
                 const LoudnessReading& whole);

    // Linear gains, one per piece.
    const std::vector<float>& gains() const { return m_gains; }
    // Pieces (counted from 0) that stay below the target because of the ceiling.
    const std::vector<size_t>& lowered() const { return m_lowered; }
    enum class Piece { File, CdTrack };
    static constexpr const char* kTrackLoweredText =
        "CD track %1 cannot reach %2 LUFS without a true peak above %3 dBTP and was lowered.";
    static constexpr const char* kTracksLoweredText =
        "CD tracks %1 cannot reach %2 LUFS without a true peak above %3 dBTP and were lowered.";
    static constexpr const char* kFileLoweredText =
        "File %1 cannot reach %2 LUFS without a true peak above %3 dBTP and was lowered.";
    static constexpr const char* kFilesLoweredText =
        "Files %1 cannot reach %2 LUFS without a true peak above %3 dBTP and were lowered.";
    // The message naming the lowered pieces counted from 1, as files or CD tracks;
    // empty when none was lowered.
    PromptText loweredText(Piece piece) const;

private:
    std::vector<float> m_gains;
    std::vector<size_t> m_lowered;
    double m_target = LoudnessTarget::kDefaultTargetLufs;
    double m_ceiling = LoudnessTarget::kCeilingDbtp;
};

} // namespace quillon
