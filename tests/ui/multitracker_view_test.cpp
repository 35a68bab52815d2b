// The timeline view: mapping, zoom, scroll bars, painting at known pixels, drops,
// keys and the rubber band.

#include "model/crossfade.h"
#include "model/label_list.h"
#include "model/project_label.h"
#include "ui/ui_fixture.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace quillon::test {
namespace {

// 800 pixels of track area over 352 800 samples: one pixel is 441 samples.
constexpr int32_t kPx = 441;
constexpr int32_t kProject = 800 * kPx;

int32_t at(int px) { return px * kPx; }

class ViewTest : public UiFixture {
protected:
    CMultitrackerView& showWholeProject()
    {
        doc->setProjectLength(kProject);
        CMultitrackerView& v = makeView();
        v.setVisibleRange(SampleRange(0, kProject));
        QApplication::processEvents();
        EXPECT_EQ(v.trackArea().left(), 30);
        EXPECT_EQ(v.trackArea().width(), 800);
        return v;
    }

    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QMouseEvent event(type, pos, view->viewport()->mapToGlobal(pos), button, buttons, mods);
        QApplication::sendEvent(view->viewport(), &event);
    }

    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, k, mods);
        QApplication::sendEvent(view.get(), &event);
    }
};

QColor px(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

// Whether a pixel of that colour lies in column x between rows y0 and y1.
bool columnHas(const QImage& image, int x, int y0, int y1, const QColor& colour)
{
    for (int y = y0; y <= y1; ++y)
        if (px(image, x, y) == colour)
            return true;
    return false;
}

TEST_F(ViewTest, MappingBetweenPixelsAndPositions)
{
    CMultitrackerView& v = showWholeProject();
    EXPECT_EQ(v.xOf(0), 30);
    EXPECT_EQ(v.xOf(at(100)), 130);
    EXPECT_EQ(v.xOf(kProject), 830);
    EXPECT_EQ(v.positionAt(30), 0);
    EXPECT_EQ(v.positionAt(130), at(100));
    EXPECT_EQ(v.positionAt(10), -at(20));
    // Far outside the range the pixel stays within what a painter can take.
    v.setVisibleRange(SampleRange(0, 40));
    EXPECT_LT(v.xOf(INT32_MAX), 1 << 29);
}

// Six hours at 96 kHz: position x width and range x pixel leave 32 bits.
TEST_F(ViewTest, MappingOfALongProjectAtAHighRate)
{
    CMultitrackerView& v = showWholeProject();
    const int32_t length = 96000 * 3600 * 6;
    doc->setProjectLength(length);
    v.setVisibleRange(SampleRange(0, length));
    EXPECT_EQ(v.xOf(length), 830);
    EXPECT_EQ(v.xOf(length / 2), 430);
    EXPECT_EQ(v.positionAt(430), length / 2);
    EXPECT_EQ(v.positionAt(830), length);
}

TEST_F(ViewTest, ZoomInHalvesAroundTheCursorAndStopsBelowFortySamples)
{
    CMultitrackerView& v = makeView();
    doc->setCursor(1000000);
    v.setVisibleRange(SampleRange(800000, 1200000));
    v.zoomIn();
    EXPECT_EQ(v.visibleRange(), SampleRange(900000, 1100000));

    v.setVisibleRange(SampleRange(999981, 1000020));
    ASSERT_EQ(v.visibleRange().length(), 39);
    v.zoomIn();
    EXPECT_EQ(v.visibleRange(), SampleRange(999981, 1000020));

    // A cursor near the start: the halved range is moved back inside the project.
    doc->setCursor(10);
    v.setVisibleRange(SampleRange(0, 400000));
    v.zoomIn();
    EXPECT_EQ(v.visibleRange(), SampleRange(0, 200000));
}

TEST_F(ViewTest, ZoomOutDoublesAndIsClampedToTheProject)
{
    CMultitrackerView& v = makeView();
    doc->setProjectLength(1000000);
    v.setVisibleRange(SampleRange(0, 400000));
    v.zoomOut();
    EXPECT_EQ(v.visibleRange(), SampleRange(0, 800000));
    v.zoomOut();
    EXPECT_EQ(v.visibleRange(), SampleRange(0, 1000000));
    // The wheel zooms out on a negative turn and in on a positive one.
    QWheelEvent in(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    doc->setCursor(500000);
    QApplication::sendEvent(v.viewport(), &in);
    EXPECT_EQ(v.visibleRange(), SampleRange(250000, 750000));
}

TEST_F(ViewTest, ViewWholeProjectShowsTheContentWithRoomOrTheProjectWhenEmpty)
{
    CMultitrackerView& v = makeView();
    v.viewWholeProject();
    EXPECT_EQ(v.visibleRange(), SampleRange(0, doc->projectLength()));
    place(0, 0, 44100);
    place(1, 44100, 44100);
    v.viewWholeProject();
    EXPECT_EQ(v.visibleRange(), SampleRange(0, 97020));
}

TEST_F(ViewTest, ShowOnlyMarkedSectionNeedsMoreThanTwentySamples)
{
    CMultitrackerView& v = makeView();
    v.setVisibleRange(SampleRange(0, 441000));
    doc->setMarkedSection(SampleRange(1000, 1020));
    EXPECT_FALSE(v.canShowMarkedSection());
    v.showOnlyMarkedSection();
    EXPECT_EQ(v.visibleRange(), SampleRange(0, 441000));
    doc->setMarkedSection(SampleRange(1000, 1021));
    EXPECT_TRUE(v.canShowMarkedSection());
    v.showOnlyMarkedSection();
    EXPECT_EQ(v.visibleRange(), SampleRange(1000, 1021));
}

TEST_F(ViewTest, HorizontalScrollBarRangesAndSteps)
{
    CMultitrackerView& v = makeView();
    doc->setProjectLength(4410000);
    v.setVisibleRange(SampleRange(441000, 882000));
    CMultitrackerView::HorizontalScroll s = v.horizontalScroll();
    EXPECT_TRUE(s.visible);
    EXPECT_EQ(s.maximum, 32767);
    EXPECT_EQ(s.page, 3276);
    EXPECT_EQ(s.position, 3276);
    EXPECT_TRUE(v.horizontalScrollBar()->isVisible());

    v.scrollHorizontally(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(v.visibleRange(), SampleRange(446512, 887512));
    v.scrollHorizontally(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(v.visibleRange(), SampleRange(5512, 446512));
    v.scrollHorizontally(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(v.visibleRange(), SampleRange(0, 441000));
    v.scrollHorizontally(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(v.visibleRange(), SampleRange(3969000, 4410000));
    v.scrollHorizontally(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(v.visibleRange(), SampleRange(0, 441000));
    v.scrollHorizontally(QAbstractSlider::SliderMove, 1000);
    EXPECT_EQ(v.visibleRange(), SampleRange(134000, 575000));

    // The whole project in view, or a project of length 0, hides the bar.
    v.setVisibleRange(SampleRange(0, 4410000));
    EXPECT_FALSE(v.horizontalScroll().visible);
    EXPECT_FALSE(v.horizontalScrollBar()->isVisible());
    doc->setProjectLength(0);
    v.setVisibleRange(SampleRange(0, 0));
    EXPECT_FALSE(v.horizontalScroll().visible);
}

TEST_F(ViewTest, VerticalScrollBarCountsTrackHeights)
{
    CMultitrackerView& v = showWholeProject();
    EXPECT_FALSE(v.verticalScroll().visible);
    for (int i = 0; i < 3; ++i)
        doc->insertTrack(doc->trackCount(), std::make_unique<CTrack>("T"));
    CMultitrackerView::VerticalScroll s = v.verticalScroll();
    EXPECT_TRUE(s.visible);
    EXPECT_EQ(s.range, 5 * 65);
    EXPECT_EQ(s.page, v.trackArea().height());
    EXPECT_EQ(s.position, 0);

    v.scrollVertically(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(doc->firstVisibleTrack(), 1);
    EXPECT_EQ(v.verticalScroll().position, 65);
    v.scrollVertically(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(doc->firstVisibleTrack(), 3);
    v.scrollVertically(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(doc->firstVisibleTrack(), 4);
    v.scrollVertically(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(doc->firstVisibleTrack(), 0);
    v.scrollVertically(QAbstractSlider::SliderMove, 140);
    EXPECT_EQ(doc->firstVisibleTrack(), 2);

    // Once every track fits again the first visible track returns to 0.
    for (int i = 0; i < 3; ++i)
        doc->deleteTrack(doc->trackCount() - 1);
    EXPECT_FALSE(v.verticalScroll().visible);
    EXPECT_EQ(doc->firstVisibleTrack(), 0);
}

TEST_F(ViewTest, HintsScaleOrReplaceTheVisibleRange)
{
    CMultitrackerView& v = makeView();
    v.setVisibleRange(SampleRange(1000, 3000));
    HintPayload rate;
    rate.rateRatio = 2.0f;
    doc->hints().broadcast(kHintRateChanged, &rate);
    EXPECT_EQ(v.visibleRange(), SampleRange(2000, 6000));
    HintPayload range;
    range.range = SampleRange(50, 150);
    doc->hints().broadcast(kHintVisibleRange, &range);
    EXPECT_EQ(v.visibleRange(), SampleRange(50, 150));
}

class ViewPaintTest : public ViewTest {
protected:
    void SetUp() override
    {
        showWholeProject();
        a = place(0, at(100), at(200), 0x0000b0); // x 130 .. 330
        b = place(0, at(280), at(200), 0x0000b0); // x 310 .. 510, 20 pixels of crossfade
        c = place(1, at(600), at(100), 0x007800); // x 630 .. 730
        ASSERT_NE(a->outgoing(), nullptr);
        a->outgoing()->setShape(kCrossfadeLinear);
        c->setSelected(true);
        doc->setMarkedSection(SampleRange(at(50), at(80)));
        doc->setCursor(at(550));
        doc->setCurrentTrack(-1);
        doc->labels().add(at(200), ProjectLabel::kIndex);
        doc->labels().add(at(400), ProjectLabel::kTrackSplit, "Second", "", at(40));
        doc->labels().add(at(500), ProjectLabel::kIndex, "Solo");
        doc->labels().add(at(700), ProjectLabel::kFreeLabel, "Intro");
        image = view->renderClient();
    }

    CAudioClip* a = nullptr;
    CAudioClip* b = nullptr;
    CAudioClip* c = nullptr;
    QImage image;
};

const QColor kAlternate(214, 214, 214); // the face colour x 1.07

TEST_F(ViewPaintTest, TopStripBandsPausesMarkedSectionAndCorner)
{
    // First CD track (from the split at 0) in the alternate colour, the second in the face.
    EXPECT_EQ(px(image, 50, 45), kAlternate);
    EXPECT_EQ(px(image, 450, 45), kFace);
    // The pause before the second CD track.
    EXPECT_EQ(px(image, 395, 45), kShadow);
    EXPECT_EQ(px(image, 429, 45), kShadow);
    EXPECT_EQ(px(image, 389, 45), kAlternate);
    // Past the content end (730) the next band's colour.
    EXPECT_EQ(px(image, 780, 45), kAlternate);
    // The marked section x(start) .. x(end) inclusive.
    EXPECT_EQ(px(image, 80, 45), kHighlight);
    EXPECT_EQ(px(image, 110, 45), kHighlight);
    EXPECT_EQ(px(image, 111, 45), kAlternate);
    EXPECT_EQ(px(image, 79, 45), kAlternate);
    // The separator line and the corner.
    EXPECT_EQ(px(image, 500, 64), QColor(Qt::black));
    EXPECT_EQ(px(image, 5, 5), kShadow);
    EXPECT_EQ(px(image, 30, 40), kShadow);
}

TEST_F(ViewPaintTest, TrackBandsClipBodiesAndColours)
{
    // Track 0 (65 .. 129): white top line, shadow bottom line, bands as in the strip.
    EXPECT_EQ(px(image, 50, 65), QColor(Qt::white));
    EXPECT_EQ(px(image, 50, 129), kShadow);
    EXPECT_EQ(px(image, 50, 100), kAlternate);
    EXPECT_EQ(px(image, 560, 100), kFace);

    // Clip A, unselected: edges in black, body not filled, silent waveform in its colour
    // on the middle row of each channel lane.
    EXPECT_EQ(px(image, 150, 65), QColor(Qt::black));
    EXPECT_EQ(px(image, 150, 129), QColor(Qt::black));
    EXPECT_EQ(px(image, 130, 100), QColor(Qt::black));
    EXPECT_EQ(px(image, 150, 75), kAlternate);
    EXPECT_EQ(px(image, 200, 65 + 16), QColor(176, 0, 0));
    EXPECT_EQ(px(image, 200, 65 + 32 + 16), QColor(176, 0, 0));

    // Clip C, selected: filled with (colour + 3 x 255) / 4, edges doubled inwards.
    const QColor fill(191, 221, 191);
    EXPECT_EQ(px(image, 700, 140), fill);
    EXPECT_EQ(px(image, 650, 130), QColor(Qt::black));
    EXPECT_EQ(px(image, 650, 131), QColor(Qt::black));
    EXPECT_EQ(px(image, 650, 193), QColor(Qt::black));
    EXPECT_EQ(px(image, 631, 140), QColor(Qt::black));
    EXPECT_EQ(px(image, 728, 140), QColor(Qt::black));
    EXPECT_EQ(px(image, 727, 140), fill);

    // Below the last track: a black line, then the shadow.
    EXPECT_EQ(px(image, 500, 195), QColor(Qt::black));
    EXPECT_EQ(px(image, 500, 200), kShadow);
}

TEST_F(ViewPaintTest, CrossfadeShapeAcrossTheOverlap)
{
    // Overlap 280 .. 300 samples/441: drawn from x 309 to 329; linear, so both curves
    // cross at the middle of the band.
    const QColor red(160, 0, 0);
    EXPECT_TRUE(columnHas(image, 319, 95, 99, red));
    EXPECT_FALSE(columnHas(image, 319, 66, 90, red));
    // A tenth of the way in, g = 0.1: the rising curve near the bottom, the falling
    // one near the top.
    EXPECT_TRUE(columnHas(image, 311, 69, 73, red));
    EXPECT_TRUE(columnHas(image, 311, 122, 126, red));
    EXPECT_FALSE(columnHas(image, 311, 76, 118, red));
    // No left edge line where a crossfade comes in.
    EXPECT_NE(px(image, 310, 100), QColor(Qt::black));
}

TEST_F(ViewPaintTest, PlayCursorIsADottedXorLineOverEveryTrack)
{
    const int x = 30 + 550;
    const QRgb mask = qRgb(0, 192, 192) & 0xffffff;
    auto xored = [&](const QColor& under) { return QColor((under.rgb() ^ mask) | 0xff000000); };
    EXPECT_EQ(px(image, x, 65), xored(Qt::white));
    EXPECT_EQ(px(image, x, 66), kFace);
    EXPECT_EQ(px(image, x, 67), xored(kFace));
    EXPECT_EQ(px(image, x, 130), xored(Qt::white));
    // Not in the top strip.
    EXPECT_EQ(px(image, x, 45), kFace);

    // A cursor move redraws only the line: the old place is clean again.
    doc->setCursor(at(560));
    doc->hints().broadcast(kHintPlayPosition);
    const QImage moved = view->grab().toImage();
    EXPECT_EQ(px(moved, x, 67), kFace);
    EXPECT_EQ(px(moved, x + 10, 67), xored(kFace));
}

TEST_F(ViewPaintTest, LabelRectanglesAndNumbering)
{
    const std::vector<CMultitrackerView::LabelBox> boxes = view->labelBoxes();
    ASSERT_EQ(boxes.size(), 5u);
    std::vector<QString> texts;
    for (const auto& box : boxes)
        texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<QString>{"CD Track 1", "CD Index 1", "CD Track 2 - Second", "CD Index 1 - Solo",
                                            "Intro"}));
    EXPECT_EQ(boxes[0].rect, QRect(QPoint(30, 3), QPoint(229, 64)));
    EXPECT_EQ(boxes[2].rect, QRect(QPoint(430, 3), QPoint(529, 64)));
    EXPECT_EQ(boxes[4].rect, QRect(QPoint(730, 3), QPoint(829, 64)));
    EXPECT_EQ(boxes[2].pauseText, "Pause 0m 00s:400");
    EXPECT_EQ(boxes[2].pauseLeft, 390);
    EXPECT_EQ(boxes[2].pauseRight, 430);
    // The split's flag is drawn at the rectangle's top left.
    EXPECT_EQ(px(image, 430, 5), QColor(Qt::black));

    // A label whose rectangle lies left of the track area is not drawn.
    view->setVisibleRange(SampleRange(at(250), at(250) + kProject / 2));
    EXPECT_EQ(view->labelBoxes().front().text, "CD Index 1");
}

TEST_F(ViewTest, ClipTextBoxInTheClipColour)
{
    doc->setShowClipText(1);
    CMultitrackerView& v = showWholeProject();
    place(0, at(100), at(200), 0x0000b0);
    const QImage image = v.renderClient();
    // The box (131, 66) .. (330, 80) is mostly clip colour, the rest the white path.
    int colour = 0;
    int white = 0;
    for (int y = 66; y <= 80; ++y)
        for (int x = 131; x < 330; ++x) {
            colour += px(image, x, y) == QColor(176, 0, 0);
            white += qGray(image.pixel(x, y)) > 200;
        }
    EXPECT_GT(colour, 200 * 15 / 2);
    EXPECT_GT(white, 50);
    EXPECT_EQ(px(image, 131, 81), QColor(176, 0, 0)); // the waveform below it
}

TEST_F(ViewTest, InactiveTracksDrawClipsInTheFaceAndTextColours)
{
    CMultitrackerView& v = showWholeProject();
    CAudioClip* clip = place(0, at(100), at(200), 0x0000b0);
    clip->setSelected(true);
    doc->trackAt(0)->setActive(false);
    doc->setCurrentTrack(-1);
    const QImage image = v.renderClient();
    EXPECT_EQ(px(image, 200, 70), kAlternate);
    EXPECT_EQ(px(image, 200, 65 + 16), kText);
    // Not doubled on an inactive track.
    EXPECT_EQ(px(image, 200, 65), QColor(Qt::black));
    EXPECT_EQ(px(image, 200, 66), kAlternate);
}

TEST_F(ViewTest, GridLinesAtEveryBeatWhenFewerThanEightyAreVisible)
{
    CMultitrackerView& v = showWholeProject();
    v.setShowGrid(true);
    doc->setCurrentTrack(-1);
    // 8 seconds at 120 BPM: 16 beats, one every 50 pixels.
    QImage image = v.renderClient();
    const QColor grid(160, 160, 160);
    EXPECT_TRUE(columnHas(image, 80, 90, 110, grid));
    // Without clips the whole lane is past the content end: the band after the first.
    EXPECT_TRUE(columnHas(image, 80, 90, 110, kFace));
    EXPECT_TRUE(columnHas(image, 130, 90, 110, grid));
    EXPECT_FALSE(columnHas(image, 90, 66, 128, grid));
    doc->setProjectLength(44100 * 60);
    v.setVisibleRange(SampleRange(0, 44100 * 60));
    image = v.renderClient();
    for (int x = 31; x < 830; ++x)
        ASSERT_NE(px(image, x, 100), QColor(160, 160, 160)) << x;
}

TEST_F(ViewTest, ADroppedFileBecomesAClipAtTheDropPosition)
{
    CMultitrackerView& v = showWholeProject();
    doc->setCursor(at(5));
    const QString file = QString::fromStdString(fileOf(44100, 0.25f));
    EXPECT_TRUE(v.dropFile(file, QPoint(130, 65 + 65 + 10)));
    ASSERT_EQ(doc->trackAt(1)->clips().size(), 1u);
    const CAudioClip* clip = doc->trackAt(1)->clips().front();
    EXPECT_EQ(clip->start(), at(100));
    EXPECT_EQ(clip->end(), at(100) + 44100);
    EXPECT_EQ(clip->colour(), CMultitrackerDoc::kPalette[0]);
    EXPECT_EQ(doc->currentTrack(), 1);
    EXPECT_EQ(doc->cursor(), at(5));
    EXPECT_TRUE(doc->trackAt(0)->clips().empty());

    // Below the tracks, in the top strip, or a file that is no audio: nothing.
    EXPECT_FALSE(v.dropFile(file, QPoint(130, 220)));
    EXPECT_FALSE(v.dropFile(file, QPoint(130, 30)));
    const std::string junk = tmp.file("junk.wav");
    FILE* f = std::fopen(junk.c_str(), "wb");
    std::fputs("not audio", f);
    std::fclose(f);
    EXPECT_FALSE(v.dropFile(QString::fromStdString(junk), QPoint(300, 80)));
    EXPECT_TRUE(doc->trackAt(0)->clips().empty());
}

TEST_F(ViewTest, UpAndDownMoveTheCurrentTrackAndCarryTheSelection)
{
    CMultitrackerView& v = showWholeProject();
    CAudioClip* first = place(0, at(100), at(50));
    place(1, at(20), at(50));
    CAudioClip* later = place(1, at(120), at(50));
    doc->setCurrentTrack(0);
    first->setSelected(true);
    key(Qt::Key_Down);
    EXPECT_EQ(doc->currentTrack(), 1);
    EXPECT_TRUE(later->isSelected());
    EXPECT_FALSE(first->isSelected());
    key(Qt::Key_Down);
    EXPECT_EQ(doc->currentTrack(), 1);
    key(Qt::Key_Left);
    EXPECT_FALSE(later->isSelected());
    EXPECT_TRUE(doc->trackAt(1)->clips().front()->isSelected());
    key(Qt::Key_Left);
    EXPECT_TRUE(doc->trackAt(1)->clips().front()->isSelected());
    key(Qt::Key_Up);
    EXPECT_EQ(doc->currentTrack(), 0);
    EXPECT_TRUE(first->isSelected());
    (void)v;
}

TEST_F(ViewTest, LeftAndRightPassOverAClipThatOverlapsTheSelectedOne)
{
    showWholeProject();
    CAudioClip* a = place(0, at(100), at(50));
    CAudioClip* b = place(0, at(140), at(60)); // crossfades with a
    CAudioClip* c = place(0, at(200), at(50)); // starts where b ends
    doc->setCurrentTrack(0);
    const struct {
        CAudioClip* from;
        int key;
        CAudioClip* to;
    } rows[] = {
        {a, Qt::Key_Right, c}, {b, Qt::Key_Right, c}, {c, Qt::Key_Right, c},
        {c, Qt::Key_Left, b},  {b, Qt::Key_Left, b},  {a, Qt::Key_Left, a},
    };
    for (const auto& row : rows) {
        doc->clearClipSelection();
        row.from->setSelected(true);
        key(row.key);
        const std::vector<CAudioClip*> selected = doc->selectedClips();
        ASSERT_EQ(selected.size(), 1u);
        EXPECT_EQ(selected.front(), row.to) << "from " << row.from->start() / kPx << " key " << row.key;
    }
}

TEST_F(ViewTest, RubberBandSelectsClipsInTimeAndTracksAndClearsTheMarking)
{
    CMultitrackerView& v = showWholeProject();
    CAudioClip* a = place(0, at(100), at(50));
    CAudioClip* b = place(1, at(200), at(50));
    CAudioClip* outside = place(1, at(500), at(50));
    doc->setMarkedSection(SampleRange(at(10), at(20)));
    mouse(QEvent::MouseButtonPress, QPoint(110, 80), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(doc->cursor(), at(80));
    mouse(QEvent::MouseMove, QPoint(260, 150), Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(a->isSelected());
    EXPECT_TRUE(b->isSelected());
    EXPECT_FALSE(outside->isSelected());
    mouse(QEvent::MouseMove, QPoint(260, 90), Qt::NoButton, Qt::LeftButton);
    EXPECT_FALSE(b->isSelected());
    mouse(QEvent::MouseButtonRelease, QPoint(260, 90), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(doc->markedSection(), SampleRange(at(80), at(80)));
    // A plain click elsewhere deselects; with Ctrl the selection stays.
    mouse(QEvent::MouseButtonPress, QPoint(700, 80), Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
    mouse(QEvent::MouseButtonRelease, QPoint(700, 80), Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);
    EXPECT_TRUE(a->isSelected());
    mouse(QEvent::MouseButtonPress, QPoint(700, 80), Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, QPoint(700, 80), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(a->isSelected());
    (void)v;
}

TEST_F(ViewTest, PlayCommandsWithoutATransportDoNothing)
{
    CMultitrackerView& v = showWholeProject();
    key(Qt::Key_Space);
    EXPECT_FALSE(v.isPlaying());
    EXPECT_FALSE(v.playTimerActive());
}

TEST_F(ViewTest, DeleteTrackAsksAndKeepsTheLastTrack)
{
    CMultitrackerView& v = showWholeProject();
    prompter.queueAnswer(false);
    v.deleteTrack();
    EXPECT_EQ(doc->trackCount(), 2);
    ASSERT_EQ(prompter.entries().size(), 1u);
    doc->setCurrentTrack(1);
    prompter.queueAnswer(true);
    v.deleteTrack();
    EXPECT_EQ(doc->trackCount(), 1);
    EXPECT_FALSE(v.canDeleteTrack());
    v.deleteTrack();
    EXPECT_EQ(doc->trackCount(), 1);
}

TEST_F(ViewTest, LabelInsertionOnlyWhileCdTracksAreSetByHand)
{
    CMultitrackerView& v = showWholeProject();
    doc->setCursor(at(300));
    v.insertCdTrackSplit();
    v.insertCdIndex();
    EXPECT_EQ(doc->labels().count(), 3);
    doc->setAutoCdTracks(1);
    EXPECT_FALSE(v.canInsertLabels());
    v.insertCdIndex();
    EXPECT_EQ(doc->labels().count(), 3);
}

} // namespace
} // namespace quillon::test
