#include "model/multitracker_doc.h"

#include "base/archive.h"
#include "base/folder_settings.h"
#include "base/level.h"
#include "base/prompter.h"
#include "base/settings_store.h"
#include "base/wave_format.h"
#include "model/assignable_group.h"
#include "model/audio_clip.h"
#include "model/cd_track_layout.h"
#include "model/curve.h"
#include "model/folder_chooser.h"
#include "model/playback_control.h"
#include "model/project_label.h"
#include "model/project_extension_block.h"
#include "model/track.h"
#include "model/transform_plugin.h"
#include "plugins/class_com.h"
#include "plugins/file_filter.h"
#include "plugins/plugin_host.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>

namespace quillon {

namespace {

using Guard = std::lock_guard<WatchedMutex>;

constexpr const char* kGeneral = "General";
constexpr const char* kView = "View";
constexpr const char* kGrid = "Grid";
constexpr const char* kAudio = "Audio";

int32_t clampToPosition(double v)
{
    if (!(v > 0.0))
        return v < 0.0 ? static_cast<int32_t>(std::max(v, double(std::numeric_limits<int32_t>::min()))) : 0;
    return static_cast<int32_t>(std::min(v, double(std::numeric_limits<int32_t>::max())));
}

int32_t clampToPosition(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Truncated as the position types demand; the product runs in double so that long
// positions keep every sample.
int32_t scalePosition(int32_t position, float ratio)
{
    return clampToPosition(std::trunc(double(position) * double(ratio)));
}

// The format fields of a project file, 18 bytes little-endian.
void writeFormat(CArchive& ar, const WAVEFORMATEX& f)
{
    ar.writeU16(f.wFormatTag);
    ar.writeU16(f.nChannels);
    ar.writeU32(f.nSamplesPerSec);
    ar.writeU32(f.nAvgBytesPerSec);
    ar.writeU16(f.nBlockAlign);
    ar.writeU16(f.wBitsPerSample);
    ar.writeU16(f.cbSize);
}

WAVEFORMATEX readFormat(CArchive& ar)
{
    WAVEFORMATEX f{};
    f.wFormatTag = ar.readU16();
    f.nChannels = ar.readU16();
    f.nSamplesPerSec = ar.readU32();
    f.nAvgBytesPerSec = ar.readU32();
    f.nBlockAlign = ar.readU16();
    f.wBitsPerSample = ar.readU16();
    f.cbSize = ar.readU16();
    return f;
}

} // namespace

// ---- life cycle ----

CMultitrackerDoc::CMultitrackerDoc(SettingsStore& settings, Prompter& prompter)
    : m_settings(settings), m_prompter(prompter)
{
    m_format.nChannels = 2;
    m_format.nSamplesPerSec = 44100;
    m_format.nBlockAlign = 4;
    m_format.wBitsPerSample = 16;

    m_showClipText = settings.profileInt(kView, "ShowClipText", 1);
    m_scaleTrackHeights = settings.profileInt(kView, "ScaleTrackHeights", 1);
    m_autoCdTracks = settings.profileInt(kGeneral, "AutoTracks", 1);
    m_timeFormat = settings.profileInt(kView, "TimeCode", 1);
    m_undoLevels = settings.profileInt(kGeneral, "UndoLevels", 100);
    m_artist = settings.profileString(kGeneral, "Default-Artist", "");
    m_notes = settings.profileString(kGeneral, "Default-Notes", "");
    m_gridDivision = settings.profileInt(kGrid, "SnapDivident", 0);
    m_dithering = settings.profileInt(kAudio, "Dithering", 0);
    m_noiseShaping = settings.profileInt(kAudio, "NoiseShaping", 1);
    m_defaultPauseLength = static_cast<float>(settings.profileInt(kGeneral, "DefaultPauseLength", 0) * 0.1);
    readProjectLength();
    m_labels.add(0, ProjectLabel::kTrackSplit);
    m_masterChain.setGuard(&m_lock);
}

CMultitrackerDoc::~CMultitrackerDoc()
{
    m_settings.writeProfileInt(kView, "TimeCode", m_timeFormat);
    m_settings.writeProfileInt(kGrid, "SnapDivident", m_gridDivision);
    stopPlayback();
    Guard guard(m_lock);
    m_awaitingPeaks.clear();
    m_tracks.clear();
    m_groups.clear();
    m_masterChain.clear();
}

void CMultitrackerDoc::readProjectLength()
{
    const int64_t minutes = std::max(0, m_settings.profileInt(kGeneral, "Default-ProjectLength", 80));
    m_projectLength = clampToPosition(minutes * int64_t(m_format.nSamplesPerSec) * 60);
}

void CMultitrackerDoc::updateAllViews(int hint, const HintPayload* payload, HintObserver* sender)
{
    if (m_autoCdTracks)
        synchroniseCdTracks();
    m_hints.broadcast(hint, payload, sender);
}

bool CMultitrackerDoc::onNewDocument()
{
    deleteContents();
    clearUndoHistory();
    m_currentTrack = 0;
    m_cursor = 0;
    m_firstVisibleTrack = 0;
    m_nextPaletteIndex = 0;
    m_markedSection = SampleRange();
    m_title.clear();
    m_artist = m_settings.profileString(kGeneral, "Default-Artist", "");
    m_notes = m_settings.profileString(kGeneral, "Default-Notes", "");
    readProjectLength();
    const int32_t startup = m_settings.profileInt(kGeneral, "StartupTracks", 1);
    for (int32_t i = 0; i < startup; ++i)
        insertTrack(i, std::make_unique<CTrack>(kUntitledTrack));
    setModified(false);
    updateAllViews(kHintStructure);
    return true;
}

void CMultitrackerDoc::deleteContents()
{
    stopPlayback();
    if (!m_tracks.empty() || !m_masterChain.empty() || !m_groups.empty())
        m_hints.broadcast(kHintChainsGoing);
    {
        Guard guard(m_lock);
        // The awaiting list points into the tracks about to go.
        m_awaitingPeaks.clear();
        m_tracks.clear();
        m_masterChain.clear();
        m_groups.clear();
        m_trackPeaksLeft.reset();
        m_trackPeaksRight.reset();
        m_trackPeakCount = 0;
    }
    m_labels.removeAll();
    m_labels.add(0, ProjectLabel::kTrackSplit);
    m_catalogNumber.clear();
    // The choice a project file carries must not pass on to the next project: one that
    // carries none (a new one, an older file) follows the user's setting.
    m_autoCdTracks = m_settings.profileInt(kGeneral, "AutoTracks", 1);
}

// ---- undo ----

std::unique_ptr<MemoryStream> CMultitrackerDoc::takeSnapshot()
{
    // The stream is the project file's, extension block included: pauses, active flags
    // and the disc's codes come back with an undo as they were.
    auto snapshot = std::make_unique<MemoryStream>();
    try {
        CArchive ar(*snapshot, CArchive::Mode::Store);
        serialize(ar);
    } catch (const ClassCom&) {
        return nullptr;
    }
    return snapshot;
}

void CMultitrackerDoc::openUndoStep(bool clearRedo)
{
    m_history.pushUndo(takeSnapshot(), m_undoLevels);
    if (clearRedo)
        m_history.clearRedo();
}

void CMultitrackerDoc::clearUndoHistory() { m_history.clear(); }

void CMultitrackerDoc::restoreSnapshot(MemoryStream& snapshot)
{
    snapshot.seekToBegin();
    CArchive ar(snapshot, CArchive::Mode::Load);
    serialize(ar);
}

bool CMultitrackerDoc::undo()
{
    std::unique_ptr<MemoryStream> target = m_history.takeUndo();
    if (!target)
        return false;
    std::unique_ptr<MemoryStream> current = takeSnapshot();
    try {
        restoreSnapshot(*target);
    } catch (...) {
        // A failed restore leaves the contents deleted; the user keeps the project as
        // it was and the step stays available.
        m_history.returnUndo(std::move(target));
        if (current) {
            try {
                restoreSnapshot(*current);
            } catch (...) {
            }
        }
        throw;
    }
    m_history.pushRedo(std::move(current));
    setModified();
    updateAllViews(kHintStructure);
    return true;
}

bool CMultitrackerDoc::redo()
{
    std::unique_ptr<MemoryStream> target = m_history.takeRedo();
    if (!target)
        return false;
    std::unique_ptr<MemoryStream> current = takeSnapshot();
    try {
        restoreSnapshot(*target);
    } catch (...) {
        m_history.returnRedo(std::move(target));
        if (current) {
            try {
                restoreSnapshot(*current);
            } catch (...) {
            }
        }
        throw;
    }
    // The undo step of a redo keeps the redo list.
    m_history.pushUndo(std::move(current), m_undoLevels);
    setModified();
    updateAllViews(kHintStructure);
    return true;
}

bool CMultitrackerDoc::stopPlayback()
{
    if (!m_playback || !m_playback->isPlaying())
        return false;
    m_playback->stopPlayback();
    return true;
}

// ---- serialization ----

void CMultitrackerDoc::serialize(CArchive& ar)
{
    if (ar.isStoring()) {
        storeSection(ar);
        return;
    }
    deleteContents();
    try {
        loadSection(ar);
    } catch (...) {
        deleteContents();
        throw;
    }
}

void CMultitrackerDoc::storeSection(CArchive& ar)
{
    // No lock: only this thread changes the project, and a render must not wait for
    // the effects' states and the clips being stored.
    ar.writeString(kHeaderText);
    ar.writeI32(m_cursor);
    ar.writeI32(m_currentTrack);
    ar.writeI32(m_firstVisibleTrack);
    ar.writeString(m_title);
    ar.writeString(m_artist);
    ar.writeString(m_notes);
    writeFormat(ar, m_format);
    ar.writeI32(static_cast<int32_t>(m_tracks.size()));
    for (const auto& t : m_tracks)
        ar.writeObject(t.get());
    m_masterChain.store(ar);
    ar.writeI32(static_cast<int32_t>(m_groups.size()));
    for (const auto& g : m_groups)
        ar.writeObject(g.get());
    m_labels.serialize(ar);
    ProjectExtensionBlock::store(ar, *this);
}

void CMultitrackerDoc::loadSection(CArchive& ar)
{
    if (ar.readString() != kHeaderText)
        throw ArchiveException(ArchiveException::Kind::BadSchema, "not a project file");
    m_cursor = ar.readI32();
    m_currentTrack = ar.readI32();
    m_firstVisibleTrack = ar.readI32();
    m_title = ar.readString();
    m_artist = ar.readString();
    m_notes = ar.readString();
    m_format = readFormat(ar);
    // Positions are frames at this rate; without one they mean nothing.
    if (m_format.nSamplesPerSec == 0)
        throw ArchiveException(ArchiveException::Kind::Generic, "no sample rate");
    // The renderer mixes in stereo only: a project of another width opens as a stereo
    // project, and the clips' filters convert their sources.
    if (m_format.nChannels != 2) {
        m_format.nChannels = 2;
        m_format.nBlockAlign = static_cast<uint16_t>(2 * (m_format.wBitsPerSample / 8));
        m_format.nAvgBytesPerSec = m_format.nSamplesPerSec * m_format.nBlockAlign;
    }

    Guard guard(m_lock);
    const int32_t trackCount = ar.readI32();
    if (trackCount < 0)
        throw ArchiveException(ArchiveException::Kind::Generic, "negative track count");
    for (int32_t i = 0; i < trackCount; ++i) {
        CTrack* raw = ar.readObjectAs<CTrack>();
        if (!raw)
            throw ArchiveException(ArchiveException::Kind::BadIndex, "missing track");
        // A reference to a track read before would be owned twice.
        for (const auto& t : m_tracks)
            if (t.get() == raw)
                throw ArchiveException(ArchiveException::Kind::BadIndex, "track stored twice");
        std::unique_ptr<CTrack> track(raw);
        track->attachDocumentFormat(&m_format);
        track->setFormat(m_format);
        m_tracks.push_back(std::move(track));
    }
    m_masterChain.load(ar);
    const int32_t groupCount = ar.readI32();
    if (groupCount < 0)
        throw ArchiveException(ArchiveException::Kind::Generic, "negative group count");
    for (int32_t i = 0; i < groupCount; ++i) {
        CAssignableGroup* raw = ar.readObjectAs<CAssignableGroup>();
        if (!raw)
            throw ArchiveException(ArchiveException::Kind::BadIndex, "missing group");
        for (const auto& g : m_groups)
            if (g.get() == raw)
                throw ArchiveException(ArchiveException::Kind::BadIndex, "group stored twice");
        std::unique_ptr<CAssignableGroup> group(raw);
        group->chain().setGuard(&m_lock);
        // The renderer indexes sends by track; a group that disagrees with the track
        // count is brought in line rather than read past its end.
        while (group->sendCount() < trackCount)
            group->insertSend(group->sendCount());
        while (group->sendCount() > trackCount)
            group->removeSend(group->sendCount() - 1);
        m_groups.push_back(std::move(group));
    }
    reallocateTrackPeaks();
    const uint32_t rate = m_format.nSamplesPerSec;
    const uint32_t channels = m_format.nChannels;
    m_masterChain.setFormat(rate, channels);
    for (const auto& t : m_tracks) {
        t->effects().setFormat(rate, channels);
        std::lock_guard trackGuard(t->lock());
        for (CAudioClip* c : t->clips())
            watchClip(c);
    }
    for (const auto& g : m_groups)
        g->chain().setFormat(rate, channels);
    m_labels.serialize(ar);
    ProjectExtensionBlock::load(ar, *this);
    clampViewIndexes();
}

void CMultitrackerDoc::clampViewIndexes()
{
    const int32_t count = trackCount();
    m_currentTrack = std::clamp(m_currentTrack, 0, std::max(0, count - 1));
    m_firstVisibleTrack = std::clamp(m_firstVisibleTrack, 0, std::max(0, count - 1));
}

// ---- format ----

void CMultitrackerDoc::setFormat(const WAVEFORMATEX& format)
{
    // Tracks and their readers change format; nothing may render meanwhile.
    stopPlayback();
    const uint32_t oldRate = m_format.nSamplesPerSec;
    const float ratio = oldRate ? static_cast<float>(double(format.nSamplesPerSec) / double(oldRate)) : 1.0f;
    {
        Guard guard(m_lock);
        m_format = format;
        for (const auto& t : m_tracks) {
            std::lock_guard trackGuard(t->lock());
            if (format.nSamplesPerSec != oldRate) {
                for (CAudioClip* c : t->clips())
                    c->moveTo(scalePosition(c->start(), ratio));
                for (CCurve* c : t->curves())
                    c->rescale(ratio);
            }
            // Clips take the new format through the document's own record.
            t->setFormat(m_format);
        }
    }
    if (format.nSamplesPerSec != oldRate) {
        // Markers stay with the audio they mark.
        CLabelList& labels = m_labels;
        std::lock_guard<CLabelList> labelGuard(labels);
        std::vector<ProjectLabel*> all;
        CLabelList::Cursor cursor;
        for (ProjectLabel* l = labels.first(cursor); l; l = labels.next(cursor))
            all.push_back(l);
        for (ProjectLabel* l : all) {
            l->pause = scalePosition(l->pause, ratio);
            labels.reposition(l, scalePosition(l->position, ratio));
        }
        m_markedSection = {scalePosition(m_markedSection.begin, ratio), scalePosition(m_markedSection.end, ratio)};
        m_projectLength = scalePosition(m_projectLength, ratio);
    }
    m_cursor = scalePosition(m_cursor, ratio);
    HintPayload payload;
    payload.rateRatio = ratio;
    updateAllViews(kHintRateChanged, &payload);
}

// ---- tracks ----

int32_t CMultitrackerDoc::trackCount() const
{
    Guard guard(m_lock);
    return static_cast<int32_t>(m_tracks.size());
}

CTrack* CMultitrackerDoc::trackAt(int32_t index) const
{
    Guard guard(m_lock);
    return m_tracks[static_cast<size_t>(index)].get();
}

void CMultitrackerDoc::reallocateTrackPeaks()
{
    const int32_t n = static_cast<int32_t>(m_tracks.size());
    m_trackPeaksLeft = std::make_unique<std::atomic<float>[]>(static_cast<size_t>(n));
    m_trackPeaksRight = std::make_unique<std::atomic<float>[]>(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        m_trackPeaksLeft[static_cast<size_t>(i)].store(0.0f);
        m_trackPeaksRight[static_cast<size_t>(i)].store(0.0f);
    }
    m_trackPeakCount = n;
}

CTrack* CMultitrackerDoc::insertTrack(int32_t index, std::unique_ptr<CTrack> track)
{
    if (!track)
        return nullptr;
    stopPlayback();
    CTrack* raw = track.get();
    raw->attachDocumentFormat(&m_format);
    raw->setFormat(m_format);
    {
        Guard guard(m_lock);
        index = std::clamp<int32_t>(index, 0, static_cast<int32_t>(m_tracks.size()));
        m_tracks.insert(m_tracks.begin() + index, std::move(track));
        reallocateTrackPeaks();
        for (const auto& g : m_groups)
            g->insertSend(index);
    }
    updateAllViews(kHintStructure);
    setModified();
    return raw;
}

bool CMultitrackerDoc::deleteTrack(int32_t index)
{
    if (trackCount() < 2 || index < 0 || index >= trackCount())
        return false;
    stopPlayback();
    m_hints.broadcast(kHintChainsGoing);
    std::unique_ptr<CTrack> gone;
    {
        Guard guard(m_lock);
        gone = std::move(m_tracks[static_cast<size_t>(index)]);
        m_tracks.erase(m_tracks.begin() + index);
        dropAwaitingOfTrack(gone.get());
        reallocateTrackPeaks();
        for (const auto& g : m_groups)
            g->removeSend(index);
    }
    gone.reset();
    m_currentTrack = std::min(m_currentTrack, trackCount() - 1);
    m_firstVisibleTrack = std::min(m_firstVisibleTrack, trackCount() - 1);
    setModified();
    updateAllViews(kHintStructure);
    return true;
}

CTrack* CMultitrackerDoc::insertTrackCommand()
{
    openUndoStep(true);
    const int32_t index = std::clamp(m_currentTrack, 0, trackCount());
    CTrack* t = insertTrack(index, std::make_unique<CTrack>(kUntitledTrack));
    updateAllViews(kHintRefresh);
    return t;
}

bool CMultitrackerDoc::deleteTrackCommand(int32_t index)
{
    if (trackCount() < 2 || index < 0 || index >= trackCount())
        return false;
    openUndoStep(true);
    return deleteTrack(index);
}

ProjectLabel* CMultitrackerDoc::insertLabelCommand(int32_t position, int32_t kind, const std::string& title,
                                                   const std::string& artist, int32_t pause)
{
    openUndoStep(true);
    ProjectLabel* label = m_labels.add(position, kind, title, artist, pause);
    setModified();
    updateAllViews(kHintRefresh);
    return label;
}

void CMultitrackerDoc::setTrackName(int32_t index, const std::string& name)
{
    if (index < 0 || index >= trackCount())
        return;
    openUndoStep(true);
    trackAt(index)->setName(name);
    setModified();
    updateAllViews(kHintTrackName);
}

void CMultitrackerDoc::toggleTrackPlayback(int32_t index)
{
    if (index < 0 || index >= trackCount())
        return;
    CTrack* t = trackAt(index);
    t->setPlaybackOff(t->playbackOff() ? 0 : 1);
    bool allOff = true;
    {
        Guard guard(m_lock);
        for (const auto& tr : m_tracks)
            allOff = allOff && tr->playbackOff() != 0;
    }
    if (allOff)
        stopPlayback();
    updateAllViews(kHintRefresh);
}

void CMultitrackerDoc::toggleActive()
{
    if (m_currentTrack < 0 || m_currentTrack >= trackCount())
        return;
    CTrack* t = trackAt(m_currentTrack);
    t->setActive(!t->isActive());
    updateAllViews(kHintRefresh);
}

bool CMultitrackerDoc::addCurveToCurrent(int32_t kind)
{
    if (m_currentTrack < 0 || m_currentTrack >= trackCount())
        return false;
    CTrack* t = trackAt(m_currentTrack);
    if (t->hasCurve(kind))
        return false;
    openUndoStep(true);
    t->addCurve(kind);
    setModified();
    updateAllViews(kHintRefresh);
    return true;
}

bool CMultitrackerDoc::addVolumeCurve() { return addCurveToCurrent(CCurve::kVolume); }

bool CMultitrackerDoc::addPanCurve() { return addCurveToCurrent(CCurve::kPan); }

// ---- clips ----

void CMultitrackerDoc::watchClip(CAudioClip* clip)
{
    // A source edited on disk changes the clip's length: the lanes must be laid out anew.
    clip->setChangeListener([this](CAudioClip*) { updateAllViews(kHintStructure); });
}

CAudioClip* CMultitrackerDoc::addClipToTrack(int32_t track, std::unique_ptr<CAudioClip> clip, bool findFree)
{
    CAudioClip* raw = placeClip(track, std::move(clip), findFree);
    if (raw)
        updateAllViews(kHintStructure);
    return raw;
}

CAudioClip* CMultitrackerDoc::placeClip(int32_t track, std::unique_ptr<CAudioClip> clip, bool findFree)
{
    if (!clip)
        return nullptr;
    CAudioClip* raw = clip.get();
    {
        // The track's own lock is enough: renders read tracks under it, and the track
        // list changes on this thread only.
        if (track < 0 || track >= static_cast<int32_t>(m_tracks.size()))
            return nullptr;
        CTrack* t = m_tracks[static_cast<size_t>(track)].get();
        // Clips placed together (a paste) are selected and keep their own
        // arrangement; everything else on the track is avoided.
        if (findFree)
            raw->moveTo(t->findFreePosition(raw->position(), false, true));
        t->insertClip(clip.release());
    }
    watchClip(raw);
    const double grown = 1.1 * double(raw->end());
    if (grown > double(m_projectLength))
        m_projectLength = clampToPosition(std::trunc(grown));
    if (raw->start() == m_cursor)
        m_cursor = raw->end();
    setModified();
    return raw;
}

void CMultitrackerDoc::dropAwaiting(const CAudioClip* clip)
{
    m_awaitingPeaks.remove(const_cast<CAudioClip*>(clip));
}

void CMultitrackerDoc::dropAwaitingOfTrack(const CTrack* track)
{
    std::lock_guard trackGuard(track->lock());
    for (CAudioClip* c : track->clips())
        dropAwaiting(c);
}

int32_t CMultitrackerDoc::removeClip(CAudioClip* clip, bool rebuild)
{
    dropAwaiting(clip);
    for (size_t i = 0; i < m_tracks.size(); ++i)
        if (m_tracks[i]->removeClip(clip, rebuild))
            return static_cast<int32_t>(i);
    return -1;
}

int32_t CMultitrackerDoc::trackOfClip(const CAudioClip* clip) const
{
    for (size_t i = 0; i < m_tracks.size(); ++i) {
        const auto& clips = m_tracks[i]->clips();
        if (std::find(clips.begin(), clips.end(), clip) != clips.end())
            return static_cast<int32_t>(i);
    }
    return -1;
}

bool CMultitrackerDoc::moveClip(CAudioClip* clip, int32_t trackDelta, int32_t positionDelta)
{
    const bool wasAwaiting =
        std::find(m_awaitingPeaks.begin(), m_awaitingPeaks.end(), clip) != m_awaitingPeaks.end();
    const int32_t former = trackOfClip(clip);
    if (former < 0)
        return false;
    const int32_t count = static_cast<int32_t>(m_tracks.size());
    const int32_t target = std::clamp<int32_t>(clampToPosition(int64_t(former) + trackDelta), 0, count - 1);
    {
        // One step under both tracks' locks (the render holds one track's at a time):
        // no block is read with the clip on neither track. Within its track the clip's
        // readers go on; readers of the track it leaves are closed.
        CTrack* from = m_tracks[static_cast<size_t>(former)].get();
        CTrack* to = m_tracks[static_cast<size_t>(target)].get();
        // Upper track first, always: one order for every pair of track locks.
        std::lock_guard upperGuard(m_tracks[static_cast<size_t>(std::min(former, target))]->lock());
        std::lock_guard lowerGuard(m_tracks[static_cast<size_t>(std::max(former, target))]->lock());
        from->removeClip(clip, false, from == to);
        dropAwaiting(clip);
        std::unique_ptr<CAudioClip> owned(clip);
        const int32_t length = clip->length();
        const int32_t start = clampToPosition(std::max<int64_t>(0, int64_t(clip->start()) + positionDelta));
        clip->setPosition({start, clampToPosition(int64_t(start) + length)});
        if (trackDelta != 0)
            from->rebuildCrossfades();
        // The destination's clips decide where the clip fits (on its own track that is
        // the former track). Overlaps make crossfades; the selected clips move along.
        const int32_t free = to->findFreePosition(clip->position(), true, true);
        clip->moveTo(std::max(0, snap(free)));
        placeClip(target, std::move(owned), false);
    }
    if (wasAwaiting)
        m_awaitingPeaks.push_front(clip);
    updateAllViews(kHintStructure);
    return true;
}

bool CMultitrackerDoc::clipFitsAtOffset(CAudioClip* clip, int32_t positionDelta) const
{
    Guard guard(m_lock);
    const int32_t index = trackOfClip(clip);
    if (index < 0)
        return false;
    CTrack* t = m_tracks[static_cast<size_t>(index)].get();
    std::lock_guard trackGuard(t->lock());
    const int32_t start = clampToPosition(std::max<int64_t>(0, int64_t(clip->start()) + positionDelta));
    const SampleRange wanted{start, clampToPosition(int64_t(start) + clip->length())};
    // The clip must not collide with itself: it counts as one of the moving ones.
    const bool wasSelected = clip->isSelected();
    clip->setSelected(true);
    const int32_t found = t->findFreePosition(wanted, true, true);
    clip->setSelected(wasSelected);
    return found == start;
}

void CMultitrackerDoc::selectAllClips()
{
    {
        Guard guard(m_lock);
        for (const auto& t : m_tracks) {
            std::lock_guard trackGuard(t->lock());
            for (CAudioClip* c : t->clips())
                c->setSelected(true);
        }
    }
    updateAllViews(kHintRefresh);
}

void CMultitrackerDoc::clearClipSelection()
{
    {
        Guard guard(m_lock);
        for (const auto& t : m_tracks) {
            std::lock_guard trackGuard(t->lock());
            for (CAudioClip* c : t->clips())
                c->setSelected(false);
        }
    }
    updateAllViews(kHintRefresh);
}

void CMultitrackerDoc::selectAllFollowing(bool allTracks)
{
    {
        Guard guard(m_lock);
        for (size_t i = 0; i < m_tracks.size(); ++i) {
            if (!allTracks && static_cast<int32_t>(i) != m_currentTrack)
                continue;
            std::lock_guard trackGuard(m_tracks[i]->lock());
            for (CAudioClip* c : m_tracks[i]->clips())
                if (c->start() > m_cursor)
                    c->setSelected(true);
        }
    }
    updateAllViews(kHintRefresh);
}

std::vector<CAudioClip*> CMultitrackerDoc::selectedClips() const
{
    std::vector<CAudioClip*> out;
    for (const auto& t : m_tracks) {
        for (CAudioClip* c : t->clips())
            if (c->isSelected())
                out.push_back(c);
    }
    return out;
}

bool CMultitrackerDoc::hasSelectedClips() const { return !selectedClips().empty(); }

int32_t CMultitrackerDoc::projectEnd() const
{
    // Every clip counts, not only each track's last: a clip lying inside a longer
    // one is last in start order but does not end last.
    // Only this thread changes clips; reading needs no lock.
    int32_t end = 0;
    for (const auto& t : m_tracks)
        for (const CAudioClip* c : t->clips())
            end = std::max(end, c->end());
    return end;
}

uint32_t CMultitrackerDoc::colourForFile(const std::string& fileName)
{
    {
        Guard guard(m_lock);
        for (const auto& t : m_tracks) {
            std::lock_guard trackGuard(t->lock());
            for (const CAudioClip* c : t->clips())
                if (!fileName.empty() && c->fileName() == fileName)
                    return c->colour();
        }
    }
    const int32_t index = std::clamp(m_nextPaletteIndex, 0, kPaletteSize - 1);
    m_nextPaletteIndex = (index + 1) % kPaletteSize;
    return kPalette[static_cast<size_t>(index)];
}

// ---- time ----

void CMultitrackerDoc::insertTime(int32_t position, int32_t length)
{
    for (const auto& t : m_tracks)
        t->shiftForInsertedTime(position, length);
    setModified();
    updateAllViews(kHintRefresh);
}

void CMultitrackerDoc::removeTime(const SampleRange& range)
{
    for (const auto& t : m_tracks)
        t->closeGap(range);
    setModified();
    updateAllViews(kHintRefresh);
}

// ---- CD tracks ----

void CMultitrackerDoc::computeCdTracks(CLabelList& out) const
{
    CdTrackLayout(const_cast<CMultitrackerDoc&>(*this)).compute(out);
}

void CMultitrackerDoc::synchroniseCdTracks() { CdTrackLayout(*this).synchronise(); }

void CMultitrackerDoc::adjustSilence(double seconds)
{
    openUndoStep(true);
    CdTrackLayout(*this).adjustSilence(seconds);
    setModified();
    updateAllViews(kHintStructure);
}

int32_t CMultitrackerDoc::defaultPause() const
{
    return clampToPosition(std::trunc(double(sampleRate()) * m_defaultPauseLength));
}

// ---- clip clipboard ----

void CMultitrackerDoc::copyClips()
{
    m_clipboard.clear();
    // Storing clips asks their filters for state: done without locks, as the only
    // writer may.
    for (size_t i = 0; i < m_tracks.size(); ++i) {
        for (const CAudioClip* c : m_tracks[i]->clips())
            if (c->isSelected())
                m_clipboard.append(*c, static_cast<int32_t>(i));
    }
}

void CMultitrackerDoc::deleteSelectedClips()
{
    const std::vector<CAudioClip*> selected = selectedClips();
    if (selected.empty())
        return;
    openUndoStep(true);
    for (CAudioClip* c : selected)
        if (removeClip(c, true) >= 0)
            delete c;
    setModified();
    updateAllViews(kHintStructure);
}

void CMultitrackerDoc::cutClips()
{
    copyClips();
    deleteSelectedClips();
}

bool CMultitrackerDoc::pasteClips()
{
    const int32_t count = trackCount();
    if (m_clipboard.empty() || count == 0)
        return false;
    openUndoStep(true);
    clearClipSelection();
    // Adding a clip at the cursor moves the cursor; the clips keep their places
    // relative to where the paste began.
    const int64_t at = m_cursor;
    bool pasted = false;
    PromptText failure;
    for (size_t i = 0; i < m_clipboard.size(); ++i) {
        std::unique_ptr<CAudioClip> clip;
        try {
            clip = m_clipboard.readClip(i);
        } catch (const ArchiveException& e) {
            // A source deleted since the copy: the other clips still arrive.
            failure = e.detail().empty() ? PromptText(e.what()) : e.message();
            continue;
        } catch (const ClassCom& e) {
            failure = PromptText(e.what());
            continue;
        }
        clip->setProjectFormat(&m_format);
        clip->setSelected(true);
        const int64_t start = at + int64_t(clip->start()) - int64_t(m_clipboard.referencePosition());
        clip->moveTo(clampToPosition(std::max<int64_t>(0, start)));
        const int64_t track =
            int64_t(m_currentTrack) + m_clipboard.trackOf(i) - int64_t(m_clipboard.referenceTrack());
        const int32_t target = static_cast<int32_t>(std::clamp<int64_t>(track, 0, count - 1));
        pasted = addClipToTrack(target, std::move(clip), true) != nullptr || pasted;
    }
    if (!failure.empty())
        m_prompter.showMessage(failure, PromptIcon::Error);
    return pasted;
}

// ---- Insert Audio File(s) ----

bool CMultitrackerDoc::fileFilterText(std::string& text)
{
    try {
        PluginHost* host = PluginHost::current();
        if (!host)
            throw ClassCom(QUILLON_E_NO_CLASS);
        text = FileFilter::create(*host).filterList();
        return true;
    } catch (const ClassCom&) {
        m_prompter.showMessage(kClassComMessage, PromptIcon::Error);
        return false;
    }
}

void CMultitrackerDoc::startPeakPoll()
{
    if (m_peakPollStarter)
        m_peakPollStarter();
}

int32_t CMultitrackerDoc::insertAudioFiles(const std::vector<std::string>& fileNames, int32_t overlap)
{
    clearClipSelection();
    if (m_currentTrack < 0 || m_currentTrack >= trackCount()) {
        insertTrack(0, std::make_unique<CTrack>(kUntitledTrack));
        m_currentTrack = 0;
    }
    int32_t placed = 0;
    for (const std::string& name : fileNames) {
        auto clip = std::make_unique<CAudioClip>(&m_format);
        clip->setColour(colourForFile(name));
        if (!clip->openFile(m_cursor, name, &m_prompter))
            continue;
        openUndoStep(true);
        CAudioClip* added = addClipToTrack(m_currentTrack, std::move(clip), false);
        if (!added)
            continue;
        ++placed;
        if (added->peakProgress() != 100) {
            startPeakPoll();
            m_awaitingPeaks.push_front(added);
        }
        if (fileNames.size() > 1)
            m_cursor = std::max(added->start(), clampToPosition(int64_t(added->end()) - overlap));
        updateAllViews(kHintStructure);
    }
    return placed;
}

bool CMultitrackerDoc::pollPeaks()
{
    for (auto it = m_awaitingPeaks.begin(); it != m_awaitingPeaks.end();) {
        if ((*it)->peakProgress() >= 100)
            it = m_awaitingPeaks.erase(it);
        else
            ++it;
    }
    updateAllViews(kHintStructure);
    return !m_awaitingPeaks.empty();
}

// ---- edits a running playback hears ----

EffectChain* CMultitrackerDoc::effectChain(ChainKind kind, int32_t index)
{
    switch (kind) {
    case ChainKind::Master:
        return &m_masterChain;
    case ChainKind::Track:
        return index >= 0 && index < trackCount() ? &trackAt(index)->effects() : nullptr;
    case ChainKind::Group:
        if (CAssignableGroup* g = groupAt(index))
            return &g->chain();
        return nullptr;
    }
    return nullptr;
}

bool CMultitrackerDoc::addEffect(ChainKind kind, int32_t index, std::unique_ptr<CTransformPlugin> effect,
                                 int32_t position)
{
    EffectChain* chain = effectChain(kind, index);
    if (!chain || !effect)
        return false;
    // Prepared before it is linked in: the render never waits for the plug-in.
    effect->setFormat(m_format.nSamplesPerSec, m_format.nChannels);
    const size_t at = position < 0 ? chain->size() : static_cast<size_t>(position);
    if (at > chain->size())
        return false;
    openUndoStep(true);
    if (!chain->insert(at, std::move(effect)))
        return false;
    setModified();
    updateAllViews(kHintRefresh);
    return true;
}

bool CMultitrackerDoc::removeEffect(ChainKind kind, int32_t index, int32_t position)
{
    EffectChain* chain = effectChain(kind, index);
    if (!chain || position < 0 || static_cast<size_t>(position) >= chain->size())
        return false;
    openUndoStep(true);
    m_hints.broadcast(kHintChainsGoing);
    std::unique_ptr<CTransformPlugin> gone = chain->take(static_cast<size_t>(position));
    if (!gone)
        return false;
    gone.reset(); // after the chain's guard: its tear-down holds no render up
    setModified();
    updateAllViews(kHintRefresh);
    return true;
}

bool CMultitrackerDoc::moveEffect(ChainKind kind, int32_t index, int32_t from, int32_t to)
{
    EffectChain* chain = effectChain(kind, index);
    if (!chain || from < 0 || to < 0 || static_cast<size_t>(from) >= chain->size() ||
        static_cast<size_t>(to) >= chain->size())
        return false;
    openUndoStep(true);
    chain->move(static_cast<size_t>(from), static_cast<size_t>(to));
    setModified();
    updateAllViews(kHintRefresh);
    return true;
}

bool CMultitrackerDoc::resizeClip(CAudioClip* clip, int32_t end)
{
    const int32_t index = clip ? trackOfClip(clip) : -1;
    if (index < 0)
        return false;
    end = std::max(end, clip->start());
    // The filter learns the stretch outside the track's lock; the render reads the new
    // length once the range below is in place.
    const int32_t source = clip->sourceLength();
    if (source > 0)
        clip->setTimeScaleRatio(static_cast<float>(double(end - clip->start()) / double(source)));
    trackAt(index)->setClipRange(clip, {clip->start(), end});
    const double grown = 1.1 * double(end);
    if (grown > double(m_projectLength))
        m_projectLength = clampToPosition(std::trunc(grown));
    setModified();
    updateAllViews(kHintStructure);
    return true;
}

bool CMultitrackerDoc::setCrossfadeShape(CAudioClip* clip, int32_t shape)
{
    const int32_t index = clip ? trackOfClip(clip) : -1;
    if (index < 0 || !trackAt(index)->setCrossfadeShape(clip, shape))
        return false;
    setModified();
    updateAllViews(kHintRefresh);
    return true;
}

CurvePoint* CMultitrackerDoc::addCurvePoint(int32_t track, int32_t kind, int32_t position, float value)
{
    if (track < 0 || track >= trackCount())
        return nullptr;
    CTrack* t = trackAt(track);
    CurvePoint* point = t->addCurvePoint(t->curve(kind), position, value);
    if (point) {
        setModified();
        updateAllViews(kHintRefresh);
    }
    return point;
}

bool CMultitrackerDoc::moveCurvePoint(int32_t track, int32_t kind, CurvePoint* point, int32_t position, float value)
{
    if (track < 0 || track >= trackCount())
        return false;
    CTrack* t = trackAt(track);
    if (!t->moveCurvePoint(t->curve(kind), point, position, value))
        return false;
    setModified();
    updateAllViews(kHintRefresh);
    return true;
}

bool CMultitrackerDoc::placeCurvePoint(int32_t track, int32_t kind, CurvePoint* point, int32_t position, float value)
{
    if (track < 0 || track >= trackCount())
        return false;
    CTrack* t = trackAt(track);
    if (!t->placeCurvePoint(t->curve(kind), point, position, value))
        return false;
    setModified();
    updateAllViews(kHintRefresh);
    return true;
}

bool CMultitrackerDoc::removeCurvePoint(int32_t track, int32_t kind, CurvePoint* point)
{
    if (track < 0 || track >= trackCount())
        return false;
    CTrack* t = trackAt(track);
    if (!t->removeCurvePoint(t->curve(kind), point))
        return false;
    setModified();
    updateAllViews(kHintRefresh);
    return true;
}

// ---- overview, groups, master ----

void CMultitrackerDoc::buildProjectOverview(std::vector<std::pair<float, float>>& buffer, int32_t columns) const
{
    buffer.assign(static_cast<size_t>(std::max(columns, 0)), {0.0f, 0.0f});
    if (columns <= 0)
        return;
    const double master = masterGain();
    std::vector<std::pair<float, float>> trackBuffer;
    // No lock: peaks come from the filters, which takes time a render must not wait.
    for (const auto& t : m_tracks) {
        trackBuffer.assign(static_cast<size_t>(columns), {0.0f, 0.0f});
        t->buildOverview(trackBuffer, columns, m_projectLength);
        const double w = master * t->gain();
        for (size_t i = 0; i < buffer.size(); ++i) {
            const double tmin = trackBuffer[i].first;
            const double tmax = trackBuffer[i].second;
            const double mn = buffer[i].first;
            const double mx = buffer[i].second;
            buffer[i].second = static_cast<float>(std::sqrt(tmax * tmax * w + mx * mx));
            buffer[i].first = static_cast<float>(-std::sqrt(tmin * tmin * w + mn * mn));
        }
    }
}

int32_t CMultitrackerDoc::groupCount() const
{
    Guard guard(m_lock);
    return static_cast<int32_t>(m_groups.size());
}

CAssignableGroup* CMultitrackerDoc::groupAt(int32_t index) const
{
    Guard guard(m_lock);
    if (index < 0 || index >= static_cast<int32_t>(m_groups.size()))
        return nullptr;
    return m_groups[static_cast<size_t>(index)].get();
}

CAssignableGroup* CMultitrackerDoc::addGroup()
{
    auto group = std::make_unique<CAssignableGroup>(static_cast<int32_t>(m_tracks.size()));
    group->chain().setGuard(&m_lock);
    CAssignableGroup* raw = group.get();
    {
        Guard guard(m_lock);
        m_groups.reserve(m_groups.size() + 1);
        m_groups.push_back(std::move(group));
    }
    setModified();
    return raw;
}

bool CMultitrackerDoc::removeGroup(int32_t index)
{
    if (index < 0 || index >= groupCount())
        return false;
    m_hints.broadcast(kHintChainsGoing);
    std::unique_ptr<CAssignableGroup> gone;
    {
        Guard guard(m_lock);
        if (index < 0 || index >= static_cast<int32_t>(m_groups.size()))
            return false;
        gone = std::move(m_groups[static_cast<size_t>(index)]);
        m_groups.erase(m_groups.begin() + index);
    }
    // Destroyed after the lock: a render finds groups under it, so none can be
    // processing this one any more, and its effects' tear-down holds nobody up.
    gone.reset();
    setModified();
    return true;
}

float CMultitrackerDoc::sendLevel(int32_t track, int32_t group) const
{
    const CAssignableGroup* g = groupAt(group);
    return g ? g->sendLevelValue(track) : 0.0f;
}

bool CMultitrackerDoc::setSendLevel(int32_t track, int32_t group, float level)
{
    CAssignableGroup* g = groupAt(group);
    return g && g->setSendLevel(track, level);
}

double CMultitrackerDoc::masterGain() const { return level::sliderToGain(masterLevel()); }

void CMultitrackerDoc::setMasterLevelFromGain(double gain)
{
    setMasterLevel(static_cast<float>(level::gainToSlider(gain)));
}

void CMultitrackerDoc::setTrackPeaks(int32_t index, float left, float right)
{
    if (index < 0 || index >= m_trackPeakCount)
        return;
    m_trackPeaksLeft[static_cast<size_t>(index)].store(left, std::memory_order_relaxed);
    m_trackPeaksRight[static_cast<size_t>(index)].store(right, std::memory_order_relaxed);
}

float CMultitrackerDoc::trackPeakLeft(int32_t index) const
{
    Guard guard(m_lock);
    if (index < 0 || index >= m_trackPeakCount)
        return 0.0f;
    return m_trackPeaksLeft[static_cast<size_t>(index)].load(std::memory_order_relaxed);
}

float CMultitrackerDoc::trackPeakRight(int32_t index) const
{
    Guard guard(m_lock);
    if (index < 0 || index >= m_trackPeakCount)
        return 0.0f;
    return m_trackPeaksRight[static_cast<size_t>(index)].load(std::memory_order_relaxed);
}

// ---- grid and time display ----

int32_t CMultitrackerDoc::snapToGrid(int32_t position, uint32_t rate, int32_t division, int32_t tempo)
{
    if (division <= 0 || tempo <= 0)
        return position;
    // rate * 24000 leaves 32 bits above 89 kHz.
    const int64_t step = int64_t(rate) * 24000 / (int64_t(division) * tempo);
    if (step <= 0)
        return position;
    return static_cast<int32_t>(position - position % step);
}

int32_t CMultitrackerDoc::snap(int32_t position) const
{
    return snapToGrid(position, sampleRate(), m_gridDivision, m_tempo);
}

int32_t CMultitrackerDoc::samplesPerBeat() const
{
    if (m_tempo <= 0)
        return 0;
    return clampToPosition(int64_t(sampleRate()) * 6000 / m_tempo);
}

int32_t CMultitrackerDoc::timeOrigin() const
{
    CLabelList& labels = const_cast<CLabelList&>(m_labels);
    std::lock_guard<CLabelList> labelGuard(labels);
    CLabelList::Cursor cursor;
    for (const ProjectLabel* l = labels.first(cursor); l; l = labels.next(cursor))
        if (l->kind == ProjectLabel::kTrackSplit)
            return l->position;
    return 0;
}

// ---- recording ----

bool CMultitrackerDoc::newTakeFile(std::string& fileName)
{
    std::string folder;
    FolderSettings(m_settings).lookup(kFolderMyMusic, folder);
    for (;;) {
        if (!folder.empty() && folder.back() != '/')
            folder += '/';
        std::error_code ec;
        for (int i = 1; i < std::numeric_limits<int>::max(); ++i) {
            char name[32];
            std::snprintf(name, sizeof name, kNewTakePattern, i);
            const std::string candidate = folder + name;
            if (std::filesystem::exists(candidate, ec))
                continue;
            // Creating the file proves that the folder takes new files.
            if (std::FILE* probe = std::fopen(candidate.c_str(), "wx")) {
                std::fclose(probe);
                std::filesystem::remove(candidate, ec);
                fileName = candidate;
                return true;
            }
            break;
        }
        if (!m_folderChooser)
            return false;
        std::optional<std::string> chosen = m_folderChooser->chooseFolder(kNewTakeLocationText);
        if (!chosen)
            return false;
        folder = *chosen;
    }
}

// ---- project settings sheet ----

ProjectSettingsValues CMultitrackerDoc::projectSettings()
{
    m_settings.writeProfileInt(kAudio, "SampleRate", static_cast<int32_t>(m_format.nSamplesPerSec));
    m_settings.writeProfileInt(kAudio, "Resolution", m_format.wBitsPerSample);
    ProjectSettingsValues v;
    v.title = m_title;
    v.artist = m_artist;
    v.notes = m_notes;
    v.beatsPerMinute = m_tempo * 0.01;
    v.beatsPerMeasure = m_beatsPerMeasure;
    const int64_t perMinute = int64_t(m_format.nSamplesPerSec) * 60;
    v.lengthMinutes = perMinute > 0 ? static_cast<int32_t>(m_projectLength / perMinute) : 0;
    return v;
}

void CMultitrackerDoc::applyProjectSettings(const ProjectSettingsValues& values)
{
    openUndoStep(true);
    const int32_t rate = m_settings.profileInt(kAudio, "SampleRate", 44100);
    const int32_t bits = m_settings.profileInt(kAudio, "Resolution", 16);
    WAVEFORMATEX f = m_format;
    f.nSamplesPerSec = static_cast<uint32_t>(std::max(rate, 1));
    f.wBitsPerSample = static_cast<uint16_t>(std::clamp(bits, 8, 32));
    f.nBlockAlign = static_cast<uint16_t>(f.nChannels * f.wBitsPerSample / 8);
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    m_title = values.title;
    m_artist = values.artist;
    m_notes = values.notes;
    setFormat(f);
    m_beatsPerMeasure = values.beatsPerMeasure;
    m_tempo = static_cast<int32_t>(std::trunc(values.beatsPerMinute * 100.0 + 0.5));
    m_projectLength = clampToPosition(int64_t(f.nSamplesPerSec) * values.lengthMinutes * 60);
    setModified();
    updateAllViews(kHintStructure);
}

} // namespace quillon
