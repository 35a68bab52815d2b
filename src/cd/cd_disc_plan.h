#pragma once
// The CD tracks of a project as a disc will hold them: one track per CD track split
// (the first from the first label, whatever its kind), each with its project range,
// its pause and its indexes in blocks of 588 samples at 44 100 Hz.
//
// The disc plays the project's own timeline: a track's range runs from its split to the
// next split, so the silence before a split (its pause) ends the previous track's
// range and becomes the next track's index 0. Only the first track's 2-second pregap
// is added. Positions at another project rate are turned into 44 100 Hz sample counts
// before the division by 588.
//
// Threads: a plain value built on the caller's thread from a copy of the labels.
#include "base/prompt_text.h"
#include "base/sample_range.h"
#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

class CLabelList;

struct CdPlanTrack {
    std::string title;  // UTF-8, as the labels hold it
    std::string artist;
    std::string isrc;   // as the split holds it; the preflight checks it
    SampleRange range;  // project samples, end exclusive
    int32_t pauseBlocks = 0;
    std::vector<int32_t> indexBlocks; // each from the previous index or the track start
    int64_t firstFrame44 = 0;         // the range in 44 100 Hz frames
    int64_t endFrame44 = 0;
    int64_t frames44() const { return endFrame44 - firstFrame44; }
    // Whole blocks the track's file fills on the disc.
    int64_t fileBlocks() const { return (frames44() + 587) / 588; }
};

class CdDiscPlan {
public:
    static constexpr int kMaxTracks = 98;
    static constexpr int kMaxIndexes = 98;
    static constexpr int32_t kFirstPauseBlocks = 150;
    static constexpr int32_t kCdRate = 44100;
    static constexpr int32_t kBlockFrames = 588;
    static constexpr const char* kTooManyTracksText =
        "There are too many CD tracks in the project. The Audio CD standard does not support more than 98 CD "
        "tracks. Some CD tracks were truncated";
    static constexpr const char* kNoTracksText = "The project has no CD tracks to burn.";
    static constexpr const char* kSamePositionText = "Two CD tracks start at the same position (%1).";

    // `labels` is walked as it stands; `rate` is the project sample rate.
    CdDiscPlan(CLabelList& labels, int32_t projectEnd, int32_t rate);

    const std::vector<CdPlanTrack>& tracks() const { return m_tracks; }
    // More splits than a disc holds: only the first 98 tracks are planned.
    bool truncated() const { return m_truncated; }
    // The reason no disc can be made of the labels (none, or a zero-length track); empty
    // when the plan is usable.
    const PromptText& refusal() const { return m_refusal; }
    // The larger of the last label's position and the project end.
    int32_t totalLength() const { return m_totalLength; }
    int32_t rate() const { return m_rate; }
    // Blocks the disc takes, the first pregap included.
    int64_t totalBlocks() const;
    // A project position as a 44 100 Hz sample count.
    int64_t frames44(int64_t position) const;

private:
    std::vector<CdPlanTrack> m_tracks;
    bool m_truncated = false;
    PromptText m_refusal;
    int32_t m_totalLength = 0;
    int32_t m_rate = kCdRate;
};

} // namespace quillon
