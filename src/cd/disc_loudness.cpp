#include "cd/disc_loudness.h"

#include "cd/cd_burn_workflow.h"
#include "cd/cd_disc_plan.h"
#include "cd/cd_track_sink.h"
#include "engine/job_runner.h"
#include "engine/render_job.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include <exception>

namespace quillon {

DiscLoudness::Result DiscLoudness::measure(CMultitrackerDoc& doc, const CdDiscPlan& plan, CdBurnObserver& observer)
{
    m_tracks.clear();
    m_album = {};
    m_error = PromptText();
    doc.stopPlayback();
    for (int32_t i = 0; i < doc.trackCount(); ++i)
        if (CTrack* t = doc.trackAt(i))
            t->setPlaybackOff(0);
    std::vector<std::unique_ptr<LoudnessMeter>> meters;
    std::vector<const LoudnessMeter*> all;
    // A copy: the walk must not depend on the plan staying put while the mix renders.
    const std::vector<CdPlanTrack> tracks = plan.tracks();
    int64_t done = 0;
    int64_t total = 0;
    for (const CdPlanTrack& t : tracks)
        total += t.range.length();
    for (size_t i = 0; i < tracks.size(); ++i) {
        const CdPlanTrack& t = tracks[i];
        const std::string number = std::to_string(i + 1);
        observer.currentTrack(t.title.empty() ? number : number + ". " + t.title);
        try {
            meters.push_back(std::make_unique<LoudnessMeter>(2, CdDiscPlan::kCdRate, t.frames44()));
            CdTrackSink sink(meters.back().get(), t.range.length(), doc.sampleRate(), t.frames44());
            RenderJob job(doc, t.range, &sink, 1.0f);
            job.setTitle("Measuring Loudness");
            PollingJobRunner runner;
            runner.setProgressListener([&](int percent, const std::string&) {
                observer.preparation(total > 0 ? int((done + percent * t.range.length() / 100) * 100 / total) : 0);
            });
            runner.setStopCheck([&](const BackgroundJob&) { return observer.cancelled(); });
            const int outcome = runner.runJob(job);
            if (std::exception_ptr e = job.error())
                std::rethrow_exception(e);
            if (job.result() == RenderJob::kFormatRefused) {
                m_error = PromptText(CdBurnWorkflow::kChannelsText);
                return Result::Failed;
            }
            if (outcome != JobRunner::kFinished || observer.cancelled())
                return Result::Cancelled;
        } catch (const std::exception& e) {
            m_error = PromptText("CD track %1 could not be measured: %2").arg(number).arg(e.what());
            return Result::Failed;
        } catch (...) {
            m_error = PromptText("CD track %1 could not be measured.").arg(number);
            return Result::Failed;
        }
        done += t.range.length();
        m_tracks.push_back(meters.back()->reading());
        all.push_back(meters.back().get());
    }
    m_album = LoudnessMeter::combined(all);
    return Result::Measured;
}

} // namespace quillon
