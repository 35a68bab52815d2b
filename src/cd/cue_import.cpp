#include "cue_import.h"

#include "cd/cue_sheet.h"
#include "cd/flac_cue_tag.h"
#include "model/audio_clip.h"
#include "model/disc_codes.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace quillon {

namespace {

std::string lowerExtension(const std::filesystem::path& p)
{
    std::string e = p.extension().string();
    for (char& c : e)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return e;
}

} // namespace

bool CueImport::import(CMultitrackerDoc& doc, const std::string& path, std::string& error)
{
    PromptText text;
    const bool ok = import(doc, path, text);
    if (!ok)
        error = text.english();
    return ok;
}

bool CueImport::import(CMultitrackerDoc& doc, const std::string& path, PromptText& error)
{
    namespace fs = std::filesystem;
    const fs::path source(path);
    const bool embedded = lowerExtension(source) == ".flac";
    std::string text;
    if (embedded) {
        auto sheet = FlacCueTag::read(path);
        if (!sheet) {
            error = PromptText("'%1' carries no CUE sheet.").arg(path);
            return false;
        }
        text = *sheet;
    } else {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            error = PromptText("Cannot open '%1'.").arg(path);
            return false;
        }
        std::ostringstream all;
        all << in.rdbuf();
        text = all.str();
    }
    std::optional<CueSheet> sheet = CueSheet::parse(text, error);
    if (!sheet)
        return false;

    doc.onNewDocument();
    doc.setAutoCdTracks(0);
    if (doc.trackCount() == 0)
        doc.insertTrack(0, std::make_unique<CTrack>("Untitled"));
    const int64_t rate = doc.sampleRate() ? doc.sampleRate() : 44100;
    auto samples = [rate](int64_t frames) { return int32_t(frames * rate / 75); };

    // Each file once, in the order the sheet names them, end to end.
    std::map<std::string, int32_t> offsets;
    int32_t end = 0;
    for (const CueTrack& t : sheet->tracks) {
        if (offsets.count(t.file))
            continue;
        const fs::path file = embedded ? source : source.parent_path() / fs::path(t.file);
        auto clip = std::make_unique<CAudioClip>(&doc.format());
        if (!clip->openFile(end, file.string())) {
            doc.onNewDocument();
            error = PromptText("The audio file '%1' of the CUE sheet cannot be opened.").arg(file.string());
            return false;
        }
        offsets[t.file] = end;
        end = clip->end();
        doc.addClipToTrack(0, std::move(clip), false);
    }

    CLabelList& labels = doc.labels();
    labels.removeAll();
    for (const CueTrack& t : sheet->tracks) {
        const int32_t offset = offsets[t.file];
        const int32_t pause = t.index0 >= 0 && t.index0 < t.index1 ? samples(t.index1 - t.index0) : 0;
        ProjectLabel* split =
            labels.add(offset + samples(t.index1), ProjectLabel::kTrackSplit, t.title, t.performer, pause);
        split->isrc = DiscCodes::normaliseIsrc(t.isrc);
        for (int64_t index : t.indexes)
            labels.add(offset + samples(index), ProjectLabel::kIndex);
    }
    doc.setTitle(sheet->title);
    doc.setArtist(sheet->performer);
    doc.setCatalogNumber(DiscCodes::normaliseCatalogNumber(sheet->catalog));
    doc.setModified(true);
    return true;
}

} // namespace quillon
