// The clip tool in the timeline: moves across tracks (and below the last one), the
// selection rules of a click, resizing to no less than a frame, the crossfade menu,
// deleting, and an undo step only for a real change.

#include "model/crossfade.h"
#include "ui/lane_geometry.h"
#include "ui/clip_tool.h"
#include "ui/ui_fixture.h"
#include "support/modal_answer.h"

#include <QColorDialog>

#include <QMenu>
#include <QTest>

namespace quillon::test {
namespace {

constexpr int32_t kPx = 441;

class ClipToolTest : public UiFixture {
protected:
    ClipToolTest()
    {
        doc->setProjectLength(800 * kPx);
        makeView();
        view->setVisibleRange(SampleRange(0, 800 * kPx));
        auto owned = std::make_unique<ClipTool>(*view);
        tool = owned.get();
        view->addTool(std::move(owned));
    }

    // The middle of a lane and the x of a position.
    int laneY(int32_t track) const { return LaneGeometry::topOfTrack(*doc, track) + 30; }
    int x(int32_t position) const { return view->xOf(position); }

    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = {})
    {
        QTest::mousePress(view->viewport(), Qt::LeftButton, mods, from);
        QTest::mouseMove(view->viewport(), to);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, mods, to);
    }

    ClipTool* tool = nullptr;
};

TEST_F(ClipToolTest, AClipDraggedToAnotherTrackAndPastTheLastOneStaysThere)
{
    CAudioClip* clip = place(0, 100 * kPx, 100 * kPx);
    doc->clearUndoHistory();
    drag(QPoint(x(150 * kPx), laneY(0)), QPoint(x(200 * kPx), laneY(1)));
    EXPECT_EQ(doc->trackOfClip(clip), 1);
    EXPECT_EQ(clip->start(), 150 * kPx);
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
    // Below every lane: the track reached holds.
    drag(QPoint(x(200 * kPx), laneY(1)), QPoint(x(210 * kPx), 1000));
    EXPECT_EQ(doc->trackOfClip(clip), 1);
    EXPECT_EQ(clip->start(), 160 * kPx);
    // Never before 0.
    drag(QPoint(x(200 * kPx), laneY(1)), QPoint(0, laneY(1)));
    EXPECT_EQ(clip->start(), 0);
    EXPECT_EQ(doc->undoHistory().undoCount(), 3u);
    ASSERT_TRUE(doc->undo());
    ASSERT_TRUE(doc->undo());
    ASSERT_TRUE(doc->undo());
    ASSERT_EQ(doc->trackAt(0)->clips().size(), 1u);
    EXPECT_EQ(doc->trackAt(0)->clips()[0]->start(), 100 * kPx);
}

TEST_F(ClipToolTest, ClicksSelectWithoutAnUndoStep)
{
    CAudioClip* a = place(0, 0, 50 * kPx);
    CAudioClip* b = place(0, 100 * kPx, 50 * kPx);
    a->setSelected(true);
    b->setSelected(true);
    doc->clearUndoHistory();
    doc->setModified(false);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(x(120 * kPx), laneY(0)));
    EXPECT_TRUE(a->isSelected());
    EXPECT_FALSE(b->isSelected());
    b->setSelected(true);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(x(120 * kPx), laneY(0)));
    EXPECT_FALSE(a->isSelected());
    EXPECT_TRUE(b->isSelected());
    EXPECT_EQ(doc->undoHistory().undoCount(), 0u);
    EXPECT_FALSE(doc->isModified());
}

TEST_F(ClipToolTest, HoveringLeavesTheMarkedSectionAlone)
{
    place(0, 0, 50 * kPx);
    doc->setMarkedSection(SampleRange(10, 5000));
    EXPECT_EQ(tool->hitTest(x(20 * kPx), laneY(0)), 7);
    EXPECT_EQ(doc->markedSection().end, 5000);
}

TEST_F(ClipToolTest, ResizingKeepsAtLeastOneFrame)
{
    CAudioClip* clip = place(0, 100 * kPx, 100 * kPx);
    doc->clearUndoHistory();
    ASSERT_EQ(tool->hitTest(x(200 * kPx), laneY(0)), 7);
    EXPECT_TRUE(tool->onResizeHandle());
    drag(QPoint(x(200 * kPx), laneY(0)), QPoint(x(150 * kPx), laneY(0)));
    EXPECT_EQ(clip->start(), 100 * kPx);
    EXPECT_EQ(clip->end(), 150 * kPx);
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
    // Past the start: never less than a frame (or, where the filter cannot stretch
    // that far, the message and the clip as it was).
    drag(QPoint(x(150 * kPx), laneY(0)), QPoint(x(50 * kPx), laneY(0)));
    EXPECT_EQ(clip->start(), 100 * kPx);
    EXPECT_GE(clip->length(), 1);
    EXPECT_EQ(doc->trackOfClip(clip), 0);
    EXPECT_EQ(doc->undoHistory().undoCount(), 2u);
}

TEST_F(ClipToolTest, TheCrossfadeMenuChecksTheShapeAndSetsANewOneAsOneStep)
{
    place(0, 0, 100 * kPx);
    CAudioClip* b = place(0, 80 * kPx, 100 * kPx);
    ASSERT_NE(b->incoming(), nullptr);
    doc->setCrossfadeShape(b->incoming()->outgoing(), kCrossfadeLogarithmic);
    view->renderClient();
    doc->clearUndoHistory();
    ASSERT_NE(tool->hitTest(x(90 * kPx), laneY(0)), 0);
    ASSERT_TRUE(tool->inCrossfade());
    QMenu* menu = tool->contextMenu();
    ASSERT_NE(menu, nullptr);
    QString checked;
    for (QAction* a : menu->actions())
        if (a->isChecked())
            checked = a->text();
    EXPECT_EQ(checked, QStringLiteral("&Logarithmic Crossfade"));
    EXPECT_FALSE(tool->menuCommand(ClipTool::kShapeCommands[kCrossfadeLogarithmic])); // already so
    EXPECT_TRUE(tool->menuCommand(ClipTool::kShapeCommands[kCrossfadeSinusoidal]));
    EXPECT_EQ(b->incoming()->shape(), kCrossfadeSinusoidal);
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
}

TEST_F(ClipToolTest, DeletingTheClickedClipIsOneStepAndLeavesThePeakPoll)
{
    CAudioClip* clip = place(0, 0, 100 * kPx);
    place(0, 200 * kPx, 100 * kPx);
    doc->clearUndoHistory();
    ASSERT_NE(tool->hitTest(x(50 * kPx), laneY(0)), 0);
    EXPECT_TRUE(tool->menuCommand(ClipTool::kCommandDelete));
    EXPECT_EQ(doc->trackAt(0)->clips().size(), 1u);
    const auto& waiting = doc->clipsAwaitingPeaks();
    EXPECT_EQ(std::find(waiting.begin(), waiting.end(), clip), waiting.end());
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
}

// The crossfades follow an edit at its end: a stretched clip reaching its neighbour
// gets one, and a deleted clip no longer joins the ones it stood between.
TEST_F(ClipToolTest, ResizingAndDeletingRebuildTheCrossfades)
{
    CAudioClip* a = place(0, 0, 100 * kPx);
    CAudioClip* b = place(0, 150 * kPx, 100 * kPx);
    CAudioClip* c = place(0, 230 * kPx, 100 * kPx);
    ASSERT_EQ(b->incoming(), nullptr);
    ASSERT_NE(c->incoming(), nullptr);
    drag(QPoint(x(100 * kPx), laneY(0)), QPoint(x(180 * kPx), laneY(0)));
    ASSERT_EQ(a->end(), 180 * kPx);
    ASSERT_NE(b->incoming(), nullptr);
    EXPECT_EQ(b->incoming()->outgoing(), a);

    ASSERT_NE(tool->hitTest(x(200 * kPx), laneY(0)), 0);
    ASSERT_EQ(tool->hitClip(), b);
    EXPECT_TRUE(tool->menuCommand(ClipTool::kCommandDelete));
    EXPECT_EQ(a->outgoing(), nullptr); // a ends at 180, c starts at 230
    EXPECT_EQ(c->incoming(), nullptr);
}

TEST_F(ClipToolTest, ANewColourGoesToEverySelectedClipAsOneStepAndTheSameColourToNone)
{
    CAudioClip* a = place(0, 0, 100 * kPx, 0x780000);
    CAudioClip* b = place(1, 200 * kPx, 100 * kPx, 0x780000);
    CAudioClip* c = place(1, 400 * kPx, 100 * kPx, 0x007800);
    a->setSelected(true);
    b->setSelected(true);
    doc->clearUndoHistory();
    doc->setModified(false);
    ASSERT_NE(tool->hitTest(x(250 * kPx), laneY(1)), 0);
    answerModal<QColorDialog>([](QColorDialog& d) {
        EXPECT_EQ(d.currentColor(), QColor(0x00, 0x00, 0x78)); // 0x00BBGGRR 0x780000 is dark blue
        d.setCurrentColor(QColor(0x10, 0x20, 0x30));
        d.accept();
    });
    EXPECT_TRUE(tool->menuCommand(ClipTool::kCommandColour));
    EXPECT_EQ(a->colour(), 0x302010u);
    EXPECT_EQ(b->colour(), 0x302010u);
    EXPECT_EQ(c->colour(), 0x007800u);
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
    EXPECT_TRUE(doc->isModified());

    answerModal<QColorDialog>([](QColorDialog& d) { d.accept(); });
    EXPECT_FALSE(tool->menuCommand(ClipTool::kCommandColour));
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
}

TEST(ClipToolNames, TooltipIsTheBareFileName)
{
    EXPECT_EQ(ClipTool::shortName("/home/a/Music/Song.one.wav"), QStringLiteral("Song.one"));
    EXPECT_EQ(ClipTool::shortName("C:\\Music\\Intro.mp3"), QStringLiteral("Intro"));
    EXPECT_EQ(ClipTool::shortName("plain"), QStringLiteral("plain"));
}

} // namespace
} // namespace quillon::test
