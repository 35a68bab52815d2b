#pragma once
// What a user does to a project while it plays, as a random stream of edits through the
// document's own operations: clips added, moved, resized and removed, crossfade shapes,
// curve points, effects added, removed and changed on tracks, groups and the master,
// send levels, track volumes and pans, tracks inserted and deleted, labels, time
// inserted and removed, undo and redo. Every edit opens an undo step first, as the
// program's commands do. Shared by the playback stress test and the edit benchmark.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace quillon {
class CMultitrackerDoc;
class EffectCatalog;
} // namespace quillon

namespace quillon::test {

class EditWorkload {
public:
    enum Kind {
        AddClip,
        MoveClip,
        ResizeClip,
        RemoveClip,
        CrossfadeShape,
        CurvePoint,
        AddEffect,
        RemoveEffect,
        ChangeEffect,
        SendLevel,
        VolumeAndPan,
        Label,
        InsertTime,
        RemoveTime,
        // These change the track list or reload the project: playback stops.
        InsertTrack,
        DeleteTrack,
        Undo,
        Redo,
        KindCount
    };
    static bool stopsPlayback(Kind kind) { return kind >= InsertTrack; }
    static const char* name(Kind kind);

    // `files`: audio files new clips are made of.
    EditWorkload(CMultitrackerDoc& doc, const EffectCatalog& catalog, std::vector<std::string> files,
                 uint32_t seed);

    // Builds `tracks` tracks of `clips` clips each from the files, overlapping their
    // neighbours by a quarter second (crossfades of every shape), with a volume and a pan
    // curve and `effectsPerTrack` effects on each track, one group fed by every track and
    // an effect on the group and the master.
    void buildProject(int32_t tracks, int32_t clips, int32_t effectsPerTrack);

    // One edit of that kind; false when there was nothing to do it to.
    bool edit(Kind kind);
    // One edit of a random kind; with `structural` false the kinds that stop playback
    // are left out. Returns the kind done.
    Kind randomEdit(bool structural);

    // Edits done of each kind.
    const std::vector<int>& counts() const { return m_counts; }

private:
    int pick(int n) { return n > 0 ? static_cast<int>(m_random() % static_cast<uint32_t>(n)) : 0; }
    float unit() { return std::uniform_real_distribution<float>(0.0f, 1.0f)(m_random); }
    bool addEffectTo(int chainKind, int32_t index);

    CMultitrackerDoc& m_doc;
    const EffectCatalog& m_catalog;
    std::vector<std::string> m_files;
    std::vector<size_t> m_effects; // catalogue entries that make a plain effect
    std::mt19937 m_random;
    std::vector<int> m_counts;
};

} // namespace quillon::test
