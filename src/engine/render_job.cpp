#include "engine/render_job.h"

#include "engine/renderer.h"
#include "engine/sample_sink.h"
#include "model/multitracker_doc.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace quillon {

RenderJob::RenderJob(CMultitrackerDoc& doc, const SampleRange& range, SampleSink* sink, float gain)
    : m_doc(doc), m_range(range), m_sink(sink), m_gain(gain)
{
}

RenderJob::~RenderJob()
{
    // run() uses this object's members: it must end before they go.
    wait();
}

bool RenderJob::abort()
{
    m_abort.store(true, std::memory_order_release);
    m_doc.stopRequest().store(true, std::memory_order_release);
    while (isRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(kAbortPollMilliseconds));
    return true;
}

float RenderJob::progress() const
{
    const int64_t length = m_range.length();
    if (length <= 0 || !m_sink)
        return isDone() ? 1.0f : 0.0f;
    return static_cast<float>(std::clamp(double(m_sink->framesDone()) / double(length), 0.0, 1.0));
}

int32_t RenderJob::run()
{
    m_peak.store(0.0f, std::memory_order_release);
    float peak = 0.0f;
    RenderRequest request;
    request.sink = m_sink;
    request.range = m_range;
    request.extraGain = m_gain;
    request.peakOut = &peak;
    request.abort = &m_abort;
    Renderer renderer(m_doc);
    const int rendered = renderer.render(request);
    m_peak.store(peak, std::memory_order_release);
    return rendered ? 0 : kFormatRefused;
}

} // namespace quillon
