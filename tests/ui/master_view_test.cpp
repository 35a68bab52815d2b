// The master strip: the output volume word from the knobs, 64-bit mapping, the hit
// test and range drags, and the overview as drawn.

#include "ui/knob.h"
#include "ui/master_view.h"
#include "ui/ui_fixture.h"

#include <QTest>

namespace quillon::test {
namespace {

QColor px(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

class MasterViewTest : public UiFixture {
protected:
    CMasterView& makeMaster(int width = 800, int height = 101)
    {
        makeView();
        master = std::make_unique<CMasterView>(*doc, *view);
        master->setVolumeSink([this](uint32_t word) { words.push_back(word); });
        master->resize(width, height);
        master->show();
        QApplication::processEvents();
        return *master;
    }
    ~MasterViewTest() override { master.reset(); }

    std::unique_ptr<CMasterView> master;
    std::vector<uint32_t> words;
};

TEST_F(MasterViewTest, KnobsSetTheDeviceVolume)
{
    CMasterView& m = makeMaster();
    EXPECT_EQ(m.volumeKnob()->minimum(), -60);
    EXPECT_EQ(m.volumeKnob()->maximum(), 0);
    EXPECT_EQ(m.panKnob()->minimum(), -100);
    EXPECT_EQ(m.panKnob()->maximum(), 100);

    m.volumeKnob()->setValue(-5);
    QTest::keyClick(m.volumeKnob(), Qt::Key_Down); // -6 dB
    ASSERT_EQ(words.size(), 1u);
    const uint32_t half = uint32_t(0.501187 * 0xFFFF);
    EXPECT_NEAR(double(words[0] & 0xFFFF), half, 1.0);
    EXPECT_NEAR(double(words[0] >> 16), half, 1.0);

    m.panKnob()->setValue(-99);
    QTest::keyClick(m.panKnob(), Qt::Key_Down); // fully left
    ASSERT_EQ(words.size(), 2u);
    EXPECT_NEAR(double(words[1] & 0xFFFF), half, 1.0);
    EXPECT_EQ(words[1] >> 16, 0u);
    EXPECT_EQ(m.masterPan(), -100);
    EXPECT_EQ(m.masterVolume(), -6);
}

TEST_F(MasterViewTest, MappingUsesWideProductsAndAnEmptyProjectMapsToNothing)
{
    CMasterView& m = makeMaster(1000);
    // Six hours at 96 kHz: position x width exceeds 32 bits.
    doc->setProjectLength(96000 * 3600 * 6);
    EXPECT_EQ(m.xOf(doc->projectLength()), 1000);
    EXPECT_EQ(m.xOf(doc->projectLength() / 2), 500);
    EXPECT_EQ(m.samplesFor(1000), doc->projectLength());
    doc->setProjectLength(0);
    EXPECT_EQ(m.xOf(12345), 0);
    EXPECT_EQ(m.samplesFor(10), 0);
    EXPECT_EQ(m.hitTest(10, 40), CMasterView::kDragNone);
    const QImage image = m.renderClient(); // no division by zero
    EXPECT_EQ(px(image, 400, 40), QColor(Qt::black));
}

TEST_F(MasterViewTest, HitTestPrefersTheRightEdge)
{
    doc->setProjectLength(800 * 1000);
    CMasterView& m = makeMaster();
    view->setVisibleRange(SampleRange(100 * 1000, 106 * 1000)); // x 100 .. 106
    ASSERT_EQ(view->visibleRange().begin, 100 * 1000);
    ASSERT_EQ(view->visibleRange().end, 106 * 1000);
    EXPECT_EQ(m.hitTest(103, 40), CMasterView::kDragRight);
    EXPECT_EQ(m.hitTest(96, 40), CMasterView::kDragLeft);
    EXPECT_EQ(m.hitTest(112, 40), CMasterView::kDragNone);
    EXPECT_EQ(m.hitTest(103, CMasterView::kOverviewTop), CMasterView::kDragNone); // on the ruler
    view->setVisibleRange(SampleRange(100 * 1000, 300 * 1000));
    EXPECT_EQ(m.hitTest(200, 40), CMasterView::kDragRange);
    EXPECT_EQ(m.hitTest(105, 40), CMasterView::kDragLeft);
    EXPECT_EQ(m.hitTest(106, 40), CMasterView::kDragRange);
    EXPECT_EQ(m.hitTest(94, 40), CMasterView::kDragNone);
}

TEST_F(MasterViewTest, DraggedRangesKeepTheirOrderAndAMinimumLength)
{
    doc->setProjectLength(800 * 1000);
    CMasterView& m = makeMaster();
    const SampleRange r(100000, 200000);
    // The left edge past the right one stops a sample short, then the range is 40 long.
    const SampleRange past = m.draggedRange(r, CMasterView::kDragLeft, 100, 500);
    EXPECT_EQ(past.begin, 199999);
    EXPECT_EQ(past.end, 199999 + 40);
    const SampleRange right = m.draggedRange(r, CMasterView::kDragRight, 200, 0);
    EXPECT_EQ(right.begin, 100000);
    EXPECT_EQ(right.end, 100040);
    const SampleRange moved = m.draggedRange(r, CMasterView::kDragRange, 150, 160);
    EXPECT_EQ(moved.begin, 110000);
    EXPECT_EQ(moved.end, 210000);
    const SampleRange tiny = m.draggedRange(SampleRange(0, 1000), CMasterView::kDragRight, 10, 10);
    EXPECT_EQ(tiny.length(), 1000);
}

TEST_F(MasterViewTest, DraggingTheRangeMovesTheTimeline)
{
    doc->setProjectLength(800 * 1000);
    CMasterView& m = makeMaster();
    view->setVisibleRange(SampleRange(100 * 1000, 300 * 1000));
    QTest::mousePress(&m, Qt::LeftButton, {}, QPoint(200, 40));
    EXPECT_EQ(m.dragMode(), CMasterView::kDragRange);
    QTest::mouseMove(&m, QPoint(250, 40));
    QTest::mouseRelease(&m, Qt::LeftButton, {}, QPoint(250, 40));
    EXPECT_EQ(view->visibleRange().begin, 150 * 1000);
    EXPECT_EQ(view->visibleRange().end, 350 * 1000);
    EXPECT_EQ(m.dragMode(), CMasterView::kDragNone);
}

TEST_F(MasterViewTest, OverviewBracketsAndCursorAreDrawnInTheirColours)
{
    place(0, 0, 44100 * 4, 0x780000, 0.5f);
    doc->setProjectLength(44100 * 8);
    CMasterView& m = makeMaster(800, 101);
    view->setVisibleRange(SampleRange(44100 * 2, 44100 * 6)); // x 200 .. 600
    doc->setCursor(44100 * 7);                               // x 700
    const QImage image = m.renderClient();
    const int top = CMasterView::kOverviewTop;
    const int bottom = m.overviewBottom();
    const int mid = top + (bottom - top) / 2;
    EXPECT_EQ(px(image, 200, top + 10), QColor(CMasterView::kBracket));
    EXPECT_EQ(px(image, 600, top + 10), QColor(CMasterView::kBracket));
    // The wave of a steady 0.5 rises from just above the middle to a quarter of the
    // band: outside the range in green, inside in navy; no sound after 4 s.
    const int quarter = (bottom - top) / 4;
    for (int y : {mid - 2, mid - quarter + 1}) {
        EXPECT_EQ(px(image, 100, y), QColor(CMasterView::kOutsideWave)) << y;
        EXPECT_EQ(px(image, 300, y), QColor(CMasterView::kInsideWave)) << y;
        EXPECT_EQ(px(image, 500, y), QColor(Qt::white)) << y;
    }
    EXPECT_EQ(px(image, 300, mid + 1), QColor(Qt::white));
    EXPECT_EQ(px(image, 500, mid - 1), QColor(CMasterView::kInsideWave)); // silence: one pixel
    EXPECT_EQ(px(image, 300, mid - quarter - 2), QColor(Qt::white));
    EXPECT_EQ(px(image, 650, top + 3), QColor(Qt::black));
    // The cursor: a dotted XOR line over black.
    EXPECT_EQ(m.cursorX(), 700);
    EXPECT_EQ(px(image, 700, top), QColor(CMasterView::kCursor));
    EXPECT_EQ(px(image, 700, top + 1), QColor(Qt::black));
    // Control area.
    EXPECT_EQ(px(image, 5, bottom + 2), m.palette().color(QPalette::Button));

    // A play-position hint moves only the cursor, restoring what lay under it.
    doc->setCursor(44100 * 7 + 44100 / 2); // x 750
    doc->updateAllViews(kHintPlayPosition);
    const QImage after = m.renderClient();
    EXPECT_EQ(px(after, 700, top), QColor(Qt::black));
    EXPECT_EQ(px(after, 750, top), QColor(CMasterView::kCursor));
}

} // namespace
} // namespace quillon::test
