#include "doc_fixture.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace quillon;
using namespace quillon::test;

namespace {

// kind, position, pause, title
using LabelRow = std::tuple<int32_t, int32_t, int32_t, std::string>;

std::vector<LabelRow> rows(CLabelList& list)
{
    std::vector<LabelRow> out;
    CLabelList::Cursor c;
    for (ProjectLabel* l = list.first(c); l; l = list.next(c))
        out.emplace_back(l->kind, l->position, l->pause, l->title);
    return out;
}

std::vector<std::pair<int32_t, int32_t>> splits(CLabelList& list)
{
    std::vector<std::pair<int32_t, int32_t>> out;
    CLabelList::Cursor c;
    for (ProjectLabel* l = list.first(c); l; l = list.next(c))
        if (l->kind == ProjectLabel::kTrackSplit)
            out.emplace_back(l->position, l->pause);
    return out;
}

using Splits = std::vector<std::pair<int32_t, int32_t>>;

void setTitles(CLabelList& list, const std::vector<std::string>& titles)
{
    CLabelList::Cursor c;
    size_t i = 0;
    for (ProjectLabel* l = list.first(c); l && i < titles.size(); l = list.next(c))
        if (l->kind == ProjectLabel::kTrackSplit) {
            l->title = titles[i++];
            l->artist = "by " + l->title;
        }
}

class CdTrackTest : public DocFixture {
protected:
    // Touching clips on one track, an overlap across tracks, then two gaps.
    void gapsAndOverlaps()
    {
        newDoc(3);
        doc->setAutoCdTracks(0);
        place(0, 1000, 4000);
        place(0, 5000, 4000);
        place(1, 8000, 4000);
        place(2, 20000, 5000);
        place(1, 30000, 4000);
    }

    Splits computed()
    {
        CLabelList out;
        doc->computeCdTracks(out);
        return splits(out);
    }
};

} // namespace

TEST_F(CdTrackTest, ComputeGivesOneSplitPerStretchOfAudio)
{
    newDoc(2);
    EXPECT_EQ(computed(), Splits{});

    gapsAndOverlaps();
    // The first pause is the silence before the first clip.
    EXPECT_EQ(computed(), (Splits{{1000, 1000}, {20000, 8000}, {30000, 5000}}));
}

TEST_F(CdTrackTest, ComputeRunsOverTouchingAndCrossfadedClipsOfAnyTrack)
{
    newDoc(3);
    doc->setAutoCdTracks(0);
    place(0, 0, 1000);
    place(1, 1000, 1000); // touches across tracks
    place(1, 1800, 700);  // crossfaded on its own track
    place(0, 2600, 400);  // 100 samples of silence before
    place(2, 2900, 1100); // overlaps across tracks
    place(0, 4002, 998);  // 2 samples of silence before
    // No split falls inside the crossfade at 1800, although the walk over the audio
    // reaches the end of the first clip of track 1 in the middle of a pass.
    EXPECT_EQ(computed(), (Splits{{0, 0}, {2600, 100}, {4002, 2}}));
}

TEST_F(CdTrackTest, SynchronisingWithEqualCountsMovesSplitsAndKeepsTexts)
{
    gapsAndOverlaps();
    doc->synchroniseCdTracks();
    EXPECT_EQ(splits(doc->labels()), (Splits{{1000, 1000}, {20000, 8000}, {30000, 5000}}));
    setTitles(doc->labels(), {"Intro", "Song", "Outro"});

    doc->insertTime(15000, 2000);
    doc->synchroniseCdTracks();
    EXPECT_EQ(rows(doc->labels()), (std::vector<LabelRow>{{0, 1000, 1000, "Intro"},
                                                          {0, 22000, 10000, "Song"},
                                                          {0, 32000, 5000, "Outro"}}));
    CLabelList::Cursor c;
    doc->labels().first(c);
    EXPECT_EQ(doc->labels().next(c)->artist, "by Song");
}

TEST_F(CdTrackTest, SynchronisingMergesByPositionAndLeavesOtherLabels)
{
    gapsAndOverlaps();
    doc->synchroniseCdTracks();
    setTitles(doc->labels(), {"Intro", "Song", "Outro"});
    doc->labels().add(21000, ProjectLabel::kIndex);
    doc->labels().add(31000, ProjectLabel::kFreeLabel, "note");

    // A clip in the gap before "Song" splits it; one after "Outro" adds a CD track.
    place(2, 14000, 2000);
    place(2, 40000, 1000);
    doc->synchroniseCdTracks();
    EXPECT_EQ(rows(doc->labels()), (std::vector<LabelRow>{{0, 1000, 1000, "Intro"},
                                                          {0, 14000, 2000, ""},
                                                          {0, 20000, 4000, "Song"},
                                                          {1, 21000, 0, ""},
                                                          {0, 30000, 5000, "Outro"},
                                                          {2, 31000, 0, "note"},
                                                          {0, 40000, 6000, ""}}));

    // Taking the new clip in the gap away again drops its split, and the split after
    // the gap gets the longer pause back.
    CAudioClip* inGap = doc->trackAt(2)->clips()[0];
    ASSERT_EQ(doc->removeClip(inGap), 2);
    delete inGap;
    doc->synchroniseCdTracks();
    EXPECT_EQ(rows(doc->labels()), (std::vector<LabelRow>{{0, 1000, 1000, "Intro"},
                                                          {0, 20000, 8000, "Song"},
                                                          {1, 21000, 0, ""},
                                                          {0, 30000, 5000, "Outro"},
                                                          {2, 31000, 0, "note"},
                                                          {0, 40000, 6000, ""}}));
}

TEST_F(CdTrackTest, ViewUpdatesSynchroniseWhileAutomaticTracksAreOn)
{
    gapsAndOverlaps();
    // The new empty project had its split at 0 taken away: there is no audio.
    EXPECT_EQ(splits(doc->labels()), Splits{});
    doc->setAutoCdTracks(1);
    doc->updateAllViews(kHintRefresh);
    EXPECT_EQ(splits(doc->labels()), (Splits{{1000, 1000}, {20000, 8000}, {30000, 5000}}));
}

TEST_F(CdTrackTest, AdjustSilenceShortensAndLengthensEveryPause)
{
    gapsAndOverlaps();
    doc->synchroniseCdTracks();
    setTitles(doc->labels(), {"Intro", "Song", "Outro"});
    log.hints.clear();

    // 0.1 s: the first pause grows from 1000, the others shrink.
    doc->adjustSilence(0.1);
    EXPECT_EQ(ranges(0), (Ranges{{4410, 8410}, {8410, 12410}}));
    EXPECT_EQ(ranges(1), (Ranges{{11410, 15410}, {29230, 33230}}));
    EXPECT_EQ(ranges(2), (Ranges{{19820, 24820}}));
    EXPECT_EQ(rows(doc->labels()), (std::vector<LabelRow>{{0, 4410, 4410, "Intro"},
                                                          {0, 19820, 4410, "Song"},
                                                          {0, 29230, 4410, "Outro"}}));
    EXPECT_EQ(log.hints.back(), kHintStructure);
    EXPECT_TRUE(doc->isModified());

    // 0.25 s: all of them grow.
    doc->adjustSilence(0.25);
    EXPECT_EQ(splits(doc->labels()), (Splits{{11025, 11025}, {11025 + 11000 + 11025, 11025},
                                             {11025 + 11000 + 11025 + 5000 + 11025, 11025}}));
    EXPECT_EQ(ranges(2), (Ranges{{33050, 38050}}));
}

TEST_F(CdTrackTest, AdjustSilenceShortensTheLeadIn)
{
    newDoc(1);
    doc->setAutoCdTracks(0);
    place(0, 20000, 1000);
    place(0, 30000, 1000);
    doc->adjustSilence(0.0);
    EXPECT_EQ(ranges(0), (Ranges{{0, 1000}, {1000, 2000}}));
    EXPECT_EQ(splits(doc->labels()), (Splits{{0, 0}}));
}
