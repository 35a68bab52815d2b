#include "engine/audio_exporter.h"

#include "base/prompter.h"
#include "base/settings_store.h"
#include "base/wave_format.h"
#include "engine/cd_track_export.h"
#include "engine/file_writer_sink.h"
#include "engine/job_runner.h"
#include "engine/render_job.h"
#include "engine/renderer.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include "plugins/class_com.h"

#include <memory>

namespace quillon {

AudioExporter::AudioExporter(CMultitrackerDoc& doc, PluginHost& host, JobRunner& runner, Prompter& prompter)
    : m_doc(doc), m_host(host), m_runner(runner), m_prompter(prompter)
{
}

WAVEFORMATEX AudioExporter::destinationFormat(const WAVEFORMATEX& projectFormat)
{
    return makePcmFormat(projectFormat.nSamplesPerSec, projectFormat.nChannels, projectFormat.wBitsPerSample);
}

SampleRange AudioExporter::projectRange() const { return SampleRange(0, m_doc.projectEnd()); }

ExportStatus AudioExporter::fail(const std::string& text)
{
    m_lastError = text;
    m_prompter.showMessage(text, PromptIcon::Error);
    return ExportStatus::Failed;
}

bool AudioExporter::prepare()
{
    m_filesCompleted = 0;
    m_lastError.clear();
    if (!Renderer::canRender(m_doc.format())) {
        fail(kChannelsText);
        return false;
    }
    // The render words (position, stop request) are the playback's too.
    m_doc.stopPlayback();
    // Every active track sounds in an export, whatever the play switches say.
    for (int32_t i = 0, n = m_doc.trackCount(); i < n; ++i)
        m_doc.trackAt(i)->setPlaybackOff(0);
    return true;
}

ExportStatus AudioExporter::renderInto(FileWriterSink& sink, const SampleRange& range)
{
    RenderJob job(m_doc, range, m_wrapper ? &m_wrapper(sink) : &sink, 1.0f);
    const int outcome = m_runner.runJob(job);
    if (std::exception_ptr error = job.error()) {
        try {
            std::rethrow_exception(error);
        } catch (const ClassCom&) {
            return fail(kClassComMessage);
        } catch (const std::exception& e) {
            return fail(e.what());
        }
    }
    if (job.result() == RenderJob::kFormatRefused)
        return fail(kChannelsText);
    if (outcome != JobRunner::kFinished)
        return ExportStatus::Stopped;
    ++m_filesCompleted;
    return ExportStatus::Done;
}

ExportStatus AudioExporter::exportWithChoice()
{
    if (!prepare())
        return ExportStatus::Failed;
    const WAVEFORMATEX destination = destinationFormat(m_doc.format());
    const int32_t defaultFormat = m_doc.settings().profileInt(kDefaultFormatSection, kDefaultFormatName, -1);
    std::unique_ptr<FileWriterSink> sink;
    try {
        sink = FileWriterSink::choose(m_host, destination, defaultFormat, projectRange().length());
    } catch (const ClassCom&) {
        return fail(kClassComMessage);
    }
    if (!sink)
        return ExportStatus::Cancelled;
    return renderInto(*sink, projectRange());
}

ExportStatus AudioExporter::exportToFile(const std::string& path) { return exportToFile(path, projectRange()); }

ExportStatus AudioExporter::exportToFile(const std::string& path, const SampleRange& range)
{
    if (!prepare())
        return ExportStatus::Failed;
    std::unique_ptr<FileWriterSink> sink;
    try {
        sink = FileWriterSink::create(m_host, path, destinationFormat(m_doc.format()), range.length());
    } catch (const ClassCom&) {
        return fail(kClassComMessage);
    }
    return renderInto(*sink, range);
}

ExportStatus AudioExporter::exportCdTracks(const CdTrackExportList& list)
{
    if (!prepare())
        return ExportStatus::Failed;
    if (list.firstConflict())
        return fail(CdTrackExportList::kDuplicateText);
    const WAVEFORMATEX destination = destinationFormat(m_doc.format());
    for (size_t i = 0; i < list.size(); ++i) {
        std::unique_ptr<FileWriterSink> sink;
        try {
            sink = FileWriterSink::create(m_host, list.path(i), destination, list.entry(i).range.length());
        } catch (const ClassCom&) {
            return fail(kClassComMessage);
        }
        const ExportStatus status = renderInto(*sink, list.entry(i).range);
        if (status != ExportStatus::Done)
            return status;
    }
    return ExportStatus::Done;
}

} // namespace quillon
