#include "model/wizard_compilation.h"

#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/project_label.h"
#include "model/track.h"

#include <algorithm>
#include <cmath>
#include <climits>
#include <cstdlib>

namespace quillon {

std::unique_ptr<CAudioClip> WizardCompilation::openRecording(const std::string& path, const WAVEFORMATEX* projectFormat)
{
    auto clip = std::make_unique<CAudioClip>(projectFormat);
    if (!clip->openFile(0, path))
        return nullptr;
    return clip;
}

float WizardCompilation::linear(float db) { return std::pow(10.0f, db * 0.05f); }

std::vector<std::unique_ptr<CAudioClip>> WizardCompilation::detectPieces(const std::string& path,
                                                                         const Detection& settings,
                                                                         const WAVEFORMATEX* projectFormat)
{
    std::vector<std::unique_ptr<CAudioClip>> pieces;
    std::unique_ptr<CAudioClip> recording = openRecording(path, projectFormat);
    if (!recording)
        return pieces;
    for (PluginInstance& piece : recording->filter()->splitAtPauses(linear(settings.thresholdDb),
                                                                     settings.minTrackSeconds, settings.minPauseSeconds))
        pieces.push_back(std::make_unique<CAudioClip>(std::move(piece), projectFormat));
    if (pieces.empty())
        pieces.push_back(std::move(recording));
    return pieces;
}

std::vector<std::pair<int32_t, int32_t>> WizardCompilation::detectRanges(const std::string& path,
                                                                         const Detection& settings,
                                                                         const WAVEFORMATEX* projectFormat)
{
    std::unique_ptr<CAudioClip> recording = openRecording(path, projectFormat);
    if (!recording)
        return {};
    auto ranges = recording->filter()->splitRanges(linear(settings.thresholdDb), settings.minTrackSeconds,
                                                   settings.minPauseSeconds);
    if (ranges.empty())
        ranges.emplace_back(0, recording->length());
    return ranges;
}

float WizardCompilation::thresholdForCount(int expected, const std::function<int(float db)>& countAt)
{
    // The count grows with the threshold: bisect on it, remembering the nearest seen.
    float low = kLowestThresholdDb;
    float high = kHighestThresholdDb;
    float best = low;
    int bestMiss = -1;
    for (int step = 0; step < 14; ++step) {
        const float middle = 0.5f * (low + high);
        const int count = countAt(middle);
        const int miss = std::abs(count - expected);
        if (bestMiss < 0 || miss < bestMiss) {
            best = middle;
            bestMiss = miss;
        }
        if (count == expected)
            break;
        if (count < expected)
            low = middle;
        else
            high = middle;
    }
    return best;
}

std::vector<int32_t> WizardCompilation::layout(const std::vector<int32_t>& lengths, int32_t gap)
{
    std::vector<int32_t> starts;
    int64_t position = 0;
    for (size_t i = 0; i < lengths.size(); ++i) {
        if (i > 0) {
            int64_t step = int64_t(lengths[i - 1]) + gap;
            // A crossfade shorter than either piece: each piece keeps a part of its own,
            // and no piece starts before the one it follows.
            const int64_t shorter = std::min(lengths[i - 1], lengths[i]);
            if (gap < 0 && -int64_t(gap) >= shorter)
                step = int64_t(lengths[i - 1]) - std::max<int64_t>(shorter - 1, 0);
            position = std::max<int64_t>(position + std::max<int64_t>(step, 1), 0);
        }
        starts.push_back(int32_t(std::min<int64_t>(position, INT32_MAX)));
    }
    return starts;
}

int32_t WizardCompilation::gapFrames(uint32_t rate, int seconds, int milliseconds, bool crossfade)
{
    const int64_t frames = int64_t(rate) * seconds + int64_t(rate) * milliseconds / 1000;
    return int32_t(crossfade ? -frames : frames);
}

int WizardCompilation::finish(CMultitrackerDoc& doc, std::vector<std::unique_ptr<CAudioClip>> pieces, int32_t gap,
                              std::vector<std::unique_ptr<CTransformPlugin>> effects)
{
    doc.deleteContents();
    doc.labels().removeAll();
    doc.insertTrack(0, std::make_unique<CTrack>(CMultitrackerDoc::kUntitledTrack));
    doc.setAutoCdTracks(0);
    doc.setCursor(0);
    doc.setCurrentTrack(0);

    std::vector<int32_t> lengths;
    for (const auto& piece : pieces)
        lengths.push_back(piece->length());
    const std::vector<int32_t> starts = layout(lengths, gap);
    int placed = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        CAudioClip* clip = pieces[i].get();
        clip->moveTo(starts[i]);
        if (!doc.addClipToTrack(0, std::move(pieces[i]), false))
            continue;
        doc.labels().add(starts[i], ProjectLabel::kTrackSplit, "Untitled", "");
        ++placed;
    }
    for (auto& effect : effects)
        if (effect)
            doc.addEffect(CMultitrackerDoc::ChainKind::Track, 0, std::move(effect));
    doc.setCursor(0);
    doc.setModified(true);
    doc.updateAllViews(kHintStructure);
    return placed;
}

} // namespace quillon
