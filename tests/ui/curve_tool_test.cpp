// The curve tool in the timeline: point drags bounded by the neighbours, one undo step
// per real change and none for a plain click, points and curves removed by dragging
// off the lane, the line adding points, texts and menu commands.

#include "model/curve.h"
#include "model/curve_point.h"
#include "ui/curve_tool.h"
#include "ui/ui_fixture.h"

#include <QMenu>
#include <QTest>

namespace quillon::test {
namespace {

constexpr int32_t kPx = 441;

class CurveToolTest : public UiFixture {
protected:
    CurveToolTest()
    {
        doc->setProjectLength(800 * kPx);
        makeView();
        view->setVisibleRange(SampleRange(0, 800 * kPx));
        auto owned = std::make_unique<CurveTool>(*view);
        tool = owned.get();
        view->addTool(std::move(owned));
        doc->setCurrentTrack(0);
        EXPECT_TRUE(doc->addVolumeCurve());
        curve = doc->trackAt(0)->curve(CCurve::kVolume);
        curve->removeAllPoints();
        a = curve->addPoint(100 * kPx, 1.0f);
        b = curve->addPoint(200 * kPx, 0.5f);
        c = curve->addPoint(300 * kPx, 1.0f);
        view->renderClient(); // gives the curve its rectangle
        doc->clearUndoHistory();
        doc->setModified(false);
    }

    QPoint at(const CurvePoint* p) const
    {
        const CurvePixel px = curve->pointToPixel(*p);
        return QPoint(px.x, px.y);
    }

    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(view->viewport(), to);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to);
    }

    CurveTool* tool = nullptr;
    CCurve* curve = nullptr;
    CurvePoint* a = nullptr;
    CurvePoint* b = nullptr;
    CurvePoint* c = nullptr;
};

TEST_F(CurveToolTest, APointStopsOneSampleShortOfItsNeighbourInOneUndoStep)
{
    const QPoint from = at(b);
    drag(from, QPoint(at(c).x() + 40, from.y()));
    EXPECT_EQ(b->position, 300 * kPx - 1);
    EXPECT_EQ(curve->pointAfter(b), c);
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
    EXPECT_TRUE(doc->isModified());
    ASSERT_TRUE(doc->undo());
    const CCurve* restored = doc->trackAt(0)->curve(CCurve::kVolume);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->pointAfter(restored->firstPoint())->position, 200 * kPx);
}

TEST_F(CurveToolTest, APlainClickOnAPointChangesNothingAndOpensNoStep)
{
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at(b));
    EXPECT_EQ(b->position, 200 * kPx);
    EXPECT_EQ(doc->undoHistory().undoCount(), 0u);
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(view->selectedCurve(), curve);
}

TEST_F(CurveToolTest, DraggingBelowTheLaneRemovesThePointAndTheLastOneTheCurve)
{
    const int bottom = curve->displayRect().bottom;
    drag(at(a), QPoint(at(a).x(), bottom - 1)); // still on the lane
    EXPECT_EQ(curve->pointCount(), 3);
    doc->clearUndoHistory();
    drag(at(b), QPoint(at(b).x(), bottom + 2));
    EXPECT_EQ(curve->pointCount(), 2);
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);

    curve->removePoint(c);
    view->renderClient();
    drag(at(a), QPoint(at(a).x(), bottom + 2));
    EXPECT_FALSE(doc->trackAt(0)->hasCurve(CCurve::kVolume));
    EXPECT_EQ(view->selectedCurve(), nullptr);
    ASSERT_TRUE(doc->undo());
    EXPECT_TRUE(doc->trackAt(0)->hasCurve(CCurve::kVolume));
}

TEST_F(CurveToolTest, AClickOnTheLineAddsAPointThere)
{
    // Halfway between a (1.0) and b (0.5) the line runs at 0.75.
    const QPoint mid((at(a).x() + at(b).x()) / 2, (at(a).y() + at(b).y()) / 2);
    ASSERT_EQ(tool->hitTest(mid.x(), mid.y()), TimelineTool::kHitDrag | TimelineTool::kHitMenu);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, mid);
    EXPECT_EQ(curve->pointCount(), 4);
    const CurvePoint* added = curve->pointAfter(a);
    EXPECT_NEAR(added->position, 150 * kPx, kPx);
    EXPECT_NEAR(added->value, 0.75f, 0.05f);
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
}

TEST_F(CurveToolTest, InactiveTracksAreNotHit)
{
    doc->trackAt(0)->setActive(false);
    EXPECT_EQ(tool->hitTest(at(b).x(), at(b).y()), 0);
    doc->trackAt(0)->setActive(true);
    EXPECT_EQ(tool->hitTest(at(b).x(), at(b).y()), 7);
    EXPECT_EQ(tool->hitPoint(), b);
    EXPECT_EQ(tool->tooltipText(), QStringLiteral("Vol: -6 dB"));
}

TEST(CurveToolTexts, PointValuesInTheirUnits)
{
    EXPECT_EQ(CurveTool::pointText(CCurve::kVolume, 1.0f), QStringLiteral("Vol: 0 dB"));
    EXPECT_EQ(CurveTool::pointText(CCurve::kVolume, 0.0f), QStringLiteral("Vol: -144 dB"));
    EXPECT_EQ(CurveTool::pointText(CCurve::kVolume, 0.01f), QStringLiteral("Vol: -40 dB"));
    EXPECT_EQ(CurveTool::pointText(CCurve::kPan, 0.5f), QStringLiteral("Pan: 0 %"));
    EXPECT_EQ(CurveTool::pointText(CCurve::kPan, 0.0f), QStringLiteral("Pan: -100 %"));
    EXPECT_EQ(CurveTool::pointText(CCurve::kPan, 0.26f), QStringLiteral("Pan: -48 %"));
}

TEST_F(CurveToolTest, MenuCommandsAreOneStepEach)
{
    ASSERT_EQ(tool->hitTest(at(b).x(), at(b).y()), 7);
    QMenu* menu = tool->contextMenu();
    ASSERT_NE(menu, nullptr);
    QList<int> ids;
    for (QAction* action : menu->actions())
        ids << action->data().toInt();
    EXPECT_EQ(ids, (QList<int>{7865, 7864, 7866, 7867}));

    EXPECT_TRUE(tool->menuCommand(CurveTool::kCommandRemovePoint));
    EXPECT_EQ(curve->pointCount(), 2);
    ASSERT_NE(tool->hitTest(at(a).x(), at(a).y()), 0);
    EXPECT_TRUE(tool->menuCommand(CurveTool::kCommandResetCurve));
    ASSERT_EQ(curve->pointCount(), 1);
    EXPECT_EQ(curve->firstPoint()->position, 0);
    EXPECT_EQ(curve->firstPoint()->value, 1.0f);
    EXPECT_EQ(doc->undoHistory().undoCount(), 2u);
    view->renderClient();
    ASSERT_NE(tool->hitTest(at(curve->firstPoint()).x() + 20, at(curve->firstPoint()).y()), 0);
    EXPECT_TRUE(tool->menuCommand(CurveTool::kCommandRemoveCurve));
    EXPECT_FALSE(doc->trackAt(0)->hasCurve(CCurve::kVolume));
    EXPECT_EQ(doc->undoHistory().undoCount(), 3u);
}

} // namespace
} // namespace quillon::test
