#include "cd_disc_plan.h"

#include "model/label_list.h"
#include <algorithm>
#include <cstdio>

namespace quillon {

namespace {

std::string secondsText(int64_t position, int32_t rate)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f s", rate > 0 ? double(position) / rate : 0.0);
    return buffer;
}

struct Marker {
    int32_t kind;
    int32_t position;
    int32_t pause;
    std::string title;
    std::string artist;
    std::string isrc;
};

} // namespace

int64_t CdDiscPlan::frames44(int64_t position) const
{
    return m_rate == kCdRate ? position : position * kCdRate / m_rate;
}

int64_t CdDiscPlan::totalBlocks() const
{
    int64_t blocks = kFirstPauseBlocks;
    for (const CdPlanTrack& t : m_tracks)
        blocks += t.fileBlocks();
    return blocks;
}

CdDiscPlan::CdDiscPlan(CLabelList& labels, int32_t projectEnd, int32_t rate) : m_rate(rate > 0 ? rate : kCdRate)
{
    std::vector<Marker> markers;
    {
        std::lock_guard<CLabelList> hold(labels);
        CLabelList::Cursor cursor;
        for (ProjectLabel* l = labels.first(cursor); l; l = labels.next(cursor))
            markers.push_back({l->kind, l->position, l->pause, l->title, l->artist, l->isrc});
    }
    if (markers.empty()) {
        m_refusal = PromptText(kNoTracksText);
        return;
    }
    m_totalLength = std::max(markers.back().position, projectEnd);

    // Which markers start tracks, and which indexes belong to each.
    std::vector<size_t> starts{0};
    for (size_t i = 1; i < markers.size(); ++i)
        if (markers[i].kind == ProjectLabel::kTrackSplit) {
            if (int(starts.size()) == kMaxTracks) {
                m_truncated = true;
                break;
            }
            starts.push_back(i);
        }
    for (size_t t = 0; t < starts.size(); ++t) {
        const Marker& first = markers[starts[t]];
        CdPlanTrack track;
        track.title = first.title;
        track.artist = first.artist;
        track.isrc = first.kind == ProjectLabel::kTrackSplit ? first.isrc : std::string();
        const int32_t begin = t == 0 ? 0 : first.position;
        // The next split ends the track, truncated tracks included.
        size_t nextSplit = markers.size();
        for (size_t i = starts[t] + 1; i < markers.size(); ++i)
            if (markers[i].kind == ProjectLabel::kTrackSplit) {
                nextSplit = i;
                break;
            }
        const int32_t end = nextSplit < markers.size() ? markers[nextSplit].position : m_totalLength;
        if (end <= begin) {
            m_refusal = PromptText(kSamePositionText).arg(secondsText(begin, m_rate));
            m_tracks.clear();
            return;
        }
        track.range = SampleRange{begin, end};
        track.firstFrame44 = frames44(begin);
        track.endFrame44 = frames44(end);
        track.pauseBlocks = t == 0 ? kFirstPauseBlocks : int32_t(frames44(std::max(0, first.pause)) / kBlockFrames);
        // Indexes count in whole blocks of the timeline, so that an index every 1.5 s
        // stays where it is; those at or past the track's audio end are dropped.
        const int32_t nextPause = nextSplit < markers.size() ? std::max(0, markers[nextSplit].pause) : 0;
        const int64_t audioEnd = int64_t(end) - nextPause;
        int64_t previous = track.firstFrame44 / kBlockFrames;
        for (size_t i = starts[t] + 1; i < nextSplit; ++i) {
            const Marker& m = markers[i];
            if (m.kind != ProjectLabel::kIndex || m.position >= audioEnd || int(track.indexBlocks.size()) == kMaxIndexes)
                continue;
            const int64_t block = frames44(m.position) / kBlockFrames;
            if (block <= previous)
                continue;
            track.indexBlocks.push_back(int32_t(block - previous));
            previous = block;
        }
        m_tracks.push_back(std::move(track));
    }
}

} // namespace quillon
