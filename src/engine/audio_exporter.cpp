#include "engine/audio_exporter.h"

#include "base/prompter.h"
#include "base/settings_store.h"
#include "base/wave_format.h"
#include "engine/cd_track_export.h"
#include "engine/file_writer_sink.h"
#include "engine/gain_schedule_sink.h"
#include "engine/job_runner.h"
#include "engine/loudness_meter.h"
#include "engine/render_job.h"
#include "engine/renderer.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/project_label.h"
#include "model/track.h"
#include "plugins/class_com.h"

#include <algorithm>
#include <memory>
#include <mutex>

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

ExportStatus AudioExporter::fail(const PromptText& text)
{
    m_lastError = text;
    m_prompter.showMessage(text, PromptIcon::Error);
    return ExportStatus::Failed;
}

bool AudioExporter::prepare()
{
    m_filesCompleted = 0;
    m_lastError = PromptText();
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

namespace {

// The outcome of a finished job: Done, Stopped, or the failure's message in `error`.
ExportStatus jobOutcome(const RenderJob& job, int outcome, std::string& error)
{
    if (std::exception_ptr e = job.error()) {
        try {
            std::rethrow_exception(e);
        } catch (const ClassCom&) {
            error = kClassComMessage;
        } catch (const std::exception& ex) {
            error = ex.what();
        }
        return ExportStatus::Failed;
    }
    if (job.result() == RenderJob::kFormatRefused) {
        error = AudioExporter::kChannelsText;
        return ExportStatus::Failed;
    }
    return outcome == JobRunner::kFinished ? ExportStatus::Done : ExportStatus::Stopped;
}

} // namespace

float AudioExporter::gainFor(size_t piece) const
{
    return m_loudness.mode == LoudnessMode::Off || piece >= m_plan.gains().size() ? 1.0f : m_plan.gains()[piece];
}

ExportStatus AudioExporter::planLoudness(const std::vector<SampleRange>& ranges, LoudnessPlan::Piece piece)
{
    m_readings.clear();
    m_plan = LoudnessPlan();
    if (m_loudness.mode == LoudnessMode::Off)
        return ExportStatus::Done;
    std::vector<std::unique_ptr<LoudnessMeter>> meters;
    std::vector<const LoudnessMeter*> all;
    for (const SampleRange& range : ranges) {
        try {
            meters.push_back(std::make_unique<LoudnessMeter>(m_doc.format().nChannels, m_doc.sampleRate(),
                                                             range.length()));
        } catch (const std::exception& e) {
            return fail(e.what());
        }
        RenderJob job(m_doc, range, meters.back().get(), 1.0f);
        job.setTitle(kMeasuringTitle);
        std::string error;
        const ExportStatus status = jobOutcome(job, m_runner.runJob(job), error);
        if (status == ExportStatus::Failed)
            return fail(error);
        if (status != ExportStatus::Done)
            return status;
        m_readings.push_back(meters.back()->reading());
        all.push_back(meters.back().get());
    }
    m_plan = LoudnessPlan(m_loudness, m_readings, LoudnessMeter::combined(all));
    const PromptText lowered = m_plan.loweredText(piece);
    if (!lowered.empty())
        m_prompter.showMessage(lowered, PromptIcon::Warning);
    return ExportStatus::Done;
}

std::vector<SampleRange> AudioExporter::filePieces(const SampleRange& range) const
{
    if (m_loudness.mode != LoudnessMode::MatchTracks)
        return {range};
    std::vector<int32_t> splits;
    bool splitAtStart = false;
    {
        CLabelList& labels = m_doc.labels();
        std::lock_guard guard(labels);
        CLabelList::Cursor cursor;
        for (ProjectLabel* l = labels.first(cursor); l; l = labels.next(cursor)) {
            if (l->kind != ProjectLabel::kTrackSplit)
                continue;
            if (l->position <= range.begin)
                splitAtStart = true;
            else if (l->position < range.end)
                splits.push_back(l->position);
        }
    }
    std::sort(splits.begin(), splits.end());
    splits.erase(std::unique(splits.begin(), splits.end()), splits.end());
    // What comes before the first CD track is heard with it.
    if (!splitAtStart && !splits.empty())
        splits.erase(splits.begin());
    std::vector<SampleRange> pieces;
    int32_t start = range.begin;
    for (int32_t split : splits) {
        pieces.emplace_back(start, split);
        start = split;
    }
    pieces.emplace_back(start, range.end);
    return pieces;
}

LoudnessPlan::Piece AudioExporter::pieceKind(const std::vector<SampleRange>& pieces)
{
    return pieces.size() > 1 ? LoudnessPlan::Piece::CdTrack : LoudnessPlan::Piece::File;
}

ExportStatus AudioExporter::renderFile(FileWriterSink& sink, const SampleRange& range)
{
    const std::vector<SampleRange> pieces = filePieces(range);
    if (const ExportStatus measured = planLoudness(pieces, pieceKind(pieces)); measured != ExportStatus::Done)
        return measured;
    return renderPieces(sink, range, pieces);
}

ExportStatus AudioExporter::renderPieces(FileWriterSink& sink, const SampleRange& range,
                                         const std::vector<SampleRange>& pieces)
{
    if (pieces.size() <= 1)
        return renderInto(sink, range, gainFor(0));
    std::vector<GainScheduleSink::Step> steps;
    for (size_t i = 0; i < pieces.size(); ++i)
        steps.push_back({int64_t(pieces[i].begin) - range.begin, gainFor(i)});
    const uint32_t rate = m_doc.sampleRate();
    GainScheduleSink scheduled(sink, std::move(steps), m_doc.format().nChannels,
                               uint32_t(Renderer::blockFrames(rate)), rate * kRampMs / 1000);
    return renderInto(scheduled, range, 1.0f);
}

ExportStatus AudioExporter::renderInto(SampleSink& sink, const SampleRange& range, float gain)
{
    RenderJob job(m_doc, range, m_wrapper ? &m_wrapper(sink) : &sink, gain);
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
    return renderFile(*sink, projectRange());
}

ExportStatus AudioExporter::exportToFile(const std::string& path) { return exportToFile(path, projectRange()); }

ExportStatus AudioExporter::exportToFile(const std::string& path, const SampleRange& range)
{
    if (!prepare())
        return ExportStatus::Failed;
    const std::vector<SampleRange> pieces = filePieces(range);
    if (const ExportStatus measured = planLoudness(pieces, pieceKind(pieces)); measured != ExportStatus::Done)
        return measured;
    std::unique_ptr<FileWriterSink> sink;
    try {
        sink = FileWriterSink::create(m_host, path, destinationFormat(m_doc.format()), range.length());
    } catch (const ClassCom&) {
        return fail(kClassComMessage);
    }
    return renderPieces(*sink, range, pieces);
}

ExportStatus AudioExporter::exportCdTracks(const CdTrackExportList& list)
{
    if (!prepare())
        return ExportStatus::Failed;
    if (list.firstConflict())
        return fail(CdTrackExportList::kDuplicateText);
    std::vector<SampleRange> ranges;
    for (const CdTrackExportEntry& e : list.entries())
        ranges.push_back(e.range);
    if (const ExportStatus measured = planLoudness(ranges, LoudnessPlan::Piece::CdTrack); measured != ExportStatus::Done)
        return measured;
    const WAVEFORMATEX destination = destinationFormat(m_doc.format());
    for (size_t i = 0; i < list.size(); ++i) {
        std::unique_ptr<FileWriterSink> sink;
        try {
            sink = FileWriterSink::create(m_host, list.path(i), destination, list.entry(i).range.length());
        } catch (const ClassCom&) {
            return fail(kClassComMessage);
        }
        const ExportStatus status = renderInto(*sink, list.entry(i).range, gainFor(i));
        if (status != ExportStatus::Done)
            return status;
    }
    return ExportStatus::Done;
}

} // namespace quillon
