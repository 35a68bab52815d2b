#pragma once
// A background job that renders a project range into a sink: export to files and the
// burn preparation run it on a worker thread while a progress display polls it.
//
// Threads: see BackgroundJob. The constructor, setters, abort() and the destructor are
// for the owner's thread; run() renders on the worker; progress() reads the sink's
// atomic frame count from any thread. The sink and the document must outlive the job.

#include "base/sample_range.h"
#include "engine/background_job.h"

#include <atomic>
#include <string>

namespace quillon {

class CMultitrackerDoc;
class SampleSink;

class RenderJob : public BackgroundJob {
public:
    static constexpr const char* kExportingTitle = "Exporting";
    // How often abort() looks whether the render loop has ended.
    static constexpr int kAbortPollMilliseconds = 100;
    // The result of a run refused because the project is not two-channel.
    static constexpr int32_t kFormatRefused = -1;

    RenderJob(CMultitrackerDoc& doc, const SampleRange& range, SampleSink* sink, float gain = 1.0f);
    ~RenderJob() override;

    // Sets the document's stop request (and the job's own, which a render that has not
    // begun yet cannot clear) and waits until the render has ended. True.
    bool abort() override;
    // Frames the sink has taken over the range length, at most 1.
    float progress() const override;
    std::string title() const override { return m_title; }
    void setTitle(std::string title) { m_title = std::move(title); }
    // Renders the range into the sink without looping, with the gain as the extra
    // master gain. 0 when done or stopped; a failure of the sink or of a plug-in ends
    // the job with that error (see BackgroundJob::start). A job once aborted stays
    // aborted: run again, it renders nothing.
    int32_t run() override;

    const SampleRange& range() const { return m_range; }
    float gain() const { return m_gain; }
    // Whether abort() was called for the current run.
    bool wasAborted() const { return m_abort.load(std::memory_order_acquire); }
    // The largest master peak of the rendered blocks.
    float peak() const { return m_peak.load(std::memory_order_acquire); }

private:
    CMultitrackerDoc& m_doc;
    SampleRange m_range;
    SampleSink* m_sink;
    float m_gain;
    std::string m_title = kExportingTitle;
    std::atomic<bool> m_abort{false};
    std::atomic<float> m_peak{0.0f};
};

} // namespace quillon
