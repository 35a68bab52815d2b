#include "cue_export.h"

#include "cd/cue_sheet.h"
#include "cd/flac_cue_tag.h"
#include "engine/audio_exporter.h"
#include "model/cd_track_layout.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include <cstdio>
#include <filesystem>

namespace quillon {

CueSheet CueExport::sheetOf(CMultitrackerDoc& doc, const std::string& fileName)
{
    const int64_t rate = doc.sampleRate() ? doc.sampleRate() : 44100;
    auto frames = [rate](int64_t samples) { return samples * 75 / rate; };
    CueSheet sheet;
    sheet.title = doc.title();
    sheet.performer = doc.artist();
    sheet.catalog = doc.catalogNumber();
    CLabelList& labels = doc.labels();
    std::lock_guard<CLabelList> hold(labels);
    CLabelList::Cursor walk;
    for (const ProjectLabel* l = labels.first(walk); l; l = labels.next(walk)) {
        // The first track starts with the project, whatever its first label is.
        if (l->kind == ProjectLabel::kTrackSplit || sheet.tracks.empty()) {
            CueTrack t;
            t.file = fileName;
            const bool first = sheet.tracks.empty();
            t.index1 = first ? 0 : frames(l->position);
            if (!first && l->pause > 0)
                t.index0 = frames(int64_t(l->position) - l->pause);
            if (l->kind == ProjectLabel::kTrackSplit) {
                t.title = l->title;
                t.performer = l->artist;
                t.isrc = l->isrc;
            }
            sheet.tracks.push_back(std::move(t));
            if (l->kind == ProjectLabel::kTrackSplit)
                continue;
        }
        if (l->kind == ProjectLabel::kIndex) {
            CueTrack& t = sheet.tracks.back();
            const int64_t at = frames(l->position);
            if (at > (t.indexes.empty() ? t.index1 : t.indexes.back()) && t.indexes.size() < 98)
                t.indexes.push_back(at);
        }
    }
    return sheet;
}

std::string CueExport::cuePath(const std::string& flacPath)
{
    return std::filesystem::path(flacPath).replace_extension(".cue").string();
}

bool CueExport::exportFlac(CMultitrackerDoc& doc, PluginHost& host, JobRunner& runner, Prompter& prompter,
                           const std::string& flacPath, bool embed, std::string& error)
{
    PromptText text;
    const bool ok = exportFlac(doc, host, runner, prompter, flacPath, embed, text);
    if (!ok)
        error = text.english();
    return ok;
}

bool CueExport::exportFlac(CMultitrackerDoc& doc, PluginHost& host, JobRunner& runner, Prompter& prompter,
                           const std::string& flacPath, bool embed, PromptText& error)
{
    // The sheet is checked before anything is rendered.
    const CueSheet sheet = sheetOf(doc, std::filesystem::path(flacPath).filename().string());
    const std::string text = sheet.text(error);
    if (text.empty())
        return false;
    AudioExporter exporter(doc, host, runner, prompter);
    const SampleRange range = exporter.projectRange();
    if (range.end <= range.begin) {
        error = PromptText("The project is empty.");
        return false;
    }
    const ExportStatus status = exporter.exportToFile(flacPath, range);
    if (status != ExportStatus::Done) {
        error = status == ExportStatus::Cancelled ? PromptText("The export was cancelled.")
                                                  : PromptText("The FLAC file could not be written.");
        return false;
    }
    if (embed) {
        std::string reason;
        if (FlacCueTag::write(flacPath, text, reason))
            return true;
        // The reason is the FLAC library's own, in English.
        error = PromptText("The CUE sheet could not be embedded in %1: %2").arg(flacPath).arg(reason);
        return false;
    }
    const std::string cue = cuePath(flacPath);
    FILE* f = std::fopen(cue.c_str(), "wb");
    bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f)
        ok = std::fclose(f) == 0 && ok;
    if (!ok)
        error = PromptText("Cannot write %1.").arg(cue);
    return ok;
}

} // namespace quillon
