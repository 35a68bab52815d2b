// The marker strip tool: label drags between their neighbours and never before 0, kept
// in order; labels dragged off the strip; pauses capped at the gap to the previous
// label; marking a section without an undo step; labels fixed while CD tracks follow
// the arrangement.

#include "model/label_list.h"
#include "model/project_label.h"
#include "ui/marker_strip_tool.h"
#include "ui/ui_fixture.h"

#include <QTest>

namespace quillon::test {
namespace {

constexpr int32_t kPx = 441;

class MarkerStripToolTest : public UiFixture {
protected:
    MarkerStripToolTest()
    {
        doc->setProjectLength(800 * kPx);
        makeView();
        view->setVisibleRange(SampleRange(0, 800 * kPx));
        auto owned = std::make_unique<MarkerStripTool>(*view);
        tool = owned.get();
        view->addTool(std::move(owned));
        doc->labels().removeAll();
        first = doc->labels().add(100 * kPx, ProjectLabel::kFreeLabel, "One");
        second = doc->labels().add(300 * kPx, ProjectLabel::kTrackSplit, "Two", "", 20 * kPx);
        doc->clearUndoHistory();
        doc->setModified(false);
    }

    int x(int32_t position) const { return view->xOf(position); }

    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(view->viewport(), to);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to);
    }

    std::vector<int32_t> positions()
    {
        std::vector<int32_t> out;
        CLabelList::Cursor c;
        for (ProjectLabel* l = doc->labels().first(c); l; l = doc->labels().next(c))
            out.push_back(l->position);
        return out;
    }

    MarkerStripTool* tool = nullptr;
    ProjectLabel* first = nullptr;
    ProjectLabel* second = nullptr;
};

TEST_F(MarkerStripToolTest, ALabelMovesBetweenItsNeighboursAsOneStep)
{
    // The label goes where the mouse is (no grab offset).
    drag(QPoint(x(100 * kPx) + 2, 20), QPoint(x(150 * kPx), 20));
    EXPECT_EQ(first->position, 150 * kPx);
    EXPECT_EQ(doc->cursor(), 150 * kPx);
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
    EXPECT_TRUE(doc->isModified());
    // Up to the next split's pause, not beyond.
    drag(QPoint(x(150 * kPx), 20), QPoint(x(700 * kPx), 20));
    EXPECT_EQ(first->position, 280 * kPx);
    // The first label stops at 0, never before.
    drag(QPoint(x(280 * kPx), 20), QPoint(-200, 20));
    EXPECT_EQ(first->position, 0);
    EXPECT_EQ(positions(), (std::vector<int32_t>{0, 300 * kPx}));
    EXPECT_EQ(doc->undoHistory().undoCount(), 3u);
}

TEST_F(MarkerStripToolTest, ALabelDraggedOffTheStripIsGoneForGood)
{
    drag(QPoint(x(100 * kPx), 20), QPoint(x(100 * kPx), 95));
    EXPECT_EQ(doc->labels().count(), 2);
    EXPECT_EQ(doc->undoHistory().undoCount(), 0u);
    drag(QPoint(x(100 * kPx), 20), QPoint(x(100 * kPx), 96));
    EXPECT_EQ(doc->labels().count(), 1);
    EXPECT_EQ(positions(), (std::vector<int32_t>{300 * kPx}));
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(doc->labels().count(), 2);
}

TEST_F(MarkerStripToolTest, APauseIsCappedAtTheGapToThePreviousLabel)
{
    const int handle = x(300 * kPx) - 3;
    ASSERT_EQ(tool->hitTest(handle, 20), 7);
    ASSERT_EQ(tool->mode(), MarkerStripTool::Mode::Pause);
    drag(QPoint(handle, 20), QPoint(x(250 * kPx), 20));
    EXPECT_EQ(second->pause, 50 * kPx);
    drag(QPoint(x(250 * kPx) - 3, 20), QPoint(0, 20));
    EXPECT_EQ(second->pause, 200 * kPx);
    EXPECT_EQ(doc->undoHistory().undoCount(), 2u);
}

TEST_F(MarkerStripToolTest, MarkingASectionIsNoProjectChange)
{
    drag(QPoint(x(400 * kPx), 20), QPoint(x(500 * kPx), 20));
    EXPECT_EQ(doc->markedSection().begin, 400 * kPx);
    EXPECT_EQ(doc->markedSection().end, 500 * kPx);
    // The end handle, dragged before the start, stops there.
    drag(QPoint(x(500 * kPx), 20), QPoint(x(350 * kPx), 20));
    EXPECT_EQ(doc->markedSection().begin, 400 * kPx);
    EXPECT_EQ(doc->markedSection().end, 400 * kPx);
    EXPECT_EQ(doc->undoHistory().undoCount(), 0u);
}

TEST_F(MarkerStripToolTest, AutomaticCdTracksLeaveLabelsToDoubleClicks)
{
    doc->setAutoCdTracks(1);
    EXPECT_EQ(tool->hitTest(x(100 * kPx) + 2, 20), TimelineTool::kHitDoubleClick);
    doc->setAutoCdTracks(0);
    EXPECT_EQ(tool->hitTest(x(100 * kPx) + 2, 20), 7);
    EXPECT_EQ(tool->tooltipText(), QStringLiteral("Title: One, Artist: (no entry)"));
    EXPECT_EQ(tool->hitTest(x(100 * kPx) + 2, 80), 0); // below the strip
}

} // namespace
} // namespace quillon::test
