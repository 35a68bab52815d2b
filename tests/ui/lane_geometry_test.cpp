#include "ui/lane_geometry.h"

#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "model/multitracker_doc.h"
#include "model/track.h"

#include <gtest/gtest.h>

#include <memory>

using namespace quillon;

namespace {

class LaneGeometryTest : public ::testing::Test {
protected:
    void addTracks(int count)
    {
        settings.writeProfileInt("General", "StartupTracks", count);
        doc = std::make_unique<CMultitrackerDoc>(settings, prompter);
        doc->onNewDocument();
    }
    MemorySettingsStore settings;
    RecordingPrompter prompter;
    std::unique_ptr<CMultitrackerDoc> doc;
};

} // namespace

TEST_F(LaneGeometryTest, TrackAtYAndTopOfTrackFollowLaneHeights)
{
    addTracks(3);
    EXPECT_EQ(LaneGeometry::trackAtY(*doc, 64), -1);
    EXPECT_EQ(LaneGeometry::trackAtY(*doc, 65), 0);
    EXPECT_EQ(LaneGeometry::trackAtY(*doc, 129), 0);
    EXPECT_EQ(LaneGeometry::trackAtY(*doc, 130), 1);
    doc->trackAt(1)->setHeight(100);
    EXPECT_EQ(LaneGeometry::trackAtY(*doc, 229), 1);
    EXPECT_EQ(LaneGeometry::trackAtY(*doc, 230), 2);
    EXPECT_EQ(LaneGeometry::trackAtY(*doc, 295), -1);
    EXPECT_EQ(LaneGeometry::topOfTrack(*doc, 0), 65);
    EXPECT_EQ(LaneGeometry::topOfTrack(*doc, 2), 230);

    doc->setFirstVisibleTrack(1);
    EXPECT_EQ(LaneGeometry::trackAtY(*doc, 65), 1);
    EXPECT_EQ(LaneGeometry::trackAtY(*doc, 64), -1);
    EXPECT_EQ(LaneGeometry::topOfTrack(*doc, 1), 65);
    EXPECT_EQ(LaneGeometry::topOfTrack(*doc, 2), 165);
    EXPECT_EQ(LaneGeometry::topOfTrack(*doc, 0), 0);
}

TEST_F(LaneGeometryTest, FitTrackHeightsSharesTheAreaAboveSixtyFourPixels)
{
    addTracks(3);
    LaneGeometry::fitTrackHeights(*doc, 300);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(doc->trackAt(i)->height(), 100);
    LaneGeometry::fitTrackHeights(*doc, 194);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(doc->trackAt(i)->height(), 65);
    LaneGeometry::fitTrackHeights(*doc, 195);
    EXPECT_EQ(doc->trackAt(0)->height(), 65);
    LaneGeometry::fitTrackHeights(*doc, 198);
    EXPECT_EQ(doc->trackAt(0)->height(), 66);
    doc->setScaleTrackHeights(0);
    LaneGeometry::fitTrackHeights(*doc, 900);
    EXPECT_EQ(doc->trackAt(2)->height(), 65);
}
