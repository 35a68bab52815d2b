#pragma once
// The loudness of a disc as it will be burned: each CD track of the plan rendered the way
// the burn renders it (every track audible, turned into 44 100 Hz stereo and cut to the
// track's planned length) into an EBU R128 meter, and the whole disc taken as one
// programme.
//
// Threads: measure() runs on the owner's thread; each render is a job on a worker
// thread while the owner polls it, and the observer is called on the owner's thread.
#include "base/prompt_text.h"
#include "engine/loudness_meter.h"
#include <memory>
#include <string>
#include <vector>

namespace quillon {

class CdBurnObserver;
class CdDiscPlan;
class CMultitrackerDoc;

class DiscLoudness {
public:
    enum class Result { Measured, Cancelled, Failed };

    Result measure(CMultitrackerDoc& doc, const CdDiscPlan& plan, CdBurnObserver& observer);

    const std::vector<LoudnessReading>& tracks() const { return m_tracks; }
    const LoudnessReading& album() const { return m_album; }
    // Why the last measure() failed.
    const PromptText& error() const { return m_error; }

private:
    std::vector<LoudnessReading> m_tracks;
    LoudnessReading m_album;
    PromptText m_error;
};

} // namespace quillon
