#include "cd_burn_workflow.h"

#include "base/folder_settings.h"
#include "base/prompter.h"
#include "base/sample_range.h"
#include "cd/burner_library.h"
#include "cd/cd_disc_plan.h"
#include "cd/cd_track_sink.h"
#include "cd/disc_loudness.h"
#include "cd/cd_verifier.h"
#include "cd/burn_request_handler.h"
#include "cd/red_book_preflight.h"
#include "engine/file_writer_sink.h"
#include "engine/job_runner.h"
#include "engine/render_job.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include "plugins/class_com.h"
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace quillon {

namespace {

WAVEFORMATEX cdFormat()
{
    WAVEFORMATEX f{};
    f.wFormatTag = 1;
    f.nChannels = 2;
    f.nSamplesPerSec = 44100;
    f.wBitsPerSample = 16;
    f.nBlockAlign = 4;
    f.nAvgBytesPerSec = 176400;
    return f;
}

struct ProgressBridge {
    static int32_t progress(void* user, int32_t percent)
    {
        static_cast<CdBurnObserver*>(user)->writing(percent);
        return 1;
    }
    static int32_t aborted(void* user) { return static_cast<CdBurnObserver*>(user)->cancelled() ? 1 : 0; }
    static void logLine(void*, const char*) {}
    static void phase(void* user, const char* text) { static_cast<CdBurnObserver*>(user)->phase(text ? text : ""); }
};

// Runs a job while the owner polls; progress goes to the observer scaled into the
// whole preparation, and the observer's cancel flag stops it.
bool runJob(RenderJob& job, CdBurnObserver& observer, int64_t offset, int64_t length, int64_t total)
{
    PollingJobRunner runner;
    runner.setProgressListener([&](int percent, const std::string&) {
        observer.preparation(total > 0 ? int((percent * length / 100 + offset) * 100 / total) : 0);
    });
    runner.setStopCheck([&](const BackgroundJob&) { return observer.cancelled(); });
    return runner.runJob(job) == JobRunner::kFinished;
}

} // namespace

CdBurnWorkflow::CdBurnWorkflow(CMultitrackerDoc& doc, PluginHost& host, BurnerLibrary& library, Prompter& prompter)
    : m_doc(doc), m_host(host), m_library(library), m_prompter(prompter)
{
    FolderSettings(doc.settings()).lookup(kFolderTemporary, m_folder);
}

std::string CdBurnWorkflow::trackPath(int number) const
{
    return (std::filesystem::path(m_folder) / ("track" + std::to_string(number) + ".wav")).string();
}

CdBurnWorkflow::Result CdBurnWorkflow::fail(const PromptText& text)
{
    m_lastError = text;
    m_prompter.showMessage(text, PromptIcon::Error);
    return Result::Failed;
}

float CdBurnWorkflow::measurePeak(const SampleRange& range, CdBurnObserver& observer)
{
    CdTrackSink meter(nullptr, range.length(), m_doc.sampleRate(), 0);
    RenderJob job(m_doc, range, &meter, 1.0f);
    const bool finished = runJob(job, observer, 0, 0, 0);
    if (job.error() || job.result() == RenderJob::kFormatRefused || !finished)
        return -1.0f;
    return meter.peak();
}

bool CdBurnWorkflow::renderTrack(int number, const CdPlanTrack& track, float gain, int64_t totalLength,
                                 CdBurnObserver& observer)
{
    const std::string path = trackPath(number);
    std::unique_ptr<FileWriterSink> file;
    try {
        file = FileWriterSink::create(m_host, path, cdFormat(), track.frames44());
    } catch (const std::exception&) {
        fail(PromptText("The track file %1 cannot be written.").arg(path));
        return false;
    }
    std::unique_ptr<CdTrackSink> sink;
    try {
        sink = std::make_unique<CdTrackSink>(file.get(), track.range.length(), m_doc.sampleRate(), track.frames44());
    } catch (const std::exception& e) {
        fail(e.what());
        return false;
    }
    RenderJob job(m_doc, track.range, sink.get(), gain);
    job.setTitle("Preparing Audio Data");
    const bool finished = runJob(job, observer, track.range.begin, track.range.length(), totalLength);
    file->close();
    if (std::exception_ptr error = job.error()) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            fail(PromptText("CD track %1 could not be rendered: %2").arg(number).arg(e.what()));
        } catch (...) {
            fail(PromptText("CD track %1 could not be rendered.").arg(number));
        }
        return false;
    }
    if (job.result() == RenderJob::kFormatRefused) {
        fail(kChannelsText);
        return false;
    }
    if (!finished || observer.cancelled()) {
        m_cancelled = true;
        return false;
    }
    if (sink->framesWritten() != track.frames44()) {
        fail(PromptText("CD track %1 could not be rendered completely.").arg(number));
        return false;
    }
    return true;
}

CdBurnWorkflow::Result CdBurnWorkflow::burn(CLabelList& labels, const CdBurnOptions& options,
                                            CdBurnObserver& observer)
{
    m_lastError = PromptText();
    m_gains.clear();
    m_loudness.clear();
    m_plan = LoudnessPlan();
    m_cancelled = false;
    m_doc.stopPlayback();
    const CdDiscPlan plan(labels, m_doc.projectEnd(), int32_t(m_doc.sampleRate()));
    if (!plan.refusal().empty())
        return fail(plan.refusal());

    // The medium decides how long the disc may be, so the device opens first.
    void* device = m_library.openDevice(options.drive);
    if (!device)
        return fail(kNoDeviceText);
    m_device = device;
    struct DeviceCloser {
        BurnerLibrary& lib;
        void*& device;
        ~DeviceCloser()
        {
            lib.closeDevice(device);
            device = nullptr;
        }
    } closer{m_library, m_device};

    const PreflightResult check = RedBookPreflight::check(plan, m_doc.title(), m_doc.artist(),
                                                          m_library.mediumCapacity(device), m_doc.catalogNumber());
    if (!check.ok())
        return fail(check.refusal);
    if (!check.warning.empty() && !m_prompter.askOkCancel(check.warning))
        return Result::Cancelled;
    if (!check.replaced.empty()) {
        m_prompter.showMessage(PromptText(RedBookPreflight::kReplacedText).arg(check.replaced), PromptIcon::Warning);
    }
    const auto& tracks = plan.tracks();
    for (size_t i = 0; i < tracks.size(); ++i)
        if (trackPath(int(i) + 1).size() >= VARDA_PATH_SIZE)
            return fail(PromptText("The Temporary folder's path is too long for the track files: %1").arg(m_folder));

    // Every track is heard in the mix that is measured and burned.
    for (int32_t i = 0; i < m_doc.trackCount(); ++i)
        if (CTrack* t = m_doc.trackAt(i))
            t->setPlaybackOff(0);

    float globalPeak = 1.0f;
    if (options.normalize == NormalizeMode::Global) {
        globalPeak = measurePeak(SampleRange{0, m_doc.projectEnd()}, observer);
        if (observer.cancelled())
            return Result::Cancelled;
        if (globalPeak < 0)
            return fail(PromptText("The project could not be measured for normalisation."));
    }
    const bool loudness =
        options.normalize == NormalizeMode::TrackLoudness || options.normalize == NormalizeMode::AlbumLoudness;
    if (loudness) {
        DiscLoudness measured;
        const DiscLoudness::Result r = measured.measure(m_doc, plan, observer);
        if (r == DiscLoudness::Result::Cancelled)
            return Result::Cancelled;
        if (r == DiscLoudness::Result::Failed)
            return fail(measured.error());
        LoudnessTarget target;
        target.mode = options.normalize == NormalizeMode::TrackLoudness ? LoudnessMode::MatchTracks : LoudnessMode::Album;
        target.targetLufs = options.targetLufs;
        m_loudness = measured.tracks();
        m_plan = LoudnessPlan(target, m_loudness, measured.album());
        const PromptText lowered = m_plan.loweredText(LoudnessPlan::Piece::CdTrack);
        if (!lowered.empty())
            m_prompter.showMessage(lowered, PromptIcon::Warning);
    }
    // Files of an earlier burn must never stand in for tracks this one did not write.
    for (size_t i = 0; i < tracks.size(); ++i) {
        std::error_code ec;
        std::filesystem::remove(trackPath(int(i) + 1), ec);
        if (std::filesystem::exists(trackPath(int(i) + 1)))
            return fail(PromptText("The old track file %1 cannot be removed.").arg(trackPath(int(i) + 1)));
    }

    const size_t bytes = VardaDiscSize(tracks.size());
    std::unique_ptr<uint64_t[]> memory(new uint64_t[bytes / 8 + 1]());
    auto* disc = reinterpret_cast<VardaDisc*>(memory.get());
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (observer.cancelled())
            return Result::Cancelled;
        const CdPlanTrack& t = tracks[i];
        const int number = int(i) + 1;
        observer.currentTrack(t.title.empty() ? std::to_string(number) : std::to_string(number) + ". " + t.title);
        float peak = globalPeak;
        if (options.normalize == NormalizeMode::PerTrack) {
            peak = measurePeak(t.range, observer);
            if (observer.cancelled())
                return Result::Cancelled;
            if (peak < 0)
                return fail(PromptText("CD track %1 could not be measured for normalisation.").arg(number));
        }
        const float gain = loudness ? m_plan.gains()[i]
                           : options.normalize == NormalizeMode::None || peak <= 0.0f ? 1.0f
                                                                                       : options.level / peak;
        m_gains.push_back(gain);
        if (!renderTrack(number, t, gain, plan.totalLength(), observer))
            return m_cancelled ? Result::Cancelled : Result::Failed;
        VardaTrack& r = VardaDiscTracks(disc)[i];
        r.pause = t.pauseBlocks;
        r.indexCount = int32_t(std::min<size_t>(t.indexBlocks.size(), VARDA_MAX_INDEXES));
        for (int32_t k = 0; k < r.indexCount; ++k)
            r.indexes[k] = t.indexBlocks[size_t(k)];
        r.title = t.title.c_str();
        r.artist = t.artist.c_str();
        const std::string path = trackPath(number);
        std::memcpy(r.path, path.c_str(), path.size() + 1);
        r.sourceKind = VARDA_SOURCE_WAVE_FILE;
        std::snprintf(r.isrc, sizeof r.isrc, "%s", t.isrc.c_str());
    }
    if (observer.cancelled())
        return Result::Cancelled;
    observer.preparation(100);
    disc->artist = m_doc.artist().c_str();
    disc->title = m_doc.title().c_str();
    disc->trackCount = int32_t(tracks.size());
    disc->mediaType = VARDA_MEDIA_AUDIO_CD;
    std::snprintf(disc->catalog, sizeof disc->catalog, "%s", m_doc.catalogNumber().c_str());
    uint32_t flags = kBaseFlags;
    if (options.simulate)
        flags |= VARDA_BURN_SIMULATE;
    if (options.testSpeed)
        flags |= VARDA_BURN_TEST_SPEED;
    VardaProgress progress{};
    progress.progress = &ProgressBridge::progress;
    progress.aborted = &ProgressBridge::aborted;
    progress.logLine = &ProgressBridge::logLine;
    progress.phase = &ProgressBridge::phase;
    progress.user = &observer;
    if (m_library.burn(device, disc, flags, options.speed, &progress) != 0) {
        if (observer.cancelled())
            return Result::Cancelled;
        return fail(m_library.lastError());
    }
    if (options.verify) {
        // What was written is read back before it counts as written.
        const bool image = (options.drive->capabilities & VARDA_CAP_IMAGE) != 0;
        std::string source;
        if (image && options.requests && !options.requests->lastImagePath().empty())
            source = CdVerifier::imageSheet(options.requests->lastImagePath());
        else if (!image)
            source = std::string(options.drive->address, strnlen(options.drive->address, sizeof options.drive->address));
        if (!source.empty()) {
            observer.phase("Verifying");
            std::vector<std::string> files;
            for (size_t i = 0; i < tracks.size(); ++i)
                files.push_back(trackPath(int(i) + 1));
            const CdVerifyResult check = CdVerifier::verify(source, !image, files);
            if (!check.ok)
                return fail(check.message);
        }
    }
    return Result::Burned;
}

} // namespace quillon
