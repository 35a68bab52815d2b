#pragma once
// The project document: the single owner of one arrangement. It holds the project
// format, the tracks (index 0 at the top), the master effect chain, the assignable
// groups, the label list, the project texts, tempo, meter and grid, the cursor and the
// marked section, the master level and pan, and the words the renderer and the meters
// share. Views read it, change it through the operations below and repaint when it
// broadcasts a hint (HintBroadcaster; kHintRefresh, kHintStructure, ...).
//
// Threads (editing while the mix plays):
// - The user-interface thread owns the document, calls every operation and is the only
//   thread that changes the project. Render threads (playback, export) only read it.
// - Render threads hold lock() while they mix sends, run the group and master chains,
//   and set up a render; a track's own lock while they read the track. The
//   user-interface thread takes those locks only to change what they guard, and only
//   for as long as it takes to move pointers and positions: effects are created and
//   prepared before they are linked in and destroyed after they are taken out, clips
//   open their files before they are placed and are destroyed after they are removed,
//   and nothing under a lock waits for a plug-in, a file or the render. So a render
//   never waits long, and playback keeps going through any edit below.
// - Being the only writer, the user-interface thread reads without locks where the
//   reading is slow: storing the project (undo steps, saving), the CD track walk, the
//   overviews. Nothing else may write while it does.
// - Changes of the track count (insert, delete, delete contents, undo and redo, which
//   reload the project, and a format change) first stop playback through the
//   PlaybackControl, so the renderer's per-track arrays never see a count change
//   while it runs. Groups may come and go while a render runs: the renderer reads
//   the group list under the lock at every block.
// - Lock order: the document lock before any track lock. Nothing here takes the
//   document lock while holding a track's lock, and a reader must not either.
// - The master level and pan, the loop flag, the stop request, the render position and
//   the master peaks are atomics read without the lock, as are track volumes, pans and
//   flags, send levels and effect bypass flags: they take effect at the next block.
//   The track peak arrays are written by the render thread without the lock (their
//   size only changes while no render runs) and read by the meters under it.

#include "base/sample_range.h"
#include "base/watched_mutex.h"
#include "base/view_hints.h"
#include "model/clip_clipboard.h"
#include "model/effect_chain.h"
#include "model/label_list.h"
#include "model/undo_history.h"

#include <quillon/wave_format.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace quillon {

class CArchive;
class CAssignableGroup;
class CAudioClip;
class CCurve;
class CTrack;
class CTransformPlugin;
struct CurvePoint;
class ProjectLabel;
class FolderChooser;
class PlaybackControl;
class Prompter;
class SettingsStore;

// What the "Project Settings" sheet shows and hands back.
struct ProjectSettingsValues {
    std::string title;
    std::string artist;
    std::string notes;
    double beatsPerMinute = 120.0;
    int32_t beatsPerMeasure = 4;
    int32_t lengthMinutes = 80;
};

class CMultitrackerDoc {
public:
    static constexpr const char* kUntitledTrack = "Untitled";
    static constexpr const char* kHeaderText = "Varda Quillon Header File";
    static constexpr const char* kNewTakeLocationText =
        "Unable to create a new audio file. Please select a new location.";
    static constexpr const char* kNewTakePattern = "NewTake%d.wav";
    static constexpr int32_t kPaletteSize = 6;
    // 0x00BBGGRR, handed out in turn to clips of newly inserted files.
    static constexpr std::array<uint32_t, kPaletteSize> kPalette = {0x780000, 0x787800, 0x007800,
                                                                    0x007878, 0x000078, 0x780078};

    // Reads every stored default from `settings`; the document keeps both references.
    CMultitrackerDoc(SettingsStore& settings, Prompter& prompter);
    // Writes View/TimeCode and Grid/SnapDivident back. A playback control still set
    // is told to stop first, so it must outlive the document or be detached.
    virtual ~CMultitrackerDoc();
    CMultitrackerDoc(const CMultitrackerDoc&) = delete;
    CMultitrackerDoc& operator=(const CMultitrackerDoc&) = delete;

    // ---- collaborators ----
    HintBroadcaster& hints() { return m_hints; }
    Prompter& prompter() { return m_prompter; }
    SettingsStore& settings() { return m_settings; }
    void setPlaybackControl(PlaybackControl* control) { m_playback = control; }
    void setFolderChooser(FolderChooser* chooser) { m_folderChooser = chooser; }
    // Called when clips start waiting for peak data; the window starts its 500 ms
    // timer, which calls pollPeaks().
    void setPeakPollStarter(std::function<void()> starter) { m_peakPollStarter = std::move(starter); }

    // With automatic CD tracks on, the splits are rebuilt before the hint goes out.
    void updateAllViews(int hint, const HintPayload* payload = nullptr, HintObserver* sender = nullptr);

    // ---- life cycle ----
    // Empties the project and builds a new one from the stored defaults.
    bool onNewDocument();
    // Stops playback and destroys tracks, master effects and groups; the label list
    // keeps one CD track split at 0.
    void deleteContents();
    // The project file's document section and everything it refers to. Loading
    // deletes the contents first, and again when it fails (archive errors and ClassCom
    // pass to the caller with the document empty).
    void serialize(CArchive& ar);
    bool isModified() const { return m_modified; }
    void setModified(bool modified = true) { m_modified = modified; }

    // ---- undo ----
    // Every editing command calls this before it changes anything: a snapshot of the
    // whole project (the bytes of its file) joins the undo list, the oldest snapshot
    // is dropped when the list holds more than undoLevels() (-1: no limit), and with
    // `clearRedo` the redo list is emptied. A project that cannot be stored (a plug-in
    // refusing to give its state) records no step; the edit goes ahead.
    virtual void openUndoStep(bool clearRedo = true);
    virtual void clearUndoHistory();
    // Restore the newest undo (redo) snapshot through the full load path, keeping the
    // state they replace on the other list; modified flag and kHintStructure follow.
    // False when the list is empty. A snapshot that cannot be loaded (a source file
    // deleted meanwhile) throws ArchiveException or ClassCom with the document, both
    // lists and the modified flag as they were before the call. Tracks, clips and
    // effects are new objects afterwards: pointers to the old ones are invalid.
    bool undo();
    bool redo();
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    const UndoHistory& undoHistory() const { return m_history; }
    int32_t undoLevels() const { return m_undoLevels; }
    void setUndoLevels(int32_t levels) { m_undoLevels = levels; }
    // The project as its file holds it; null when a plug-in refuses its state.
    std::unique_ptr<MemoryStream> takeSnapshot();

    // Guards the track, group and master-chain lists (recursive).
    WatchedMutex& lock() const { return m_lock; }
    // Stops a running playback; true when one was running.
    bool stopPlayback();

    // ---- format ----
    const WAVEFORMATEX& format() const { return m_format; }
    uint32_t sampleRate() const { return m_format.nSamplesPerSec; }
    // Rescales clip starts, curves, labels, the cursor and the marked section by new
    // rate / old rate, gives every track the format and broadcasts kHintRateChanged
    // with that ratio.
    void setFormat(const WAVEFORMATEX& format);

    // ---- tracks ----
    int32_t trackCount() const;
    // The index must be in range.
    CTrack* trackAt(int32_t index) const;
    // Before the track at `index` (appended at trackCount()); attaches it to the
    // project format and gives every group a send of 0.0 there.
    CTrack* insertTrack(int32_t index, std::unique_ptr<CTrack> track);
    // Refused (false) while the project has fewer than two tracks.
    bool deleteTrack(int32_t index);
    // The command: an undo step, a track "Untitled" at the current index, hint 0.
    CTrack* insertTrackCommand();
    // The command: an undo step, then deleteTrack(); nothing (no step) when refused.
    bool deleteTrackCommand(int32_t index);
    // The label commands: an undo step, the label, hint 0.
    ProjectLabel* insertLabelCommand(int32_t position, int32_t kind, const std::string& title = {},
                                     const std::string& artist = {}, int32_t pause = 0);
    // Track Properties: the name, then kHintTrackName.
    void setTrackName(int32_t index, const std::string& name);
    void toggleTrackPlayback(int32_t index);
    // The current track's active flag.
    void toggleActive();
    // On the current track; false when there is none or it has that curve already.
    bool addVolumeCurve();
    bool addPanCurve();

    // ---- clips ----
    // Takes the clip; with `findFree` it first moves to the nearest place where it
    // overlaps no unselected clip of the track (selected clips, such as the others of
    // a paste, are passed over). Grows the project length and moves the cursor past a
    // clip that starts at it. Returns the clip, or null (clip destroyed) for a bad
    // track index.
    CAudioClip* addClipToTrack(int32_t track, std::unique_ptr<CAudioClip> clip, bool findFree);
    // Hands the clip back to the caller; the index of the track that held it, or -1.
    int32_t removeClip(CAudioClip* clip, bool rebuild = true);
    // Moves a clip by whole tracks and samples. The destination track's search may
    // let it overlap a neighbour (a crossfade) but not swallow one or lie inside one;
    // selected clips are passed over as they move along. The start is then snapped
    // to the grid.
    bool moveClip(CAudioClip* clip, int32_t trackDelta, int32_t positionDelta);
    // Whether moveClip would keep old start + delta (at least 0) on the clip's own
    // track, before snapping; selected clips (those moving along) are left out.
    bool clipFitsAtOffset(CAudioClip* clip, int32_t positionDelta) const;
    int32_t trackOfClip(const CAudioClip* clip) const;
    void selectAllClips();
    void clearClipSelection();
    // Clips starting after the cursor, on the current track or on every track.
    void selectAllFollowing(bool allTracks);
    std::vector<CAudioClip*> selectedClips() const;
    // The latest clip end; 0 without clips.
    int32_t projectEnd() const;
    // A clip's colour when a clip of that file exists, else the next palette colour.
    uint32_t colourForFile(const std::string& fileName);

    // ---- time ----
    void insertTime(int32_t position, int32_t length);
    void removeTime(const SampleRange& range);

    // ---- CD tracks (CdTrackLayout does the work) ----
    // Adds the CD track splits the arrangement gives to `out`.
    void computeCdTracks(CLabelList& out) const;
    // Brings the CD track splits of the label list in line with the arrangement,
    // keeping titles and artists. Indexes and free labels are left alone.
    void synchroniseCdTracks();
    // Gives every CD track a pause of `seconds`, inserting or removing time.
    void adjustSilence(double seconds);
    // Samples of pause for a split the user inserts.
    int32_t defaultPause() const;

    // ---- clip clipboard ----
    bool hasSelectedClips() const;
    bool canPaste() const { return !m_clipboard.empty(); }
    void copyClips();
    void cutClips();
    // Pastes at the cursor onto the current track and the ones below; false when
    // nothing was pasted.
    bool pasteClips();
    void deleteSelectedClips();
    const ClipClipboard& clipboard() const { return m_clipboard; }

    // ---- Insert Audio File(s) ----
    // The file dialog's filter text from a file filter; false (after the message)
    // when no filter can be created.
    bool fileFilterText(std::string& text);
    // Places the files one after the other from the cursor on the current track,
    // overlapping by `overlap` samples when there are several. Returns the number of
    // files placed; files that cannot be opened are skipped.
    int32_t insertAudioFiles(const std::vector<std::string>& fileNames, int32_t overlap);
    // The 500 ms peak poll; false when no clip waits any more (the timer stops).
    bool pollPeaks();
    const std::list<CAudioClip*>& clipsAwaitingPeaks() const { return m_awaitingPeaks; }

    // ---- edits a running playback hears at its next block ----
    // The chains: a track's (index = track), a group's (index = group) or the master.
    enum class ChainKind { Track, Group, Master };
    // Null when there is no such chain.
    EffectChain* effectChain(ChainKind kind, int32_t index);
    // The effect commands open their own undo step (the caller never does).
    // Links in an effect the caller created; it is given the project format first.
    // `position` -1 appends. False (the effect destroyed) when the chain does not exist
    // or the position is out of range; a ClassCom from the format passes to the caller.
    bool addEffect(ChainKind kind, int32_t index, std::unique_ptr<CTransformPlugin> effect,
                   int32_t position = -1);
    // Takes the effect at `position` out of the chain and destroys it; false when none.
    bool removeEffect(ChainKind kind, int32_t index, int32_t position);
    bool moveEffect(ChainKind kind, int32_t index, int32_t from, int32_t to);
    // Resizes a clip to end at `end` (not before its start): the clip is stretched to
    // the new length. False when the clip is on no track.
    bool resizeClip(CAudioClip* clip, int32_t end);
    // The shape of the crossfade leaving `clip`; false when it has none.
    bool setCrossfadeShape(CAudioClip* clip, int32_t shape);
    // Point edits of a track's volume (kind 0) or pan (kind 1) curve; null/false when
    // the track has no such curve or the point is not on it.
    CurvePoint* addCurvePoint(int32_t track, int32_t kind, int32_t position, float value);
    bool moveCurvePoint(int32_t track, int32_t kind, CurvePoint* point, int32_t position, float value);
    bool removeCurvePoint(int32_t track, int32_t kind, CurvePoint* point);
    // The point dialog's edit: the point may pass its neighbours and is re-sorted.
    bool placeCurvePoint(int32_t track, int32_t kind, CurvePoint* point, int32_t position, float value);

    // ---- overview, groups, master ----
    // `columns` (minimum, maximum) pairs over the project length.
    void buildProjectOverview(std::vector<std::pair<float, float>>& buffer, int32_t columns) const;

    int32_t groupCount() const;
    CAssignableGroup* groupAt(int32_t index) const;
    // One send of 0.0 per existing track.
    CAssignableGroup* addGroup();
    bool removeGroup(int32_t index);
    float sendLevel(int32_t track, int32_t group) const;
    bool setSendLevel(int32_t track, int32_t group, float level);
    // Its changes take lock() themselves (EffectChain's guard).
    EffectChain& masterChain() { return m_masterChain; }

    float masterLevel() const { return m_masterLevel.load(std::memory_order_relaxed); }
    void setMasterLevel(float v) { m_masterLevel.store(v, std::memory_order_relaxed); }
    float masterPan() const { return m_masterPan.load(std::memory_order_relaxed); }
    void setMasterPan(float p) { m_masterPan.store(p, std::memory_order_relaxed); }
    // 10^((52 v - 40) / 20).
    double masterGain() const;
    // A gain of 0 is taken as -144 dB.
    void setMasterLevelFromGain(double gain);

    // ---- words shared with the renderer and the meters ----
    std::atomic<float>& masterPeakLeft() { return m_masterPeakLeft; }
    std::atomic<float>& masterPeakRight() { return m_masterPeakRight; }
    std::atomic<int32_t>& renderPosition() { return m_renderPosition; }
    std::atomic<bool>& stopRequest() { return m_stopRequest; }
    std::atomic<bool>& loopPlayback() { return m_loopPlayback; }
    // Render thread: stores a track's peaks; ignored for an index out of range.
    void setTrackPeaks(int32_t index, float left, float right);
    // Meters: read under the lock; 0 for an index out of range.
    float trackPeakLeft(int32_t index) const;
    float trackPeakRight(int32_t index) const;

    // ---- grid and time display ----
    // Truncates toward zero to the grid of four beats / division; unchanged without a grid.
    int32_t snap(int32_t position) const;
    static int32_t snapToGrid(int32_t position, uint32_t rate, int32_t division, int32_t tempo);
    int32_t samplesPerBeat() const;
    // Times are shown relative to the first CD track split.
    int32_t timeOrigin() const;

    // ---- recording ----
    // A free "NewTake%d.wav" in the music folder (or one the user picks when that
    // folder is not writable); false on cancel.
    bool newTakeFile(std::string& fileName);

    // ---- project settings sheet ----
    // Also stores the rate and resolution as Audio/SampleRate and Audio/Resolution for
    // the audio page.
    ProjectSettingsValues projectSettings();
    // Takes rate and resolution from Audio/SampleRate and Audio/Resolution.
    void applyProjectSettings(const ProjectSettingsValues& values);

    // ---- plain fields ----
    CLabelList& labels() { return m_labels; }
    const CLabelList& labels() const { return m_labels; }
    int32_t showClipText() const { return m_showClipText; }
    void setShowClipText(int32_t v) { m_showClipText = v; }
    int32_t scaleTrackHeights() const { return m_scaleTrackHeights; }
    void setScaleTrackHeights(int32_t v) { m_scaleTrackHeights = v; }
    int32_t autoCdTracks() const { return m_autoCdTracks; }
    void setAutoCdTracks(int32_t v) { m_autoCdTracks = v; }
    int32_t tempo() const { return m_tempo; }
    void setTempo(int32_t hundredthsBpm) { m_tempo = hundredthsBpm; }
    int32_t beatsPerMeasure() const { return m_beatsPerMeasure; }
    void setBeatsPerMeasure(int32_t beats) { m_beatsPerMeasure = beats; }
    int32_t timeFormat() const { return m_timeFormat; }
    void setTimeFormat(int32_t code) { m_timeFormat = code; }
    int32_t gridDivision() const { return m_gridDivision; }
    void setGridDivision(int32_t division) { m_gridDivision = division; }
    int32_t nextPaletteIndex() const { return m_nextPaletteIndex; }
    int32_t currentTrack() const { return m_currentTrack; }
    void setCurrentTrack(int32_t index) { m_currentTrack = index; }
    int32_t firstVisibleTrack() const { return m_firstVisibleTrack; }
    void setFirstVisibleTrack(int32_t index) { m_firstVisibleTrack = index; }
    const SampleRange& markedSection() const { return m_markedSection; }
    void setMarkedSection(const SampleRange& range) { m_markedSection = range; }
    int32_t cursor() const { return m_cursor; }
    void setCursor(int32_t position) { m_cursor = position; }
    int32_t projectLength() const { return m_projectLength; }
    void setProjectLength(int32_t samples) { m_projectLength = samples; }
    float defaultPauseLength() const { return m_defaultPauseLength; }
    void setDefaultPauseLength(float seconds) { m_defaultPauseLength = seconds; }
    int32_t dithering() const { return m_dithering; }
    int32_t noiseShaping() const { return m_noiseShaping; }
    const std::string& title() const { return m_title; }
    void setTitle(std::string title) { m_title = std::move(title); }
    const std::string& artist() const { return m_artist; }
    void setArtist(std::string artist) { m_artist = std::move(artist); }
    const std::string& notes() const { return m_notes; }
    void setNotes(std::string notes) { m_notes = std::move(notes); }
    // The disc's catalogue number (13 digits), or empty.
    const std::string& catalogNumber() const { return m_catalogNumber; }
    void setCatalogNumber(std::string number) { m_catalogNumber = std::move(number); }

private:
    void readProjectLength();
    // Add clip to track without telling the views.
    CAudioClip* placeClip(int32_t track, std::unique_ptr<CAudioClip> clip, bool findFree);
    void reallocateTrackPeaks();
    void watchClip(CAudioClip* clip);
    void dropAwaiting(const CAudioClip* clip);
    void dropAwaitingOfTrack(const CTrack* track);
    void startPeakPoll();
    bool addCurveToCurrent(int32_t kind);
    void clampViewIndexes();
    void storeSection(CArchive& ar);
    void loadSection(CArchive& ar);
    void restoreSnapshot(MemoryStream& snapshot);

    SettingsStore& m_settings;
    Prompter& m_prompter;
    HintBroadcaster m_hints;
    PlaybackControl* m_playback = nullptr;
    FolderChooser* m_folderChooser = nullptr;
    std::function<void()> m_peakPollStarter;

    WAVEFORMATEX m_format{};
    std::list<CAudioClip*> m_awaitingPeaks; // not owned
    std::vector<std::unique_ptr<CTrack>> m_tracks;
    EffectChain m_masterChain;
    std::vector<std::unique_ptr<CAssignableGroup>> m_groups;
    int32_t m_showClipText = 1;
    int32_t m_scaleTrackHeights = 1;
    int32_t m_autoCdTracks = 1;
    std::atomic<bool> m_loopPlayback{false};
    int32_t m_tempo = 12000;
    int32_t m_beatsPerMeasure = 4;
    int32_t m_timeFormat = 1;
    int32_t m_nextPaletteIndex = 0;
    CLabelList m_labels;
    int32_t m_currentTrack = 0;
    SampleRange m_markedSection;
    int32_t m_cursor = 0;
    int32_t m_firstVisibleTrack = 0;
    int32_t m_undoLevels = 100;
    std::string m_title;
    std::string m_artist;
    std::string m_notes;
    std::string m_catalogNumber;
    std::atomic<float> m_masterLevel{40.0f / 52.0f};
    std::atomic<float> m_masterPan{0.5f};
    std::atomic<float> m_masterPeakLeft{0.0f};
    std::atomic<float> m_masterPeakRight{0.0f};
    std::atomic<int32_t> m_renderPosition{0};
    int32_t m_gridDivision = 0;
    ClipClipboard m_clipboard;
    UndoHistory m_history;
    int32_t m_dithering = 0;
    int32_t m_noiseShaping = 1;
    mutable WatchedMutex m_lock;
    std::unique_ptr<std::atomic<float>[]> m_trackPeaksLeft;
    std::unique_ptr<std::atomic<float>[]> m_trackPeaksRight;
    int32_t m_trackPeakCount = 0;
    std::atomic<bool> m_stopRequest{false};
    float m_defaultPauseLength = 0.0f;
    int32_t m_projectLength = 0;
    bool m_modified = false;
};

} // namespace quillon
