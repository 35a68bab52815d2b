#include "model/cd_track_layout.h"

#include "base/sample_range.h"
#include "model/audio_clip.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/project_label.h"
#include "model/track.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

namespace quillon {

namespace {

struct SplitPlace {
    int32_t position;
    int32_t pause;
};

int32_t clampToPosition(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

} // namespace

std::vector<ProjectLabel*> CdTrackLayout::splits(CLabelList& labels)
{
    std::vector<ProjectLabel*> out;
    std::lock_guard<CLabelList> guard(labels);
    CLabelList::Cursor cursor;
    for (ProjectLabel* l = labels.first(cursor); l; l = labels.next(cursor))
        if (l->kind == ProjectLabel::kTrackSplit)
            out.push_back(l);
    return out;
}

void CdTrackLayout::compute(CLabelList& out) const
{
    const int64_t end = m_doc.projectEnd();
    if (end <= 0)
        return;
    // The user-interface thread walks the clips without locks (it is their only writer).
    const int32_t tracks = m_doc.trackCount();
    int64_t n = 0;
    while (n < end) {
        const int32_t scan = static_cast<int32_t>(n);
        // d: the earliest start of audio that still reaches n; p: the silence between
        // the latest clip starting before n and d.
        int32_t d = static_cast<int32_t>(end);
        int32_t p = static_cast<int32_t>(end);
        for (int32_t i = 0; i < tracks; ++i)
            if (const CAudioClip* c = m_doc.trackAt(i)->firstClipEndingAtOrAfter(scan); c && c->start() <= d)
                d = c->start();
        p = std::min(p, d);
        for (int32_t i = 0; i < tracks; ++i) {
            if (const CAudioClip* c = m_doc.trackAt(i)->lastClipStartingAtOrBefore(scan)) {
                const int64_t g = int64_t(d) - c->end();
                p = std::min<int64_t>(p, g) < 0 ? 0 : static_cast<int32_t>(std::min<int64_t>(p, g));
            }
        }
        out.add(d, ProjectLabel::kTrackSplit, {}, {}, p);
        n = std::max<int64_t>(n + 1, d);
        // Run over the audio that covers n, on every track, in whole passes until a
        // pass finds no clip at n. Stopping inside a pass could leave n at the end of
        // a clip that still reaches it, and the next round would put a split in the
        // middle of continuous audio.
        for (;;) {
            bool covered = false;
            for (int32_t i = 0; i < tracks; ++i) {
                if (n > std::numeric_limits<int32_t>::max())
                    break;
                if (const CAudioClip* c = m_doc.trackAt(i)->clipAt(static_cast<int32_t>(n))) {
                    covered = true;
                    n = std::max<int64_t>(n, c->end());
                }
            }
            if (!covered)
                break;
            ++n;
        }
    }
}

void CdTrackLayout::synchronise()
{
    CLabelList& labels = m_doc.labels();
    CLabelList computed;
    compute(computed);
    std::vector<SplitPlace> wanted;
    for (const ProjectLabel* l : splits(computed))
        wanted.push_back({l->position, l->pause});

    std::lock_guard<CLabelList> labelGuard(labels);
    std::vector<ProjectLabel*> existing = splits(labels);
    if (existing.size() == wanted.size()) {
        for (size_t i = 0; i < existing.size(); ++i) {
            existing[i]->pause = wanted[i].pause;
            if (existing[i]->position != wanted[i].position)
                labels.reposition(existing[i], wanted[i].position);
        }
        return;
    }
    size_t e = 0;
    for (const SplitPlace& w : wanted) {
        while (e < existing.size() && existing[e]->position < w.position)
            labels.remove(existing[e++]);
        // A split that stays takes the silence before it as it is now: a stale pause
        // would make Adjust Silence insert or remove the wrong amount of time.
        if (e < existing.size() && existing[e]->position == w.position)
            existing[e++]->pause = w.pause;
        else
            labels.add(w.position, ProjectLabel::kTrackSplit, {}, {}, w.pause);
    }
    while (e < existing.size())
        labels.remove(existing[e++]);
}

void CdTrackLayout::adjustSilence(double seconds)
{
    synchronise();
    std::vector<SplitPlace> places;
    for (const ProjectLabel* l : splits(m_doc.labels()))
        places.push_back({l->position, l->pause});
    const double samples = std::trunc(double(m_doc.sampleRate()) * seconds);
    const int32_t c = clampToPosition(static_cast<int64_t>(std::clamp(samples, 0.0, double(std::numeric_limits<int32_t>::max()))));
    int64_t shift = 0;
    const int32_t tracks = m_doc.trackCount();
    {
        // Each track shifts under its own lock; the track list changes on this thread only.
        for (const SplitPlace& s : places) {
            const int64_t b = s.pause;
            const int64_t at = int64_t(s.position) + shift;
            if (c < b) {
                const SampleRange gap{clampToPosition(at - (b - c)), clampToPosition(at)};
                for (int32_t i = 0; i < tracks; ++i)
                    m_doc.trackAt(i)->closeGap(gap);
                shift -= b - c;
            } else if (c > b) {
                for (int32_t i = 0; i < tracks; ++i)
                    m_doc.trackAt(i)->shiftForInsertedTime(clampToPosition(at), clampToPosition(c - b));
                shift += c - b;
            }
        }
    }
    synchronise();
}

} // namespace quillon
