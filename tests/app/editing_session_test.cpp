// A whole editing session with the mouse in the main window: a clip dragged to another
// track, trimmed and its crossfade given another shape, curve points added and
// dragged, a label moved and a CD track renamed through its dialog, a track's volume
// and pan set on its header. Every gesture is one undo step, and undoing them one by
// one gives back the saved file byte for byte. The track context menu is checked here
// as well, as the main window builds it.

#include "app/app_fixture.h"
#include "app/main_frame.h"
#include "app/quillon_app.h"
#include "model/audio_clip.h"
#include "model/crossfade.h"
#include "model/curve.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/project_label.h"
#include "model/track.h"
#include "support/modal_answer.h"
#include "support/test_audio.h"
#include "ui/command_ids.h"
#include "ui/label_properties_dialog.h"
#include "ui/lane_geometry.h"
#include "ui/multitracker_view.h"
#include "ui/track_info_view.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QThread>

#include <fstream>
#include <iterator>

namespace quillon::test {
namespace {

constexpr int32_t kRate = 44100;

std::vector<char> bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Picks the item of the next popup menu whose text is `text`, as a user would with
// the keyboard, so that the menu's exec() returns it.
void chooseFromNextMenu(const QString& text)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, text] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer->stop();
        timer->deleteLater();
        for (QAction* a : menu->actions())
            if (a->text() == text) {
                menu->setActiveAction(a);
                QTest::keyClick(menu, Qt::Key_Return);
                return;
            }
        menu->close();
    });
    timer->start();
}

class EditingSessionTest : public AppFixture {
protected:
    EditingSessionTest()
    {
        settings.writeProfileInt("General", "StartupTracks", 2);
        settings.writeProfileInt("General", "AutoTracks", 0);
        settings.writeProfileInt("View", "ScaleTrackHeights", 0);
        settings.writeProfileInt("View", "ShowClipText", 0);
        app = std::make_unique<CQuillonApp>(settings, prompter, folder("program"), folder("data"));
        EXPECT_TRUE(app->initInstance({}, false));
        frame().resize(1200, 700);
        frame().show();
        QApplication::processEvents();
    }
    ~EditingSessionTest() override { app.reset(); }

    CMainFrame& frame() { return *app->frame(); }
    CMultitrackerDoc& doc() { return *app->document(); }
    CMultitrackerView& view() { return *frame().view(); }
    QWidget* lanes() { return view().viewport(); }

    CAudioClip* place(int32_t track, double start, double seconds)
    {
        const std::string path = tmp.file("clip" + std::to_string(++m_files) + ".wav");
        TestTone tone;
        tone.frames = int64_t(seconds * kRate);
        EXPECT_TRUE(writeTone(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, tone));
        auto clip = std::make_unique<CAudioClip>(&doc().format());
        EXPECT_TRUE(clip->openFile(int32_t(start * kRate), path));
        clip->setColour(doc().colourForFile(path));
        CAudioClip* raw = doc().addClipToTrack(track, std::move(clip), false);
        QElapsedTimer t;
        t.start();
        while (raw && raw->peakProgress() < 100 && t.elapsed() < 10000)
            QThread::msleep(5);
        return raw;
    }

    int x(double seconds) { return view().xOf(int32_t(seconds * kRate)); }
    int laneTop(int32_t track) { return LaneGeometry::topOfTrack(doc(), track); }
    // The picture the screen shows; it also gives the curves their rectangles.
    void paint() { view().renderClient(); }

    void drag(QWidget* w, QPoint from, QPoint to)
    {
        QTest::mousePress(w, Qt::LeftButton, {}, from);
        QTest::mouseMove(w, to);
        QTest::mouseRelease(w, Qt::LeftButton, {}, to);
        paint();
    }

    size_t steps() const { return app->document()->undoHistory().undoCount(); }

    std::unique_ptr<CQuillonApp> app;

private:
    int m_files = 0;
};

TEST_F(EditingSessionTest, EveryGestureIsOneStepAndUndoingThemAllGivesBackTheSavedFile)
{
    place(0, 0.0, 2.0);
    CAudioClip* b = place(0, 1.5, 2.0);
    CAudioClip* c = place(1, 5.0, 1.0);
    ASSERT_NE(b->incoming(), nullptr);
    doc().setCurrentTrack(1);
    ASSERT_TRUE(doc().addVolumeCurve());
    doc().labels().add(4 * kRate, ProjectLabel::kFreeLabel, "Verse");
    doc().setCursor(0);
    view().setVisibleRange(SampleRange(0, 8 * kRate));
    paint();
    const std::string saved = tmp.file("session.vpf");
    ASSERT_TRUE(frame().saveProject(QString::fromStdString(saved)));
    const size_t base = steps();

    // A clip dragged from the second track to the first, at the same time.
    drag(lanes(), {x(5.5), laneTop(1) + 30}, {x(5.5), laneTop(0) + 30});
    ASSERT_EQ(doc().trackOfClip(c), 0);
    EXPECT_EQ(c->start(), 5 * kRate);
    EXPECT_EQ(steps(), base + 1);

    // Trimmed by its right edge.
    drag(lanes(), {x(6.0) - 2, laneTop(0) + 30}, {x(5.6), laneTop(0) + 30});
    EXPECT_LT(c->length(), kRate);
    EXPECT_GT(c->length(), kRate / 2);
    EXPECT_EQ(steps(), base + 2);

    // The crossfade into the second clip becomes logarithmic.
    chooseFromNextMenu(QStringLiteral("&Logarithmic Crossfade"));
    QTest::mousePress(lanes(), Qt::RightButton, {}, {x(1.75), laneTop(0) + 30});
    ASSERT_NE(b->incoming(), nullptr);
    EXPECT_EQ(b->incoming()->shape(), kCrossfadeLogarithmic);
    EXPECT_EQ(steps(), base + 3);

    // Two points clicked onto the volume line of the emptied second track, one dragged.
    CCurve* curve = doc().trackAt(1)->curve(CCurve::kVolume);
    ASSERT_NE(curve, nullptr);
    paint();
    const int lineY = laneTop(1) + 3;
    QTest::mouseClick(lanes(), Qt::LeftButton, {}, {x(1.0), lineY});
    paint();
    QTest::mouseClick(lanes(), Qt::LeftButton, {}, {x(3.0), lineY});
    paint();
    ASSERT_EQ(curve->pointCount(), 3);
    EXPECT_EQ(steps(), base + 5);
    CurvePoint* last = curve->lastPoint();
    const CurvePixel px = curve->pointToPixel(*last);
    drag(lanes(), {px.x, px.y}, {px.x + 20, px.y + 30});
    EXPECT_LT(last->value, 0.8f);
    EXPECT_GT(last->position, 3 * kRate);
    EXPECT_EQ(steps(), base + 6);

    // The label moved along the strip.
    CLabelList::Cursor walk;
    ProjectLabel* split = doc().labels().first(walk);
    ProjectLabel* verse = doc().labels().next(walk);
    ASSERT_NE(verse, nullptr);
    drag(lanes(), {x(4.0) + 3, 30}, {x(4.5), 30});
    EXPECT_NEAR(verse->position, 4.5 * kRate, kRate / 20);
    EXPECT_EQ(steps(), base + 7);

    // The first CD track renamed through its dialog.
    answerModal<LabelPropertiesDialog>([](LabelPropertiesDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Track Split Properties"));
        d.titleEdit()->setText(QStringLiteral("Opening"));
        d.accept();
    });
    QTest::mouseDClick(lanes(), Qt::LeftButton, {}, {x(0.0) + 3, 30});
    EXPECT_EQ(split->title, "Opening");
    EXPECT_EQ(steps(), base + 8);

    // Volume and pan of the first track on its header.
    CTrackInfoView* headers = frame().trackHeaders();
    const CTrackInfoView::Header* header = nullptr;
    for (const CTrackInfoView::Header& h : headers->headers())
        if (h.track == 0)
            header = &h;
    ASSERT_NE(header, nullptr);
    const CTrackInfoView::HeaderRects r = CTrackInfoView::rectsFor(headers->width(), header->y, false);
    const QPoint volumeFrom = r.slider[0].center();
    drag(headers, volumeFrom, volumeFrom - QPoint(20, 0));
    const QPoint panFrom = r.slider[1].center();
    drag(headers, panFrom, panFrom + QPoint(15, 0));
    EXPECT_NE(doc().trackAt(0)->volume(), 40.0f / 52.0f);
    EXPECT_NE(doc().trackAt(0)->pan(), 0.5f);
    EXPECT_EQ(steps(), base + 10);

    // Undone one step at a time; only the last undo gives the saved bytes back.
    const std::string now = tmp.file("now.vpf");
    const std::vector<char> original = bytesOf(saved);
    for (size_t left = 10; left > 0; --left) {
        SCOPED_TRACE(left);
        ASSERT_TRUE(frame().saveProject(QString::fromStdString(now)));
        EXPECT_NE(bytesOf(now), original);
        ASSERT_TRUE(frame().runCommand(cmd::kUndo));
        EXPECT_EQ(steps(), base + left - 1);
    }
    ASSERT_TRUE(frame().saveProject(QString::fromStdString(now)));
    EXPECT_EQ(bytesOf(now), original);
}

TEST_F(EditingSessionTest, TheTrackMenuOffersTheTrackCommands)
{
    doc().setCurrentTrack(0);
    ASSERT_TRUE(doc().addVolumeCurve());
    doc().toggleActive(); // the first track inactive
    paint();
    QStringList texts;
    QString defaultText;
    bool volumeEnabled = true;
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer->stop();
        timer->deleteLater();
        for (QAction* a : menu->actions()) {
            texts << a->text();
            if (a->text() == QStringLiteral("Add Volume Curve"))
                volumeEnabled = a->isEnabled();
        }
        defaultText = menu->defaultAction() ? menu->defaultAction()->text() : QString();
        // The first track's menu: a new group through it is one undo step.
        for (QAction* a : menu->actions())
            if (a->text() == QStringLiteral("Add Assignable Effect Group")) {
                menu->setActiveAction(a);
                QTest::keyClick(menu, Qt::Key_Return);
                return;
            }
        menu->close();
    });
    timer->start();
    const size_t before = steps();
    // On the first track's header, right of its slider rows.
    CTrackInfoView* headers = frame().trackHeaders();
    const CTrackInfoView::Header* header = nullptr;
    for (const CTrackInfoView::Header& h : headers->headers())
        if (h.track == 0)
            header = &h;
    ASSERT_NE(header, nullptr);
    doc().setCurrentTrack(1);
    QTest::mousePress(headers, Qt::RightButton, {}, {20, header->y + 40});
    EXPECT_EQ(doc().currentTrack(), 0);
    EXPECT_EQ(defaultText, QStringLiteral("Insert Audio File(s)..."));
    for (const char* item : {"Insert Track", "Delete Track", "Track Properties...", "Activate Track", "Add Volume Curve",
                             "Add Pan Curve", "Add Assignable Effect Group", "Start or stop track playback",
                             "Insert CD Track Split", "Insert CD Index", "Insert Label...",
                             "Adjust Silence between Tracks...", "Select all Following Clips"})
        EXPECT_TRUE(texts.contains(QString::fromLatin1(item))) << item;
    EXPECT_FALSE(volumeEnabled);
    EXPECT_EQ(doc().groupCount(), 1);
    EXPECT_EQ(steps(), before + 1);
    EXPECT_TRUE(doc().isModified());
}

} // namespace
} // namespace quillon::test
