#pragma once
// The headless part of the LP and cassette wizards: splitting the recorded side into
// pieces and laying the pieces out as a CD project.
// - The recording is the source of every piece and is never deleted here.
// - A detection that finds no pieces gives the whole recording as one piece, so that
//   the project always gets at least one CD track.
// - An expected number of tracks moves the silence threshold until the detection finds
//   that many pieces (or as close as it gets).
// - Crossfades overlap neighbours by less than the shorter of the two, so no clip
//   starts before 0 or before the previous clip.
//
// Threads: user-interface thread (it changes the document).

#include "model/audio_clip.h"
#include "model/transform_plugin.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillon {

class CMultitrackerDoc;

class WizardCompilation {
public:
    struct Detection {
        float thresholdDb = -40.0f;
        float minTrackSeconds = 20.0f;
        float minPauseSeconds = 2.0f;
    };
    static constexpr float kLowestThresholdDb = -80.0f;
    static constexpr float kHighestThresholdDb = -10.0f;

    // Linear factor of a threshold in dB.
    static float linear(float db);

    // A clip over the whole recording, or null when it cannot be opened.
    static std::unique_ptr<CAudioClip> openRecording(const std::string& path, const WAVEFORMATEX* projectFormat);
    // The pieces of the recording at `path`, in time order, as clips over the project
    // format; the whole recording when no pause divides it. Empty when the recording
    // cannot be opened.
    static std::vector<std::unique_ptr<CAudioClip>> detectPieces(const std::string& path, const Detection& settings,
                                                                 const WAVEFORMATEX* projectFormat);
    // The (begin, end) frame ranges the detection finds, for display; the whole
    // recording when none.
    static std::vector<std::pair<int32_t, int32_t>> detectRanges(const std::string& path, const Detection& settings,
                                                                 const WAVEFORMATEX* projectFormat);
    // The threshold (dB) for which `countAt` is `expected`, searched between the lowest
    // and highest threshold: more quiet counts as pause the higher it is. When no
    // threshold gives exactly that many, the one giving the nearest count.
    static float thresholdForCount(int expected, const std::function<int(float db)>& countAt);

    // Where pieces of these lengths start, `gap` frames apart (negative: overlapping).
    static std::vector<int32_t> layout(const std::vector<int32_t>& lengths, int32_t gap);
    // Frames of a pause or (negative) crossfade of `seconds` and `milliseconds`.
    static int32_t gapFrames(uint32_t rate, int seconds, int milliseconds, bool crossfade);

    // Finish: empties the project and its labels, turns automatic CD tracks off, puts the
    // cursor at 0, lays the pieces out on the first track with a CD track split
    // "Untitled" at each, and puts the effects (any may be null) in the first track's
    // chain. Returns the number of pieces placed.
    static int finish(CMultitrackerDoc& doc, std::vector<std::unique_ptr<CAudioClip>> pieces, int32_t gap,
                      std::vector<std::unique_ptr<CTransformPlugin>> effects);
};

} // namespace quillon
