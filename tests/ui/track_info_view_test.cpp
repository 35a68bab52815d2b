// The track headers: geometry and colours in the rendered picture, slider texts,
// the meters' lag and fall, slider drags as single undo steps that survive undo, row
// links, groups and the delete button.

#include "model/playback_control.h"
#include "ui/lane_geometry.h"
#include "ui/track_info_view.h"
#include "ui/ui_fixture.h"

#include <QMenu>
#include <QPainter>
#include <QTest>

namespace quillon::test {
namespace {

constexpr int kWidth = 150;

QColor px(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

// Counts stops, playing until told to stop.
class CountingPlayback : public PlaybackControl {
public:
    void stopPlayback() override
    {
        ++stops;
        playing = false;
    }
    bool isPlaying() const override { return playing; }
    int stops = 0;
    bool playing = true;
};

class TrackInfoViewTest : public UiFixture {
protected:
    CTrackInfoView& makeHeaders(int height = 65 + 2 * 65)
    {
        headers = std::make_unique<CTrackInfoView>(*doc, nullptr);
        headers->resize(kWidth, height);
        headers->show();
        QApplication::processEvents();
        return *headers;
    }
    ~TrackInfoViewTest() override { headers.reset(); }

    QPoint sliderPoint(int32_t track, int row, float v)
    {
        const auto r = CTrackInfoView::rectsFor(kWidth, LaneGeometry::topOfTrack(*doc, track), false).slider[size_t(row)];
        return QPoint(r.left() + 4 + int(std::lround(v * (r.width() - 47))), r.center().y());
    }

    void drag(const QPoint& from, const QPoint& to)
    {
        QTest::mousePress(headers.get(), Qt::LeftButton, {}, from);
        QTest::mouseMove(headers.get(), to);
        QTest::mouseRelease(headers.get(), Qt::LeftButton, {}, to);
    }

    std::unique_ptr<CTrackInfoView> headers;
};

TEST_F(TrackInfoViewTest, HeadersLineUpWithTheLanes)
{
    doc->trackAt(0)->setHeight(80);
    CTrackInfoView& v = makeHeaders(400);
    ASSERT_EQ(v.headers().size(), 3u);
    EXPECT_EQ(v.headers()[0].track, -1);
    EXPECT_EQ(v.headers()[0].y, 0);
    EXPECT_EQ(v.headers()[1].y, 65);
    EXPECT_EQ(v.headers()[2].y, 145);
    doc->setFirstVisibleTrack(1);
    doc->updateAllViews(kHintRefresh);
    ASSERT_EQ(v.headers().size(), 2u);
    EXPECT_EQ(v.headers()[1].track, 1);
    EXPECT_EQ(v.headers()[1].y, 65);
}

TEST_F(TrackInfoViewTest, TitlesAreGradientsOfTheirState)
{
    doc->trackAt(1)->setActive(false);
    CTrackInfoView& v = makeHeaders();
    const QImage image = v.renderClient();
    struct Row {
        int y;
        QColor left, right;
    };
    for (const Row& r : {Row{0, QColor(120, 0, 0), QColor(187, 127, 127)},
                         Row{65, QColor(0, 120, 0), QColor(127, 187, 127)},
                         Row{130, QColor(192, 192, 192), QColor(223, 223, 223)}}) {
        // The first column and the last (row 14 lies below the text and the button).
        EXPECT_EQ(px(image, 0, r.y + 14), r.left) << r.y;
        EXPECT_EQ(px(image, kWidth - 1, r.y + 14), r.right) << r.y;
        // Halfway, halfway between the two.
        const QColor mid = px(image, (kWidth - 1) / 2, r.y + 14);
        EXPECT_NEAR(mid.red(), (r.left.red() + r.right.red()) / 2, 1) << r.y;
        EXPECT_NEAR(mid.green(), (r.left.green() + r.right.green()) / 2, 1) << r.y;
    }
    // White title text somewhere in the master title.
    bool white = false;
    for (int x = 3; x < 40 && !white; ++x)
        for (int y = 1; y < 14 && !white; ++y)
            white = px(image, x, y) == QColor(Qt::white);
    EXPECT_TRUE(white);
}

struct SliderCase {
    bool pan;
    float value;
    const char* text;
};

class SliderTexts : public TrackInfoViewTest, public ::testing::WithParamInterface<SliderCase> {};

TEST_P(SliderTexts, ShowTheValueInItsUnit)
{
    CTrackInfoView& v = makeHeaders();
    const SliderCase c = GetParam();
    if (c.pan)
        doc->trackAt(0)->setPan(c.value);
    else
        doc->trackAt(0)->setVolume(c.value);
    EXPECT_EQ(v.sliderText(0, c.pan ? 1 : 0), QString::fromLatin1(c.text));
}

INSTANTIATE_TEST_SUITE_P(Values, SliderTexts,
                         ::testing::Values(SliderCase{false, 0.0f, "-oo dB"}, SliderCase{false, 40.0f / 52.0f, "0 dB"},
                                           SliderCase{false, 1.0f, "12 dB"}, SliderCase{false, 0.01f, "-39 dB"},
                                           SliderCase{true, 0.5f, "0 %"}, SliderCase{true, 0.0f, "-100 %"},
                                           SliderCase{true, 1.0f, "100 %"}, SliderCase{true, 0.26f, "-48 %"}));

TEST(TrackLevelMeterTest, RunsFourteenFeedsLateAndFallsSlowly)
{
    TrackLevelMeter m;
    m.feed(1.0f);
    for (int i = 0; i < 13; ++i) {
        m.feed(0.0f);
        EXPECT_EQ(m.level(), 0.0f) << i;
    }
    m.feed(0.0f);
    EXPECT_FLOAT_EQ(m.level(), 1.0f);
    m.feed(0.0f);
    EXPECT_FLOAT_EQ(m.level(), 0.98f);
    m.feed(0.0f);
    EXPECT_FLOAT_EQ(m.level(), 0.96f);
    EXPECT_FLOAT_EQ(m.previousLevel(), 0.98f);

    // The level scale: 0.001 is silence, 0.5 about -6 dB.
    for (auto [peak, level] : {std::pair{0.001f, 0.0f}, std::pair{0.5f, 0.89965f}, std::pair{1.0f, 1.0f}}) {
        TrackLevelMeter fresh;
        for (int i = 0; i < TrackLevelMeter::kRing; ++i)
            fresh.feed(peak);
        EXPECT_NEAR(fresh.level(), level, 1e-4) << peak;
    }
    m.reset();
    EXPECT_EQ(m.level(), 0.0f);
    EXPECT_EQ(m.previousLevel(), -1.0f);
    EXPECT_TRUE(m.isDirty());
}

TEST(TrackLevelMeterTest, DrawsTheBarFromGreenToRedAndMirrorsTheLeftChannel)
{
    TrackLevelMeter m;
    for (int i = 0; i < TrackLevelMeter::kRing; ++i)
        m.feed(0.5f); // level ~0.9
    QImage image(200, 20, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        m.draw(p, QRect(0, 0, 60, 12), false, true);
        m.draw(p, QRect(100, 0, 60, 12), true, true);
    }
    EXPECT_FALSE(m.isDirty());
    const int w = 60;
    EXPECT_EQ(px(image, 1, 0), QColor(158, 158, 131)); // frame
    EXPECT_EQ(px(image, 4, 5), QColor(Qt::white));     // every third column
    EXPECT_EQ(px(image, 3, 5), QColor(0, 153, 0));      // low: green
    // m = 53 lies below 60 x 0.9: t = 0.78, red capped at 0.6, green 1 - t.
    EXPECT_EQ(px(image, 53, 5), TrackLevelMeter::columnColour(53, w, m.level()));
    EXPECT_EQ(px(image, 53, 5), QColor(153, 56, 0));
    EXPECT_EQ(px(image, 56, 5), QColor(228, 228, 220)); // above the level
    // Mirrored: column m at x = w - m.
    EXPECT_EQ(px(image, 100 + w - 3, 5), QColor(0, 153, 0));
    EXPECT_EQ(px(image, 100 + w - 56, 5), QColor(228, 228, 220));

    // A later draw touches only the columns between the old and the new level.
    TrackLevelMeter falling;
    falling.feed(1.0f);
    for (int i = 0; i < 14; ++i)
        falling.feed(0.0f);
    falling.feed(0.0f); // 1.0 -> 0.98: columns 57 and 58
    image.fill(Qt::black);
    {
        QPainter p(&image);
        falling.draw(p, QRect(0, 0, 60, 12), false);
    }
    EXPECT_EQ(px(image, 3, 5), QColor(Qt::black));
    EXPECT_EQ(px(image, 56, 5), QColor(Qt::black));
    EXPECT_EQ(px(image, 57, 5), TrackLevelMeter::columnColour(57, w, 0.98f));
    EXPECT_NE(px(image, 57, 5), QColor(Qt::black));
}

TEST_F(TrackInfoViewTest, PlayPositionHintsFeedTheMetersAndPlaybackOverResetsThem)
{
    CTrackInfoView& v = makeHeaders();
    doc->setTrackPeaks(1, 1.0f, 0.0f);
    doc->masterPeakRight().store(1.0f);
    for (int i = 0; i < TrackLevelMeter::kRing; ++i)
        doc->updateAllViews(kHintPlayPosition);
    EXPECT_FLOAT_EQ(v.meter(1, 0).level(), 1.0f);
    EXPECT_FLOAT_EQ(v.meter(1, 1).level(), 0.0f);
    EXPECT_FLOAT_EQ(v.meter(-1, 1).level(), 1.0f);
    // The full left meter of track 2 is drawn: its right end (mirrored) shows red.
    const QImage image = v.renderClient();
    const QRect left = CTrackInfoView::rectsFor(kWidth, 130, false).leftMeter;
    EXPECT_EQ(px(image, left.left() + 2, left.top() + 5),
              TrackLevelMeter::columnColour(left.width() - 2, left.width(), 1.0f));
    doc->updateAllViews(kHintPlaybackOver);
    EXPECT_EQ(v.meter(1, 0).level(), 0.0f);
    EXPECT_EQ(v.meter(-1, 1).level(), 0.0f);
}

TEST_F(TrackInfoViewTest, ASliderDragIsOneUndoStepAndAPlainClickNone)
{
    makeHeaders();
    doc->clearUndoHistory();
    doc->setModified(false);
    // Press on the current value: nothing changes, nothing recorded.
    doc->trackAt(0)->setVolume(0.5f);
    QTest::mouseClick(headers.get(), Qt::LeftButton, {}, sliderPoint(0, 0, 0.5f));
    EXPECT_EQ(doc->undoHistory().undoCount(), 0u);
    EXPECT_FALSE(doc->isModified());

    drag(sliderPoint(0, 0, 0.25f), sliderPoint(0, 0, 1.0f));
    EXPECT_FLOAT_EQ(doc->trackAt(0)->volume(), 1.0f);
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
    EXPECT_TRUE(doc->isModified());
    // Beyond the ends clamps.
    drag(sliderPoint(1, 1, 0.5f), QPoint(-300, sliderPoint(1, 1, 0.0f).y()));
    EXPECT_EQ(doc->trackAt(1)->pan(), 0.0f);
    EXPECT_EQ(doc->undoHistory().undoCount(), 2u);

    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(doc->trackAt(1)->pan(), 0.5f);
    ASSERT_TRUE(doc->undo());
    EXPECT_FLOAT_EQ(doc->trackAt(0)->volume(), 0.5f);
}

TEST_F(TrackInfoViewTest, RowsFollowTheProjectThroughUndo)
{
    CTrackInfoView& v = makeHeaders();
    v.rowMenuCommand(0, 1, CTrackInfoView::kMenuAddGroup);
    ASSERT_EQ(doc->groupCount(), 1);
    EXPECT_EQ(v.rowLink(0, 1).kind, CTrackInfoView::Link::Group);
    EXPECT_EQ(v.rowLabel(0, 1), QStringLiteral("FX G1"));
    drag(sliderPoint(0, 1, 0.1f), sliderPoint(0, 1, 0.75f));
    EXPECT_NEAR(doc->sendLevel(0, 0), 0.75f, 0.01f);

    // Undo replaces tracks and groups; the row still reaches the send of the new ones.
    ASSERT_TRUE(doc->undo());
    ASSERT_EQ(doc->groupCount(), 1);
    EXPECT_EQ(doc->sendLevel(0, 0), 0.0f);
    drag(sliderPoint(0, 1, 0.0f), sliderPoint(0, 1, 0.5f));
    EXPECT_NEAR(doc->sendLevel(0, 0), 0.5f, 0.01f);
    // Undo past the group: the row falls back to pan.
    ASSERT_TRUE(doc->undo());
    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(doc->groupCount(), 0);
    EXPECT_EQ(v.rowLink(0, 1).kind, CTrackInfoView::Link::Pan);
    EXPECT_EQ(v.rowLabel(0, 1), QStringLiteral("Pan"));
}

TEST_F(TrackInfoViewTest, RowMenusOfferTheLinksAndResetRestoresTheDefault)
{
    CTrackInfoView& v = makeHeaders();
    doc->addGroup();
    doc->addGroup();
    v.rowMenuCommand(1, 0, CTrackInfoView::kMenuGroupBase + 1);
    auto menu = v.rowMenu(1, 0);
    QStringList texts;
    QList<int> ids;
    QString checked;
    for (QAction* a : menu->actions()) {
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        ids << a->data().toInt();
        if (a->isChecked())
            checked = a->text();
    }
    EXPECT_EQ(texts, (QStringList{"Volume", "Pan", "Assignable Effect Group 1", "Assignable Effect Group 2", "-",
                                  "Add Assignable Effect Group", "&Edit Assignable Effect Groups...", "-", "Reset"}));
    EXPECT_EQ(ids.mid(0, 4), (QList<int>{1, 2, 6, 7}));
    EXPECT_EQ(checked, QStringLiteral("Assignable Effect Group 2"));
    auto master = v.rowMenu(-1, 0);
    ASSERT_EQ(master->actions().size(), 1);
    EXPECT_EQ(master->actions()[0]->data().toInt(), CTrackInfoView::kMenuReset);

    doc->clearUndoHistory();
    doc->trackAt(0)->setPan(0.1f);
    doc->setMasterLevel(0.2f);
    v.rowMenuCommand(0, 1, CTrackInfoView::kMenuReset);
    v.rowMenuCommand(-1, 0, CTrackInfoView::kMenuReset);
    v.rowMenuCommand(-1, 0, CTrackInfoView::kMenuReset); // already there: no step
    EXPECT_EQ(doc->trackAt(0)->pan(), 0.5f);
    EXPECT_FLOAT_EQ(doc->masterLevel(), 40.0f / 52.0f);
    EXPECT_EQ(doc->undoHistory().undoCount(), 2u);
}

TEST_F(TrackInfoViewTest, RemovingAGroupStopsPlaybackAndMovesLaterLinksDown)
{
    CountingPlayback playback;
    doc->setPlaybackControl(&playback);
    CTrackInfoView& v = makeHeaders();
    doc->addGroup();
    doc->addGroup();
    v.setRowLink(0, 0, {CTrackInfoView::Link::Group, 1});
    v.setRowLink(1, 1, {CTrackInfoView::Link::Group, 0});
    EXPECT_TRUE(v.removeGroup(0));
    EXPECT_EQ(playback.stops, 1);
    EXPECT_EQ(doc->groupCount(), 1);
    EXPECT_EQ(v.rowLink(0, 0), (CTrackInfoView::RowLink{CTrackInfoView::Link::Group, 0}));
    EXPECT_EQ(v.rowLink(1, 1).kind, CTrackInfoView::Link::Pan);
    EXPECT_FALSE(v.removeGroup(3));
    doc->setPlaybackControl(nullptr);
}

TEST_F(TrackInfoViewTest, DeleteButtonAsksAndKeepsTheLastTrack)
{
    makeHeaders();
    doc->clearUndoHistory();
    const QRect del = CTrackInfoView::rectsFor(kWidth, 130, false).del;
    prompter.queueAnswer(false);
    QTest::mouseClick(headers.get(), Qt::LeftButton, {}, del.center());
    EXPECT_EQ(doc->trackCount(), 2);
    prompter.queueAnswer(true);
    QTest::mouseClick(headers.get(), Qt::LeftButton, {}, del.center());
    EXPECT_EQ(doc->trackCount(), 1);
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
    ASSERT_EQ(prompter.entries().size(), 2u);
    EXPECT_EQ(prompter.entries()[1].text,
              "This operation deletes the track and its entire content. Are you sure you want to proceed?");
    // The last track stays, without a question.
    QTest::mouseClick(headers.get(), Qt::LeftButton, {},
                      CTrackInfoView::rectsFor(kWidth, 65, false).del.center());
    EXPECT_EQ(doc->trackCount(), 1);
    EXPECT_EQ(prompter.entries().size(), 2u);
}

TEST_F(TrackInfoViewTest, InactiveTracksKeepTheirSliders)
{
    doc->trackAt(0)->setActive(false);
    makeHeaders();
    const float before = doc->trackAt(0)->volume();
    drag(sliderPoint(0, 0, 0.1f), sliderPoint(0, 0, 0.9f));
    EXPECT_EQ(doc->trackAt(0)->volume(), before);
    EXPECT_EQ(doc->currentTrack(), 0);
}

} // namespace
} // namespace quillon::test
