#pragma once
// Writes the project out as audio files: the whole mix into one file (the user choosing
// file and type through the file filter, or to a path the caller names) and one file per
// CD track into a folder. Each file is rendered by a RenderJob into a FileWriterSink on a
// worker thread, run through the caller's JobRunner (the progress dialog, the
// command-line tool's progress bar). Messages go through the Prompter.
//
// Threads: every call runs on the owner's thread (the user-interface thread, the
// command-line tool's main thread) and returns after the worker has ended.

#include "base/sample_range.h"
#include "engine/loudness_plan.h"

#include <quillon/wave_format.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quillon {

class CdTrackExportList;
class CMultitrackerDoc;
class JobRunner;
class PluginHost;
class Prompter;
class SampleSink;

enum class ExportStatus {
    Done,      // every file written completely
    Cancelled, // the user cancelled the choice of destination; nothing written
    Stopped,   // the user stopped a render; what was written so far stays
    Failed,    // a message was shown; see AudioExporter::lastError
};

class AudioExporter {
public:
    static constexpr const char* kChannelsText = "Only projects with two channels can be exported.";
    static constexpr const char* kMeasuringTitle = "Measuring Loudness";
    // How long a file takes to go from one CD track's gain to the next one's.
    static constexpr uint32_t kRampMs = 10;
    // The stored default export format (an index into the filter's export formats).
    static constexpr const char* kDefaultFormatSection = "General";
    static constexpr const char* kDefaultFormatName = "DefExportFormat";

    AudioExporter(CMultitrackerDoc& doc, PluginHost& host, JobRunner& runner, Prompter& prompter);

    // PCM with the project's channels, rate and resolution.
    static WAVEFORMATEX destinationFormat(const WAVEFORMATEX& projectFormat);
    // From 0 to the project end.
    SampleRange projectRange() const;

    // "Export to Audio File...": the file filter lets the user choose file and type
    // (with the stored default format preselected), then the whole project is rendered
    // into it (at gain 1.0 unless loudness normalisation is set).
    ExportStatus exportWithChoice();
    // The whole project, or a range, into `path` in the type its extension names.
    ExportStatus exportToFile(const std::string& path);
    ExportStatus exportToFile(const std::string& path, const SampleRange& range);
    // One file per entry, in order, each with its own range. Refused without writing
    // anything while two entries share a name. A stopped or failed file ends the batch;
    // the files before it are complete and the ones after it are not written.
    ExportStatus exportCdTracks(const CdTrackExportList& list);

    // Puts a sink of the caller's between the render and each file (a level meter): given
    // the file's sink, it returns the sink the render delivers to, which passes every
    // block on to the file's.
    void setSinkWrapper(std::function<SampleSink&(SampleSink& file)> wrapper) { m_wrapper = std::move(wrapper); }

    // Loudness normalisation of the files written by exportToFile() and exportCdTracks():
    // each range is measured first, then rendered with the gain the plan gives it (for a
    // single file "Match track loudness" gives each CD track in it its own gain, with a
    // short ramp at each boundary). Pieces the true-peak ceiling keeps below the
    // target are named in a warning.
    void setLoudness(const LoudnessTarget& target) { m_loudness = target; }
    // The readings and gains of the last normalised export, one per file.
    const std::vector<LoudnessReading>& loudnessReadings() const { return m_readings; }
    const LoudnessPlan& loudnessPlan() const { return m_plan; }

    // Files whose render ran to its end in the last call.
    int filesCompleted() const { return m_filesCompleted; }
    // The message shown for the last failure, empty when there was none.
    std::string lastError() const { return m_lastError.english(); }

private:
    bool prepare();
    ExportStatus fail(const PromptText& text);
    // A whole text (or an exception's own), shown as it stands unless a pack knows it.
    ExportStatus fail(const std::string& text) { return fail(PromptText(text)); }
    ExportStatus renderInto(SampleSink& sink, const SampleRange& range, float gain);
    // The pieces one file is measured in: its CD tracks when each is to be matched,
    // otherwise the whole range.
    std::vector<SampleRange> filePieces(const SampleRange& range) const;
    static LoudnessPlan::Piece pieceKind(const std::vector<SampleRange>& pieces);
    ExportStatus renderFile(class FileWriterSink& sink, const SampleRange& range);
    ExportStatus renderPieces(class FileWriterSink& sink, const SampleRange& range,
                              const std::vector<SampleRange>& pieces);
    // Measures the ranges and makes m_plan; Done, or how it ended.
    ExportStatus planLoudness(const std::vector<SampleRange>& ranges, LoudnessPlan::Piece piece);
    float gainFor(size_t piece) const;

    CMultitrackerDoc& m_doc;
    PluginHost& m_host;
    JobRunner& m_runner;
    Prompter& m_prompter;
    std::function<SampleSink&(SampleSink&)> m_wrapper;
    LoudnessTarget m_loudness;
    std::vector<LoudnessReading> m_readings;
    LoudnessPlan m_plan;
    int m_filesCompleted = 0;
    PromptText m_lastError;
};

} // namespace quillon
