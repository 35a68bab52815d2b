#include "doc_fixture.h"
#include "model/project_label.h"
#include "model/track_read_cursor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <cmath>
#include <thread>

using namespace quillon;
using namespace quillon::test;

namespace {

// Counts the undo steps the editing commands open.
class CountingDoc : public CMultitrackerDoc {
public:
    using CMultitrackerDoc::CMultitrackerDoc;
    void openUndoStep(bool clearRedo) override
    {
        ++steps;
        clearedRedo = clearedRedo && clearRedo;
    }
    int steps = 0;
    bool clearedRedo = true;
};

class ClipDocTest : public DocFixture {
protected:
    CountingDoc& countingDoc(int tracks)
    {
        settings.writeProfileInt("General", "StartupTracks", tracks);
        auto d = std::make_unique<CountingDoc>(settings, prompter);
        CountingDoc& ref = *d;
        doc = std::move(d);
        doc->onNewDocument();
        doc->hints().addObserver(&log);
        return ref;
    }
};

} // namespace

TEST_F(ClipDocTest, AddWithFreeSearchAvoidsClipsOnTheTrack)
{
    newDoc(1);
    place(0, 1000, 1000);
    // Wanted at 1500: the nearer free place is after the clip.
    CAudioClip* c = doc->addClipToTrack(0, openClip(1600, 500), true);
    EXPECT_EQ(c->position(), SampleRange(2000, 2500));
    // Wanted at 700: before the clip is nearer.
    c = doc->addClipToTrack(0, openClip(700, 500), true);
    EXPECT_EQ(c->position(), SampleRange(500, 1000));
    EXPECT_EQ(doc->addClipToTrack(3, openClip(0, 10), false), nullptr);
}

TEST_F(ClipDocTest, MovingAcrossTracksSnapsTheStartAndKeepsTheLength)
{
    newDoc(3);
    doc->setGridDivision(4); // 22050 samples at 120 BPM
    CAudioClip* c = place(0, 0, 1000);
    EXPECT_TRUE(doc->moveClip(c, 1, 30000));
    EXPECT_EQ(ranges(0), Ranges{});
    EXPECT_EQ(ranges(1), (Ranges{{22050, 23050}}));
    // Beyond the last track it stays on the last.
    EXPECT_TRUE(doc->moveClip(c, 5, 0));
    EXPECT_EQ(ranges(2), (Ranges{{22050, 23050}}));
    // A move before 0 is held at 0.
    EXPECT_TRUE(doc->moveClip(c, -9, -100000));
    EXPECT_EQ(ranges(0), (Ranges{{0, 1000}}));
    EXPECT_EQ(doc->trackOfClip(c), 0);
}

TEST_F(ClipDocTest, MovingOntoAClipMakesACrossfadeOrFindsRoom)
{
    newDoc(2);
    CAudioClip* a = place(0, 0, 1000);
    CAudioClip* b = place(1, 5000, 1000);
    // Partly over b: allowed, the two are joined by a crossfade.
    EXPECT_TRUE(doc->moveClip(a, 1, 4500));
    EXPECT_EQ(ranges(1), (Ranges{{4500, 5500}, {5000, 6000}}));
    ASSERT_NE(a->outgoing(), nullptr);
    EXPECT_EQ(a->outgoing()->incoming(), b);
    EXPECT_EQ(a->outgoing()->length(), 500);

    // Moved a little while still overlapping, the clip keeps its crossfade: the same
    // object, its shape and its tempo scaling.
    Crossfade* x = a->outgoing();
    EXPECT_TRUE(doc->setCrossfadeShape(a, kCrossfadeExponential));
    x->applyTempo(QUILLON_FF_TRANSITION_GRADUAL, 1.0f, 1.0f);
    EXPECT_TRUE(doc->moveClip(a, 0, -100));
    EXPECT_EQ(ranges(1), (Ranges{{4400, 5400}, {5000, 6000}}));
    ASSERT_EQ(a->outgoing(), x);
    EXPECT_EQ(x->incoming(), b);
    EXPECT_EQ(x->shape(), kCrossfadeExponential);
    EXPECT_EQ(x->tempoFlags(), QUILLON_FF_TRANSITION_GRADUAL);
    // Moved clear of b it has none, and b has no incoming one.
    EXPECT_TRUE(doc->moveClip(a, -1, -4400));
    EXPECT_EQ(a->outgoing(), nullptr);
    EXPECT_EQ(b->incoming(), nullptr);
    EXPECT_TRUE(doc->moveClip(a, 1, 4500));

    // A long clip dropped over both may not swallow them: it goes past the pair.
    CAudioClip* longer = place(0, 0, 3000);
    EXPECT_TRUE(doc->moveClip(longer, 1, 4000));
    EXPECT_EQ(ranges(1), (Ranges{{4500, 5500}, {5000, 6000}, {5500, 8500}}));
}

TEST_F(ClipDocTest, TheClipsWaitingForPeaksFollowMovesAndDeletions)
{
    newDoc(3);
    // Long files, so that their peaks are still being built.
    ASSERT_EQ(doc->insertAudioFiles({fileOf(400000)}, 0), 1);
    doc->setCurrentTrack(2);
    ASSERT_EQ(doc->insertAudioFiles({fileOf(400001)}, 0), 1);
    CAudioClip* c = doc->trackAt(0)->clips()[0];
    CAudioClip* other = doc->trackAt(2)->clips()[0];
    const bool waiting = std::find(doc->clipsAwaitingPeaks().begin(), doc->clipsAwaitingPeaks().end(), c) !=
                         doc->clipsAwaitingPeaks().end();
    doc->moveClip(c, 1, 10);
    EXPECT_EQ(std::find(doc->clipsAwaitingPeaks().begin(), doc->clipsAwaitingPeaks().end(), c) !=
                  doc->clipsAwaitingPeaks().end(),
              waiting);
    // Whatever goes with a track or is removed no longer waits.
    ASSERT_TRUE(doc->deleteTrack(1));
    ASSERT_EQ(doc->removeClip(other), 1);
    delete other;
    EXPECT_TRUE(doc->clipsAwaitingPeaks().empty());
    EXPECT_FALSE(doc->pollPeaks());
}

TEST_F(ClipDocTest, EditingCommandsOpenAnUndoStepFirst)
{
    CountingDoc& d = countingDoc(2);
    d.insertTrackCommand();
    EXPECT_EQ(d.steps, 1);
    d.setCurrentTrack(1);
    CTrack* inserted = d.insertTrackCommand();
    EXPECT_EQ(inserted, d.trackAt(1));
    EXPECT_EQ(d.trackCount(), 4);
    EXPECT_EQ(log.hints.back(), kHintRefresh);
    d.addVolumeCurve();
    d.setTrackName(0, "Drums");
    place(0, 1000, 100);
    d.adjustSilence(0.5);
    EXPECT_EQ(d.steps, 5);
    // One step each, opened by the document itself; refused commands open none.
    d.insertLabelCommand(500, ProjectLabel::kIndex);
    EXPECT_TRUE(d.deleteTrackCommand(3));
    EXPECT_FALSE(d.deleteTrackCommand(7));
    EXPECT_FALSE(d.removeEffect(CMultitrackerDoc::ChainKind::Master, 0, 0));
    EXPECT_EQ(d.steps, 7);
    // Selection and switches are no edits of the project.
    d.selectAllClips();
    d.toggleActive();
    d.toggleTrackPlayback(0);
    EXPECT_EQ(d.steps, 7);
    EXPECT_TRUE(d.clearedRedo);
}

TEST_F(ClipDocTest, ClipFitsAtOffsetRefusesOnlySwallowingPlaces)
{
    newDoc(1);
    CAudioClip* a = place(0, 0, 1000);
    place(0, 5000, 500);
    EXPECT_TRUE(doc->clipFitsAtOffset(a, 100)); // over its own old place
    EXPECT_TRUE(doc->clipFitsAtOffset(a, 2000));
    EXPECT_TRUE(doc->clipFitsAtOffset(a, 4200));  // a crossfade into the other
    EXPECT_TRUE(doc->clipFitsAtOffset(a, 5200));  // a crossfade out of it
    EXPECT_FALSE(doc->clipFitsAtOffset(a, 4700)); // the other would lie inside
    EXPECT_TRUE(doc->clipFitsAtOffset(a, -500));  // held at 0
    EXPECT_FALSE(a->isSelected());
}

TEST_F(ClipDocTest, SelectionCommands)
{
    newDoc(2);
    CAudioClip* a = place(0, 1000, 100);
    CAudioClip* b = place(0, 1001, 100);
    CAudioClip* c = place(1, 5000, 100);
    doc->setCursor(1000);
    doc->setCurrentTrack(0);
    log.hints.clear();

    doc->selectAllFollowing(false);
    EXPECT_EQ(doc->selectedClips(), std::vector<CAudioClip*>{b});
    doc->selectAllFollowing(true);
    EXPECT_EQ(doc->selectedClips(), (std::vector<CAudioClip*>{b, c}));
    doc->clearClipSelection();
    EXPECT_FALSE(doc->hasSelectedClips());
    doc->selectAllClips();
    EXPECT_EQ(doc->selectedClips(), (std::vector<CAudioClip*>{a, b, c}));
    EXPECT_EQ(log.hints, (std::vector<int>{0, 0, 0, 0}));
}

TEST_F(ClipDocTest, ProjectEndIsTheLatestClipEnd)
{
    newDoc(2);
    EXPECT_EQ(doc->projectEnd(), 0);
    place(0, 0, 5000);
    place(0, 100, 200); // inside the first, last in start order
    EXPECT_EQ(doc->projectEnd(), 5000);
    place(1, 4000, 3000);
    EXPECT_EQ(doc->projectEnd(), 7000);
}

TEST_F(ClipDocTest, ColoursFollowFileNamesAndThePalette)
{
    newDoc(1);
    const uint32_t first = doc->colourForFile(fileOf(100));
    EXPECT_EQ(first, CMultitrackerDoc::kPalette[0]);
    auto clip = openClip(0, 100);
    clip->setColour(first);
    doc->addClipToTrack(0, std::move(clip), false);
    // A file already on a track keeps its colour and the palette does not advance.
    EXPECT_EQ(doc->colourForFile(fileOf(100)), first);
    EXPECT_EQ(doc->nextPaletteIndex(), 1);
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(doc->colourForFile("other" + std::to_string(i)), CMultitrackerDoc::kPalette[size_t(i)]);
    EXPECT_EQ(doc->colourForFile("seventh"), CMultitrackerDoc::kPalette[0]);
}

TEST_F(ClipDocTest, TimeIsInsertedAndRemovedOnEveryTrack)
{
    newDoc(2);
    place(0, 1000, 100);
    place(0, 5000, 100);
    place(1, 3000, 100);
    doc->insertTime(3000, 500);
    EXPECT_EQ(ranges(0), (Ranges{{1000, 1100}, {5500, 5600}}));
    EXPECT_EQ(ranges(1), (Ranges{{3500, 3600}}));
    doc->removeTime({1100, 3100});
    EXPECT_EQ(ranges(0), (Ranges{{1000, 1100}, {3500, 3600}}));
    EXPECT_EQ(ranges(1), (Ranges{{1500, 1600}}));
}

TEST_F(ClipDocTest, PasteLandsOnOffsetTracksThroughTheFreeSearch)
{
    CountingDoc& d = countingDoc(3);
    CAudioClip* a = place(0, 0, 1000);
    CAudioClip* b = place(0, 800, 1000);
    CAudioClip* e = place(1, 200, 500);
    a->setColour(0x123456);
    a->setSelected(true);
    b->setSelected(true);
    e->setSelected(true);
    d.copyClips();
    ASSERT_EQ(d.clipboard().size(), 3u);
    EXPECT_EQ(d.clipboard().referenceTrack(), 0);
    EXPECT_EQ(d.clipboard().referencePosition(), 0);

    // On track 1 a clip sits where the first pasted clip wants to go.
    CAudioClip* existing = place(1, 19500, 1000);
    d.setCursor(20000);
    d.setCurrentTrack(1);
    const int before = d.steps;
    ASSERT_TRUE(d.pasteClips());
    EXPECT_EQ(d.steps, before + 1);
    EXPECT_EQ(ranges(1), (Ranges{{200, 700}, {19500, 20500}, {20500, 21500}, {20800, 21800}}));
    EXPECT_EQ(ranges(2), (Ranges{{20200, 20700}}));
    // The pasted pair keeps its crossfade; the clip already there is left alone.
    const auto& clips = d.trackAt(1)->clips();
    EXPECT_EQ(clips[2]->outgoing()->incoming(), clips[3]);
    EXPECT_FALSE(existing->isSelected());
    EXPECT_EQ(d.selectedClips().size(), 3u);
    EXPECT_EQ(clips[2]->colour(), 0x123456u);
    EXPECT_EQ(clips[2]->fileName(), a->fileName());
    // A file pasted back keeps the colour its clips have.
    EXPECT_EQ(d.colourForFile(a->fileName()), 0x123456u);
}

TEST_F(ClipDocTest, PastedClipsKeepTheirPlacesWhenTheFirstStartsAtTheCursor)
{
    newDoc(2);
    CAudioClip* a = place(0, 0, 1000);
    CAudioClip* b = place(0, 800, 1000);
    CAudioClip* e = place(1, 200, 500);
    a->setSelected(true);
    b->setSelected(true);
    e->setSelected(true);
    doc->copyClips();
    doc->setCursor(50000);
    // The clip from the track below goes to the last track, not past it.
    doc->setCurrentTrack(1);
    ASSERT_TRUE(doc->pasteClips());
    EXPECT_EQ(ranges(1), (Ranges{{200, 700}, {50000, 51000}, {50200, 50700}, {50800, 51800}}));
    EXPECT_EQ(doc->cursor(), 51000);
}

TEST_F(ClipDocTest, CutAndDeleteRemoveTheSelection)
{
    CountingDoc& d = countingDoc(2);
    CAudioClip* a = place(0, 0, 1000);
    place(0, 900, 1000);
    CAudioClip* c = place(1, 0, 500);
    a->setSelected(true);
    c->setSelected(true);
    d.setModified(false);
    log.hints.clear();
    d.cutClips();
    EXPECT_EQ(d.steps, 1);
    EXPECT_EQ(ranges(0), (Ranges{{900, 1900}}));
    EXPECT_EQ(ranges(1), Ranges{});
    EXPECT_EQ(d.trackAt(0)->clips()[0]->incoming(), nullptr);
    EXPECT_TRUE(d.isModified());
    EXPECT_EQ(log.hints.back(), kHintStructure);
    EXPECT_TRUE(d.canPaste());

    // Deleting without a selection changes nothing and opens no step.
    d.deleteSelectedClips();
    EXPECT_EQ(d.steps, 1);
    d.setCursor(3000);
    d.setCurrentTrack(0);
    ASSERT_TRUE(d.pasteClips());
    EXPECT_EQ(ranges(0), (Ranges{{900, 1900}, {3000, 4000}}));
    EXPECT_EQ(ranges(1), (Ranges{{3000, 3500}}));
}

TEST_F(ClipDocTest, PasteSkipsAClipWhoseSourceIsGone)
{
    newDoc(1);
    const std::string path = tmp.file("gone.wav");
    ASSERT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, std::vector<float>(200, 0.1f)));
    auto gone = std::make_unique<CAudioClip>(&doc->format());
    ASSERT_TRUE(gone->openFile(0, path));
    CAudioClip* g = doc->addClipToTrack(0, std::move(gone), false);
    CAudioClip* kept = place(0, 1000, 100);
    g->setSelected(true);
    kept->setSelected(true);
    doc->copyClips();
    doc->clearClipSelection();
    ASSERT_EQ(doc->removeClip(g), 0);
    delete g;
    std::filesystem::remove(path);

    doc->setCursor(10000);
    EXPECT_TRUE(doc->pasteClips());
    EXPECT_EQ(ranges(0), (Ranges{{1000, 1100}, {11000, 11100}}));
    EXPECT_EQ(prompter.entries().size(), 1u);
}

TEST_F(ClipDocTest, InsertAudioFilesChainsFilesWithAnOverlap)
{
    CountingDoc& d = countingDoc(1);
    int starts = 0;
    d.setPeakPollStarter([&] { ++starts; });
    d.setCursor(1000);
    const std::string first = fileOf(30000, 0.25f);
    const std::string second = fileOf(20000, 0.5f);
    const int placed = d.insertAudioFiles({first, tmp.file("missing.wav"), second}, 4410);
    EXPECT_EQ(placed, 2);
    EXPECT_EQ(d.steps, 2);
    ASSERT_EQ(ranges(0), (Ranges{{1000, 31000}, {26590, 46590}}));
    const auto& clips = d.trackAt(0)->clips();
    ASSERT_NE(clips[0]->outgoing(), nullptr);
    EXPECT_EQ(clips[0]->outgoing()->length(), 4410);
    EXPECT_EQ(clips[0]->colour(), CMultitrackerDoc::kPalette[0]);
    // The missing file took the second colour before it failed.
    EXPECT_EQ(clips[1]->colour(), CMultitrackerDoc::kPalette[2]);
    EXPECT_EQ(d.cursor(), 42180);
    // Adding each clip and placing each file both tell the views.
    EXPECT_EQ(log.count(kHintStructure), 4);
    EXPECT_EQ(starts, int(d.clipsAwaitingPeaks().size()));

    // The poll ends once both files have their peaks.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (d.pollPeaks() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(d.clipsAwaitingPeaks().empty());
    EXPECT_EQ(clips[0]->peakProgress(), 100u);
    EXPECT_EQ(clips[1]->peakProgress(), 100u);

    // What the track plays over the overlap is a mix of both files.
    TrackReadCursor* cursor = d.trackAt(0)->createReadCursor();
    std::vector<float> out(size_t(50000) * 2);
    d.trackAt(0)->read(cursor, out.data(), 50000);
    d.trackAt(0)->releaseReadCursor(cursor);
    EXPECT_EQ(out[2 * 999], 0.0f);
    EXPECT_NEAR(out[2 * 10000], 0.25f, 1e-6f);
    EXPECT_NEAR(out[2 * 40000], 0.5f, 1e-6f);
    const float middle = out[2 * (26590 + 2205)];
    EXPECT_GT(middle, 0.26f);
    EXPECT_LT(middle, 0.49f);
}

TEST_F(ClipDocTest, InsertingOneFileMovesTheCursorToItsEnd)
{
    newDoc(0);
    doc->setCursor(500);
    EXPECT_EQ(doc->insertAudioFiles({fileOf(3000)}, 1000), 1);
    // Without tracks one is made first.
    ASSERT_EQ(doc->trackCount(), 1);
    EXPECT_EQ(doc->trackAt(0)->name(), "Untitled");
    EXPECT_EQ(ranges(0), (Ranges{{500, 3500}}));
    EXPECT_EQ(doc->cursor(), 3500);
}

TEST_F(ClipDocTest, FileFilterTextComesFromTheFilter)
{
    newDoc(1);
    std::string text;
    ASSERT_TRUE(doc->fileFilterText(text));
    EXPECT_NE(text.find("*.wav"), std::string::npos);
    PluginHost empty;
    PluginHost::setCurrent(&empty);
    EXPECT_FALSE(doc->fileFilterText(text));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{kClassComMessage});
    PluginHost::setCurrent(&host);
}

TEST_F(ClipDocTest, OverviewCombinesTracksByPower)
{
    newDoc(2);
    doc->setAutoCdTracks(0);
    doc->setProjectLength(441000);
    doc->insertAudioFiles({fileOf(44100, 0.5f, true)}, 0);
    doc->setCursor(0);
    doc->setCurrentTrack(1);
    doc->insertAudioFiles({fileOf(88200, 0.5f, true)}, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (doc->pollPeaks() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));

    std::vector<std::pair<float, float>> overview;
    doc->buildProjectOverview(overview, 100);
    ASSERT_EQ(overview.size(), 100u);
    // Columns of 4410 samples: 0..9 both tracks, 10..19 the second only, then nothing.
    EXPECT_NEAR(overview[5].second, std::sqrt(0.5f), 1e-4f);
    EXPECT_NEAR(overview[5].first, -std::sqrt(0.5f), 1e-4f);
    EXPECT_NEAR(overview[15].second, 0.5f, 1e-4f);
    EXPECT_EQ(overview[50].second, 0.0f);

    doc->setMasterLevelFromGain(2.0);
    doc->buildProjectOverview(overview, 100);
    EXPECT_NEAR(overview[15].second, std::sqrt(0.5f), 1e-3f);
    EXPECT_NEAR(overview[5].second, 1.0f, 1e-3f);
}
