#include "model/track.h"
#include "model/source_relinker.h"

#include "base/archive.h"
#include "base/level.h"
#include "base/wave_format.h"
#include "model/audio_clip.h"
#include "model/curve.h"
#include "model/curve_point.h"
#include "model/owned_reference.h"
#include "model/track_read_cursor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quillon {

QUILLON_IMPLEMENT_SERIAL(CTrack, 1)

namespace {
using Lock = std::lock_guard<WatchedMutex>;

void closeReader(CAudioClip* clip, int64_t& reader)
{
    if (clip && reader != TrackReadCursor::kNoReader)
        clip->closeReader(static_cast<uint32_t>(reader));
    reader = TrackReadCursor::kNoReader;
}
} // namespace

CTrack::CTrack() : CTrack(std::string()) {}

CTrack::CTrack(std::string name) : m_name(std::move(name)) { m_effects.setGuard(&m_lock); }

CTrack::~CTrack()
{
    Lock lock(m_lock);
    closeAllReaders();
    m_cursors.clear();
    clearLists();
}

void CTrack::clearLists()
{
    // Outgoing crossfades die with their clips; unlink first so no clip points at a
    // crossfade that is gone.
    for (CAudioClip* clip : m_clips)
        clip->setIncoming(nullptr);
    for (CAudioClip* clip : m_clips)
        delete clip;
    m_clips.clear();
    m_effects.clear();
    for (CCurve* c : m_curves)
        delete c;
    m_curves.clear();
}

void CTrack::setName(std::string name)
{
    Lock lock(m_lock);
    m_name = std::move(name);
}

void CTrack::attachDocumentFormat(const WAVEFORMATEX* format)
{
    Lock lock(m_lock);
    m_documentFormat = format;
    for (CAudioClip* clip : m_clips)
        clip->setProjectFormat(format);
}

void CTrack::setFormat(const WAVEFORMATEX& projectFormat)
{
    Lock lock(m_lock);
    m_format = floatCopy(projectFormat);
    for (CAudioClip* clip : m_clips)
        clip->setProjectFormat(m_documentFormat ? m_documentFormat : &projectFormat);
    for (CAudioClip* clip : m_clips)
        if (clip->outgoing())
            clip->outgoing()->bind(m_format);
}

// ---- clips ----

void CTrack::insertClip(CAudioClip* clip)
{
    Lock lock(m_lock);
    auto it = m_clips.begin();
    for (; it != m_clips.end(); ++it) {
        CAudioClip* c = *it;
        if (c->start() < clip->start())
            continue;
        // Equal starts: the longer clip comes later.
        if (c->start() == clip->start() && c->length() < clip->length())
            ++it;
        break;
    }
    m_clips.insert(it, clip);
    restartCursors();
    rebuildCrossfades();
}

void CTrack::restartCursors()
{
    for (auto& cursor : m_cursors)
        cursor->restart = true;
}

bool CTrack::removeClip(CAudioClip* clip, bool rebuild, bool keepReaders)
{
    // Readers open on a clip that leaves for good are taken from the cursors under the
    // lock and closed after it: the clip is out of every reader's reach by then.
    std::vector<int64_t> closing;
    {
        Lock lock(m_lock);
        auto it = std::find(m_clips.begin(), m_clips.end(), clip);
        if (it == m_clips.end())
            return false;
        for (auto& cursor : m_cursors) {
            if (!keepReaders) {
                auto detach = [&](CAudioClip*& c, int64_t& reader) {
                    if (c != clip)
                        return;
                    if (reader != TrackReadCursor::kNoReader)
                        closing.push_back(reader);
                    c = nullptr;
                    reader = TrackReadCursor::kNoReader;
                };
                detach(cursor->currentClip, cursor->currentReader);
                detach(cursor->previousClip, cursor->previousReader);
                for (TrackReadCursor::Spare& spare : cursor->spares)
                    detach(spare.clip, spare.reader);
            }
            // A moved clip keeps its readers: the walk finds it again and reuses them.
            cursor->restart = true;
        }
        m_clips.erase(it);
        if (clip->incoming()) {
            // The previous clip's crossfade pointed at this clip.
            clip->setIncoming(nullptr);
        }
        for (CAudioClip* c : m_clips)
            if (c->outgoing() && c->outgoing()->incoming() == clip)
                c->outgoing()->link(c, nullptr);
        // The clip keeps its outgoing crossfade, unlinked: moved back into an overlap, the
        // rebuild takes it up again with its shape and tempo scaling.
        if (Crossfade* out = clip->outgoing()) {
            if (out->incoming())
                out->incoming()->setIncoming(nullptr);
            out->link(clip, nullptr);
        }
        if (rebuild)
            rebuildCrossfades();
    }
    for (int64_t reader : closing)
        clip->closeReader(static_cast<uint32_t>(reader));
    return true;
}

CAudioClip* CTrack::clipAt(int32_t position) const
{
    for (CAudioClip* c : m_clips)
        if (c->position().contains(position))
            return c;
    return nullptr;
}

CAudioClip* CTrack::firstClipEndingAtOrAfter(int32_t position) const
{
    for (CAudioClip* c : m_clips)
        if (c->end() >= position)
            return c;
    return nullptr;
}

CAudioClip* CTrack::lastClipStartingAtOrBefore(int32_t position) const
{
    for (auto it = m_clips.rbegin(); it != m_clips.rend(); ++it)
        if ((*it)->start() <= position)
            return *it;
    return nullptr;
}

void CTrack::rebuildCrossfades()
{
    Lock lock(m_lock);
    if (m_clips.empty())
        return;
    m_clips.front()->setIncoming(nullptr);
    m_clips.back()->setOutgoing(nullptr);
    for (size_t i = 0; i + 1 < m_clips.size(); ++i) {
        CAudioClip* a = m_clips[i];
        CAudioClip* b = m_clips[i + 1];
        if (a->position().contains(b->start())) {
            Crossfade* x = a->outgoing();
            if (!x) {
                a->setOutgoing(std::make_unique<Crossfade>(a, b, kCrossfadeLinear));
                x = a->outgoing();
            }
            x->link(a, b);
            x->bind(m_format);
            b->setIncoming(x);
            x->reapplyTempo();
        } else {
            a->setOutgoing(nullptr);
            b->setIncoming(nullptr);
            // Only the sides that faced each other lose their transition scaling; the
            // other side of each clip may still belong to a crossfade.
            a->setTransitionScale(0, kTempoAtEnd, 1.0f);
            b->setTransitionScale(0, kTempoAtStart, 1.0f);
        }
    }
}

void CTrack::shiftForInsertedTime(int32_t position, int32_t length)
{
    Lock lock(m_lock);
    for (CAudioClip* c : m_clips)
        if (c->start() >= position)
            c->setPosition({c->start() + length, c->end() + length});
    restartCursors();
}

void CTrack::closeGap(const SampleRange& range)
{
    Lock lock(m_lock);
    const int32_t len = range.length();
    for (CAudioClip* c : m_clips)
        if (c->start() > range.begin)
            c->setPosition({std::max(0, c->start() - len), std::max(0, c->end() - len)});
    restartCursors();
}

bool CTrack::setClipRange(CAudioClip* clip, const SampleRange& range)
{
    Lock lock(m_lock);
    if (std::find(m_clips.begin(), m_clips.end(), clip) == m_clips.end())
        return false;
    clip->setPosition(range);
    restartCursors();
    rebuildCrossfades();
    return true;
}

bool CTrack::setCrossfadeShape(CAudioClip* clip, int32_t shape)
{
    Lock lock(m_lock);
    if (std::find(m_clips.begin(), m_clips.end(), clip) == m_clips.end() || !clip->outgoing())
        return false;
    clip->outgoing()->setShape(shape);
    return true;
}

// ---- curves ----

CCurve* CTrack::addCurve(int32_t kind)
{
    Lock lock(m_lock);
    if (CCurve* existing = curve(kind))
        return existing;
    auto* c = new CCurve(kind);
    c->addPoint(0, kind == CCurve::kVolume ? 1.0f : 0.5f);
    m_curves.push_back(c);
    return c;
}

bool CTrack::hasCurve(int32_t kind) const { return curve(kind) != nullptr; }

CCurve* CTrack::curve(int32_t kind) const
{
    for (CCurve* c : m_curves)
        if (c->kind() == kind)
            return c;
    return nullptr;
}

bool CTrack::removeCurve(CCurve* c)
{
    Lock lock(m_lock);
    auto it = std::find(m_curves.begin(), m_curves.end(), c);
    if (it == m_curves.end())
        return false;
    m_curves.erase(it);
    return true;
}

bool CTrack::ownsCurve(const CCurve* c) const
{
    return std::find(m_curves.begin(), m_curves.end(), c) != m_curves.end();
}

CurvePoint* CTrack::addCurvePoint(CCurve* c, int32_t position, float value)
{
    Lock lock(m_lock);
    return ownsCurve(c) ? c->addPoint(position, value) : nullptr;
}

bool CTrack::moveCurvePoint(CCurve* c, CurvePoint* point, int32_t position, float value)
{
    Lock lock(m_lock);
    if (!ownsCurve(c) || !point)
        return false;
    const CurvePoint* before = c->pointBefore(point);
    const CurvePoint* after = c->pointAfter(point);
    if (!before && !after && c->firstPoint() != point)
        return false; // not one of this curve's points
    if (before)
        position = std::max(position, before->position);
    if (after)
        position = std::min(position, after->position);
    point->position = std::max(0, position);
    point->value = std::clamp(value, 0.0f, 1.0f);
    return true;
}

bool CTrack::placeCurvePoint(CCurve* c, CurvePoint* point, int32_t position, float value)
{
    Lock lock(m_lock);
    return ownsCurve(c) && c->placePoint(point, std::max(0, position), std::clamp(value, 0.0f, 1.0f));
}

bool CTrack::removeCurvePoint(CCurve* c, const CurvePoint* point)
{
    Lock lock(m_lock);
    return ownsCurve(c) && c->removePoint(point);
}

float CTrack::gain() const
{
    return static_cast<float>(level::sliderToGain(volume()));
}

uint32_t CTrack::stateFlags() const
{
    return (isActive() ? 1u : 0u) | (playbackOff() ? 2u : 0u);
}

// ---- reading ----

TrackReadCursor* CTrack::createReadCursor()
{
    Lock lock(m_lock);
    m_cursors.push_back(std::make_unique<TrackReadCursor>());
    return m_cursors.back().get();
}

void CTrack::closeAllReaders()
{
    for (auto& c : m_cursors) {
        closeReader(c->previousClip, c->previousReader);
        closeReader(c->currentClip, c->currentReader);
        for (TrackReadCursor::Spare& spare : c->spares)
            closeReader(spare.clip, spare.reader);
    }
}

void CTrack::positionReadCursor(TrackReadCursor* cursor, int32_t position)
{
    Lock lock(m_lock);
    if (position == cursor->deliveredPosition)
        return;
    cursor->resetFifo();
    cursor->renderPosition = cursor->deliveredPosition = position;
    cursor->skip = cursor->compensated;
    closeReader(cursor->previousClip, cursor->previousReader);
    closeReader(cursor->currentClip, cursor->currentReader);
    cursor->previousClip = cursor->currentClip = nullptr;
    cursor->started = false;
}

void CTrack::releaseReadCursor(TrackReadCursor* cursor)
{
    Lock lock(m_lock);
    auto it = std::find_if(m_cursors.begin(), m_cursors.end(), [&](auto& c) { return c.get() == cursor; });
    if (it == m_cursors.end())
        return;
    closeReader(cursor->previousClip, cursor->previousReader);
    closeReader(cursor->currentClip, cursor->currentReader);
    for (TrackReadCursor::Spare& spare : cursor->spares)
        closeReader(spare.clip, spare.reader);
    m_cursors.erase(it);
}

void CTrack::read(TrackReadCursor* cursor, float* dest, int32_t frames)
{
    Lock lock(m_lock);
    const int32_t ch = channels();
    const size_t wanted = size_t(frames) * ch;
    const size_t blockSamples = size_t(kBlockFrames) * ch;
    if (cursor->scratchA.size() < blockSamples) {
        cursor->scratchA.resize(blockSamples);
        cursor->scratchB.resize(blockSamples);
    }
    // Effects that delay their output are read ahead of; when their delay changes, the
    // reading starts again from the frame the consumer gets next.
    if (const uint32_t delay = m_effects.latency(); delay != cursor->compensated) {
        cursor->resetFifo();
        cursor->renderPosition = cursor->deliveredPosition;
        cursor->skip = cursor->compensated = delay;
        cursor->restart = true; // the walk is ahead of the new render position
    }
    if (cursor->restart) {
        cursor->spares[0] = {cursor->previousClip, cursor->previousReader};
        cursor->spares[1] = {cursor->currentClip, cursor->currentReader};
        cursor->previousReader = cursor->currentReader = TrackReadCursor::kNoReader;
        cursor->previousClip = cursor->currentClip = nullptr;
        cursor->started = false;
        cursor->restart = false;
    }
    while (cursor->fifoCount() < wanted + size_t(cursor->skip) * ch) {
        float* block = cursor->fifoSpace(blockSamples);
        renderBlock(*cursor, cursor->renderPosition, block);
        cursor->renderPosition += kBlockFrames;
        processEffects(block, kBlockFrames);
        cursor->commitFifo(blockSamples);
        for (TrackReadCursor::Spare& spare : cursor->spares)
            closeReader(spare.clip, spare.reader);
    }
    cursor->dropFifo(size_t(cursor->skip) * ch);
    cursor->skip = 0;
    cursor->popFifo(dest, wanted);
    cursor->deliveredPosition += frames;
}

int64_t CTrack::readerFor(TrackReadCursor& cur, CAudioClip* clip)
{
    for (TrackReadCursor::Spare& spare : cur.spares) {
        if (spare.clip == clip && spare.reader != TrackReadCursor::kNoReader) {
            const int64_t reader = spare.reader;
            spare = {};
            return reader;
        }
    }
    return clip->openReader();
}

void CTrack::renderBlock(TrackReadCursor& cur, int32_t s, float* block)
{
    const int32_t ch = channels();
    const int32_t e = s + kBlockFrames;
    // Clip reads and crossfades overwrite their frames; only the frames none of them
    // writes are cleared, each once, before the first write past them and at the end.
    int32_t clearedTo = s;
    auto clearUpTo = [&](int32_t frame) {
        if (frame > clearedTo) {
            std::fill(block + size_t(clearedTo - s) * ch, block + size_t(frame - s) * ch, 0.0f);
            clearedTo = frame;
        }
    };
    if (!m_clips.empty()) {
        if (!cur.started) {
            cur.currentClip = m_clips.front();
            cur.started = true;
        }
        while (CAudioClip* clip = cur.currentClip) {
            const int32_t x = clip->outgoing() ? clip->outgoing()->length() : 0;
            if (s < clip->end() - x) {
                // Clips the walk passes on its way to the block open nothing: a walk
                // from the head (after an edit) costs no file opening.
                if (cur.currentReader == TrackReadCursor::kNoReader)
                    cur.currentReader = readerFor(cur, clip);
                int32_t plainBegin = std::max(clip->start(), s);
                if (Crossfade* in = clip->incoming(); in && in->outgoing()) {
                    CAudioClip* a = in->outgoing();
                    const int32_t iBegin = std::max(clip->start(), s);
                    const int32_t iEnd = std::max(iBegin, std::min(e, a->end()));
                    if (iEnd > iBegin) {
                        if (cur.previousClip != a) {
                            closeReader(cur.previousClip, cur.previousReader);
                            cur.previousClip = a;
                        }
                        if (cur.previousReader == TrackReadCursor::kNoReader)
                            cur.previousReader = readerFor(cur, a);
                        clearUpTo(iBegin);
                        in->render(static_cast<uint32_t>(cur.previousReader), static_cast<uint32_t>(cur.currentReader),
                                   block + size_t(iBegin - s) * ch, iBegin, iEnd - iBegin, cur.scratchA.data(),
                                   cur.scratchB.data());
                        clearedTo = std::max(clearedTo, iEnd);
                    }
                    plainBegin = iEnd;
                }
                const int32_t plainEnd = std::min(e, clip->end());
                if (plainEnd > plainBegin) {
                    clearUpTo(plainBegin);
                    clip->readAt(static_cast<uint32_t>(cur.currentReader), plainBegin - clip->start(),
                                 block + size_t(plainBegin - s) * ch, plainEnd - plainBegin);
                    clearedTo = std::max(clearedTo, plainEnd);
                }
            }
            if (clip->end() - x >= e)
                break;
            // Advance to the next clip; the current one becomes the previous.
            closeReader(cur.previousClip, cur.previousReader);
            cur.previousClip = clip;
            cur.previousReader = cur.currentReader;
            cur.currentReader = TrackReadCursor::kNoReader;
            auto it = std::find(m_clips.begin(), m_clips.end(), clip);
            cur.currentClip = (it != m_clips.end() && it + 1 != m_clips.end()) ? *(it + 1) : nullptr;
        }
    }
    clearUpTo(e);
    applyCurves(block, kBlockFrames, s);
}

void CTrack::applyCurves(float* block, int32_t frames, int32_t start) const
{
    const int32_t ch = channels();
    for (const CCurve* c : m_curves) {
        // A pan curve only means something for two channels.
        if (c->kind() != 0 && ch != 2)
            continue;
        c->apply(block, frames, ch, start);
    }
}

void CTrack::processEffects(float* block, int32_t frames)
{
    m_effects.process(block, frames, channels(), frames);
}

// ---- placement ----

int32_t CTrack::findFreePosition(const SampleRange& range, bool allowOverlap, bool skipSelected) const
{
    const int32_t len = range.length();
    const int32_t b = range.begin;
    const size_t n = m_clips.size();
    auto skipped = [&](const CAudioClip* c) { return skipSelected && c->isSelected(); };

    int32_t c1 = b;
    for (size_t i = 0; i < n; ++i) {
        const CAudioClip* c = m_clips[i];
        if (skipped(c))
            continue;
        if (!allowOverlap) {
            if (c1 + len > c->start() && c1 < c->end())
                c1 = c->end();
        } else {
            const bool inside = (c1 >= c->start() && c1 + len <= c->end()) ||
                                (c->start() >= c1 && c->end() <= c1 + len);
            if (inside)
                c1 = c->end() - len;
            if (i + 1 < n) {
                const CAudioClip* next = m_clips[i + 1];
                if (c->end() >= next->start() && c1 + len > next->start())
                    c1 = c->end();
            }
        }
    }

    int32_t c2 = b;
    for (size_t k = n; k-- > 0;) {
        const CAudioClip* c = m_clips[k];
        if (skipped(c))
            continue;
        if (!allowOverlap) {
            if (c2 + len > c->start() && c2 < c->end())
                c2 = c->start() - len;
        } else {
            const bool inside = (c2 >= c->start() && c2 + len <= c->end()) ||
                                (c->start() >= c2 && c->end() <= c2 + len);
            if (inside)
                c2 = c->start();
            if (k > 0) {
                const CAudioClip* prev = m_clips[k - 1];
                if (prev->end() >= c->start() && c2 < prev->end())
                    c2 = c->start() - len;
            }
        }
    }

    if (c2 < 0)
        return c1;
    const int64_t d1 = std::llabs(int64_t(c1) - b);
    const int64_t d2 = std::llabs(int64_t(c2) - b);
    return d1 < d2 ? c1 : c2;
}

// ---- serialization ----

void CTrack::serialize(CArchive& ar)
{
    // Storing runs on the user-interface thread, the only one that changes the track,
    // so it reads without the lock: a render never waits for a project being stored.
    if (ar.isStoring()) {
        ar.writeString(m_name);
        ar.writeFloat(volume());
        ar.writeFloat(pan());
        ar.writeI32(playbackOff());
        ar.writeI32(static_cast<int32_t>(m_clips.size()));
        for (CAudioClip* c : m_clips) {
            ar.writeObject(c);
            ar.writeI32(c->outgoing() ? c->outgoing()->shape() : -1);
        }
        m_effects.store(ar);
        ar.writeI32(static_cast<int32_t>(m_curves.size()));
        for (CCurve* c : m_curves)
            ar.writeObject(c);
        return;
    }
    Lock lock(m_lock);
    closeAllReaders();
    clearLists();
    m_name = ar.readString();
    setVolume(ar.readFloat());
    setPan(ar.readFloat());
    setPlaybackOff(ar.readI32());
    const int32_t clipCount = ar.readI32();
    if (clipCount < 0)
        throw ArchiveException(ArchiveException::Kind::Generic, "negative clip count");
    for (int32_t i = 0; i < clipCount; ++i) {
        CAudioClip* clip = readOwnedObjectAs<CAudioClip>(ar);
        if (!clip)
            throw ArchiveException(ArchiveException::Kind::BadIndex, "missing clip");
        if (!clip->filter() && SourceRelinker::active()) {
            // Its source was found nowhere: the project opens without it.
            ar.readI32(); // its crossfade shape
            SourceRelinker::active()->keep(std::unique_ptr<CAudioClip>(clip));
            continue;
        }
        m_clips.push_back(clip);
        const int32_t shape = ar.readI32();
        if (shape >= 0) {
            clip->setOutgoing(std::make_unique<Crossfade>(clip, nullptr, shape));
            clip->outgoing()->bind(m_format);
        }
    }
    m_effects.load(ar);
    const int32_t curveCount = ar.readI32();
    if (curveCount < 0)
        throw ArchiveException(ArchiveException::Kind::Generic, "negative curve count");
    for (int32_t i = 0; i < curveCount; ++i) {
        CCurve* c = readOwnedObjectAs<CCurve>(ar);
        if (!c)
            throw ArchiveException(ArchiveException::Kind::BadIndex, "missing curve");
        m_curves.push_back(c);
    }
    rebuildCrossfades();
}

} // namespace quillon

namespace quillon {

void CTrack::buildOverview(std::vector<std::pair<float, float>>& dest, int32_t width, int32_t projectLength) const
{
    // User-interface thread only, and without the lock: asking filters for peaks takes
    // time that a render must not spend waiting.
    if (width <= 0 || projectLength <= 0)
        return;
    if (dest.size() < size_t(width))
        dest.resize(size_t(width), {0.0f, 0.0f});
    const CCurve* volumeCurve = curve(CCurve::kVolume);
    const CCurve* panCurve = channels() == 2 ? curve(CCurve::kPan) : nullptr;
    for (CAudioClip* clip : m_clips) {
        FileFilter* filter = clip->filter();
        if (!filter || clip->length() <= 0)
            continue;
        const int64_t points = int64_t(clip->length()) * width / projectLength;
        if (points <= 0)
            continue;
        const PeakBuffer peaks = filter->peaks(0, clip->length(), static_cast<int32_t>(points));
        for (uint32_t p = 0; p < peaks.points; ++p) {
            const int32_t position = clip->start() + static_cast<int32_t>(p * peaks.framesPerPoint);
            const float v = volumeCurve ? volumeCurve->valueAt(position) : 1.0f;
            const float pv = panCurve ? panCurve->valueAt(position) : 0.5f;
            float lo = 0.0f, hi = 0.0f;
            for (uint32_t c = 0; c < peaks.channels; ++c) {
                float g = v;
                if (panCurve && peaks.channels == 2)
                    g *= c == 0 ? std::min(1.0f, 2.0f * pv) : std::min(1.0f, 2.0f * (1.0f - pv));
                lo = std::min(lo, peaks.minimum(p, c) * g);
                hi = std::max(hi, peaks.maximum(p, c) * g);
            }
            const int64_t column = int64_t(position) * width / projectLength;
            if (column < 0 || column >= width)
                continue;
            auto& slot = dest[size_t(column)];
            slot.first = std::min(slot.first, lo);
            slot.second = std::max(slot.second, hi);
        }
    }
}

} // namespace quillon
