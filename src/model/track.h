#pragma once
// One lane of the arrangement: its clips in time order, the crossfades between
// overlapping neighbours, its envelope curves, its effect chain and its mixer settings.
//
// Threads: the user-interface thread edits tracks while the playback or export thread
// reads them through read cursors.
// - The read path (read cursors) runs on render threads under the track's lock.
// - The user-interface thread is the only thread that changes a track. Each change
//   takes the lock for as long as it takes to change the lists and positions: no file
//   is opened, no audio buffer allocated and no plug-in called under it, except for
//   closing the readers of a clip that is leaving the track. Readers of clips that
//   stay are closed by the render thread itself (a cursor restarts its walk).
// - Because it is the only writer, the user-interface thread reads without the lock
//   where the reading is slow (storing, overviews, drawing), so a render never waits
//   for it.
// - Volume, pan, active and playback-off are single words that the renderer reads
//   without the lock; they take effect at the next block.

#include "base/sample_range.h"
#include "base/watched_mutex.h"
#include "base/serializable.h"
#include "model/effect_chain.h"

#include <quillon/wave_format.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace quillon {

class CAudioClip;
class CCurve;
struct CurvePoint;
class TrackReadCursor;

class CTrack : public CObject {
    QUILLON_DECLARE_SERIAL(CTrack)
public:
    static constexpr int32_t kBlockFrames = 5000;
    static constexpr int32_t kDefaultHeight = 65;

    CTrack();
    explicit CTrack(std::string name);
    ~CTrack() override;
    CTrack(const CTrack&) = delete;
    CTrack& operator=(const CTrack&) = delete;

    void serialize(CArchive& ar) override;

    WatchedMutex& lock() const { return m_lock; }

    void attachDocumentFormat(const WAVEFORMATEX* format);
    void setFormat(const WAVEFORMATEX& projectFormat);
    const WAVEFORMATEX& trackFormat() const { return m_format; }
    int32_t channels() const { return m_format.nChannels ? m_format.nChannels : 2; }

    // Clips. The track owns the clips in its list. The const lookups take no lock: they
    // serve the user-interface thread (the only writer) and holders of the lock.
    void insertClip(CAudioClip* clip);
    // Hands the clip back to the caller; false when it is not on this track. Readers
    // open on it are closed, unless it only moves (`keepReaders`: it comes back to a
    // track under the same hold of the lock, and reading goes on with them).
    bool removeClip(CAudioClip* clip, bool rebuild = true, bool keepReaders = false);
    const std::vector<CAudioClip*>& clips() const { return m_clips; }
    CAudioClip* clipAt(int32_t position) const;
    CAudioClip* firstClipEndingAtOrAfter(int32_t position) const;
    CAudioClip* lastClipStartingAtOrBefore(int32_t position) const;
    void rebuildCrossfades();

    void shiftForInsertedTime(int32_t position, int32_t length);
    void closeGap(const SampleRange& range);
    // A new range for one of the track's clips (a resize); crossfades are rebuilt.
    bool setClipRange(CAudioClip* clip, const SampleRange& range);
    // The shape of the crossfade leaving `clip`; false without one.
    bool setCrossfadeShape(CAudioClip* clip, int32_t shape);

    // Curves: at most one of each kind (0 volume, 1 pan).
    CCurve* addCurve(int32_t kind);
    bool hasCurve(int32_t kind) const;
    CCurve* curve(int32_t kind) const;
    // Hands the curve back to the caller; false when it is not on this track.
    bool removeCurve(CCurve* curve);
    const std::vector<CCurve*>& curves() const { return m_curves; }
    // Point edits of one of the track's curves, under the lock the render applies
    // curves with. A moved point stays between its neighbours.
    CurvePoint* addCurvePoint(CCurve* curve, int32_t position, float value);
    bool moveCurvePoint(CCurve* curve, CurvePoint* point, int32_t position, float value);
    // A point given a place of its own (the point dialog): it may pass its neighbours
    // and is put back in order. The value is kept within 0..1, the position at 0 or more.
    bool placeCurvePoint(CCurve* curve, CurvePoint* point, int32_t position, float value);
    bool removeCurvePoint(CCurve* curve, const CurvePoint* point);

    // The track's effect chain, processed in list order over whole 5000-frame blocks.
    EffectChain& effects() { return m_effects; }
    const EffectChain& effects() const { return m_effects; }

    const std::string& name() const { return m_name; }
    void setName(std::string name);
    float volume() const { return m_volume.load(std::memory_order_relaxed); }
    void setVolume(float v) { m_volume.store(v, std::memory_order_relaxed); }
    float pan() const { return m_pan.load(std::memory_order_relaxed); }
    void setPan(float p) { m_pan.store(p, std::memory_order_relaxed); }
    bool isActive() const { return m_active.load(std::memory_order_relaxed); }
    void setActive(bool a) { m_active.store(a, std::memory_order_relaxed); }
    int32_t playbackOff() const { return m_playbackOff.load(std::memory_order_relaxed); }
    void setPlaybackOff(int32_t off) { m_playbackOff.store(off, std::memory_order_relaxed); }
    int32_t height() const { return m_height; }
    void setHeight(int32_t h) { m_height = h; }

    // 10^((52 v - 40) / 20): -40 dB at 0, 0 dB at 40/52, +12 dB at 1.
    float gain() const;
    // Bit 0 active, bit 1 playback off.
    uint32_t stateFlags() const;

    // Read cursors: one per consumer and render run.
    TrackReadCursor* createReadCursor();
    void positionReadCursor(TrackReadCursor* cursor, int32_t position);
    // Fills n frames and advances the cursor; effects always see whole 5000-frame blocks.
    void read(TrackReadCursor* cursor, float* dest, int32_t frames);
    void releaseReadCursor(TrackReadCursor* cursor);

    // Nearest start at which a range of that length fits.
    int32_t findFreePosition(const SampleRange& range, bool allowOverlap, bool skipSelected) const;

    // Min/max pairs per display column over `width` columns covering the project.
    void buildOverview(std::vector<std::pair<float, float>>& dest, int32_t width, int32_t projectLength) const;

private:
    void closeAllReaders();
    // Every cursor walks the clip list afresh before its next block.
    void restartCursors();
    bool ownsCurve(const CCurve* curve) const;
    void renderBlock(TrackReadCursor& cursor, int32_t s, float* block);
    // A spare reader of the cursor's on that clip, else a new one.
    int64_t readerFor(TrackReadCursor& cursor, CAudioClip* clip);
    void applyCurves(float* block, int32_t frames, int32_t start) const;
    void processEffects(float* block, int32_t frames);
    void clearLists();

    mutable WatchedMutex m_lock;
    std::vector<CAudioClip*> m_clips;
    std::string m_name;
    EffectChain m_effects;
    std::vector<CCurve*> m_curves;
    std::atomic<float> m_volume{40.0f / 52.0f};
    std::atomic<float> m_pan{0.5f};
    std::atomic<bool> m_active{true};
    std::atomic<int32_t> m_playbackOff{1};
    int32_t m_height = kDefaultHeight;
    std::vector<std::unique_ptr<TrackReadCursor>> m_cursors;
    const WAVEFORMATEX* m_documentFormat = nullptr;
    WAVEFORMATEX m_format{};
};

} // namespace quillon
