// The property dialogs the timeline tools open: "Edit Curve Point", the three label
// dialogs and "Crossfade Tempo". An untouched dialog leaves the exact values (and
// opens no undo step), minutes do not wrap at 60, values stay within 0..1, and a
// point or label the dialog moves past its neighbours is re-sorted into its list.

#include "model/curve.h"
#include "model/audio_clip.h"
#include "model/crossfade.h"
#include "model/curve_point.h"
#include "model/track.h"
#include "model/label_list.h"
#include "model/project_label.h"
#include "support/modal_answer.h"
#include "ui/clip_tool.h"
#include "ui/crossfade_tempo_dialog.h"
#include "ui/curve_point_dialog.h"
#include "ui/curve_tool.h"
#include "ui/label_properties_dialog.h"
#include "ui/lane_geometry.h"
#include "ui/marker_strip_tool.h"
#include "ui/ui_fixture.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include <cmath>
#include <vector>

namespace quillon::test {
namespace {

constexpr int32_t kRate = 44100;

// ---- Edit Curve Point ----

struct ValueRow {
    int32_t kind;
    const char* entry;
    float value;
};

void PrintTo(const ValueRow& row, std::ostream* out)
{
    *out << (row.kind == CCurve::kPan ? "pan " : "volume ") << row.entry;
}

class CurvePointEntries : public ::testing::TestWithParam<ValueRow> {};

TEST_P(CurvePointEntries, StayWithinZeroToOne)
{
    const ValueRow row = GetParam();
    CurvePointDialog dialog(row.kind, CurvePoint(0, row.kind == CCurve::kPan ? 0.5f : 1.0f), kRate);
    dialog.valueEdit()->setText(QString::fromLatin1(row.entry));
    EXPECT_NEAR(dialog.result().value, row.value, 1e-4) << row.entry;
}

INSTANTIATE_TEST_SUITE_P(
    Units, CurvePointEntries,
    ::testing::Values(ValueRow{CCurve::kVolume, "+6 dB", 1.0f}, ValueRow{CCurve::kVolume, "-6.02 dB", 0.5f},
                      ValueRow{CCurve::kVolume, "-144", 0.0f}, ValueRow{CCurve::kVolume, "-300 dB", 0.0f},
                      ValueRow{CCurve::kVolume, "-20,00", 0.1f}, ValueRow{CCurve::kPan, "150 %", 1.0f},
                      ValueRow{CCurve::kPan, "-150", 0.0f}, ValueRow{CCurve::kPan, "-50.0 %", 0.25f}),
    [](const ::testing::TestParamInfo<ValueRow>& info) { return "Row" + std::to_string(info.index); });

TEST(CurvePointDialogTest, ShowsThePointInItsUnitsAndHoursOfMinutes)
{
    const int32_t position = kRate * 60 * 75 + kRate * 3 + 4410; // 75 min 3.1 s
    CurvePointDialog volume(CCurve::kVolume, CurvePoint(position, 0.5f), kRate);
    EXPECT_EQ(volume.windowTitle(), QStringLiteral("Edit Curve Point"));
    EXPECT_EQ(volume.minutesBox()->value(), 75);
    EXPECT_EQ(volume.secondsBox()->value(), 3);
    EXPECT_EQ(volume.framesBox()->value(), 100);
    EXPECT_EQ(volume.minutesBox()->maximum(), 811); // the whole sample-position range
    EXPECT_EQ(volume.valueEdit()->text(), QStringLiteral("-6.02 dB"));
    EXPECT_EQ(CurvePointDialog(CCurve::kPan, CurvePoint(0, 0.25f), kRate).valueEdit()->text(),
              QStringLiteral("-50.0 %"));

    // Fields changed by the user are read back through 64 bits; a value that is no
    // number leaves OK disabled.
    volume.minutesBox()->setValue(700);
    EXPECT_EQ(volume.result().position, int32_t((int64_t(700) * 60000 + 3100) * kRate / 1000));
    volume.valueEdit()->setText(QStringLiteral("loud"));
    EXPECT_FALSE(volume.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());
}

// ---- the tools opening them ----

constexpr int32_t kPx = 441;

class DialogToolTest : public UiFixture {
protected:
    DialogToolTest()
    {
        doc->setProjectLength(800 * kPx);
        makeView();
        view->setVisibleRange(SampleRange(0, 800 * kPx));
        view->addTool(std::make_unique<MarkerStripTool>(*view));
        auto curves = std::make_unique<CurveTool>(*view);
        curveTool = curves.get();
        view->addTool(std::move(curves));
        doc->setCurrentTrack(0);
        EXPECT_TRUE(doc->addVolumeCurve());
        curve = doc->trackAt(0)->curve(CCurve::kVolume);
        curve->removeAllPoints();
        a = curve->addPoint(100 * kPx + 7, 1.0f);
        b = curve->addPoint(200 * kPx + 7, 0.5f);
        view->renderClient();
        doc->labels().removeAll();
        split = doc->labels().add(100 * kPx + 3, ProjectLabel::kTrackSplit, "One", "Band", 20 * kPx + 5);
        note = doc->labels().add(300 * kPx, ProjectLabel::kFreeLabel, "Two");
        doc->clearUndoHistory();
        doc->setModified(false);
    }

    QPoint at(const CurvePoint* p) const
    {
        const CurvePixel px = curve->pointToPixel(*p);
        return QPoint(px.x, px.y);
    }

    std::vector<ProjectLabel*> labels()
    {
        std::vector<ProjectLabel*> out;
        CLabelList::Cursor c;
        for (ProjectLabel* l = doc->labels().first(c); l; l = doc->labels().next(c))
            out.push_back(l);
        return out;
    }

    CurveTool* curveTool = nullptr;
    CCurve* curve = nullptr;
    CurvePoint* a = nullptr;
    CurvePoint* b = nullptr;
    ProjectLabel* split = nullptr;
    ProjectLabel* note = nullptr;
};

// Untouched, OK changes nothing (the fields hold no sample or 0.01 dB detail); moved
// past its neighbour, the point is put back in order, as one step.
TEST_F(DialogToolTest, ThePointDialogKeepsUntouchedValuesAndResortsAMovedPoint)
{
    ASSERT_NE(curveTool->hitTest(at(a).x(), at(a).y()), 0);
    answerModal<CurvePointDialog>([](CurvePointDialog& d) { d.accept(); });
    EXPECT_FALSE(curveTool->menuCommand(CurveTool::kCommandEditPoint));
    EXPECT_EQ(a->position, 100 * kPx + 7);
    EXPECT_EQ(doc->undoHistory().undoCount(), 0u);
    EXPECT_FALSE(doc->isModified());

    answerModal<CurvePointDialog>([](CurvePointDialog& d) {
        d.secondsBox()->setValue(3); // past b at about 2 s
        d.valueEdit()->setText(QStringLiteral("+6 dB"));
        d.accept();
    });
    EXPECT_TRUE(curveTool->menuCommand(CurveTool::kCommandEditPoint));
    EXPECT_EQ(curve->firstPoint(), b);
    EXPECT_EQ(curve->pointAfter(b), a);
    EXPECT_EQ(a->position, 3 * kRate);
    EXPECT_EQ(a->value, 1.0f);
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
    EXPECT_TRUE(doc->isModified());
}

TEST_F(DialogToolTest, LabelDialogsShowTheFieldsOfTheirKind)
{
    LabelPropertiesDialog splitDialog(*split, kRate);
    EXPECT_EQ(splitDialog.windowTitle(), QStringLiteral("Track Split Properties"));
    EXPECT_EQ(splitDialog.pauseMillisecondsBox()->value(), 200);
    EXPECT_EQ(splitDialog.artistEdit()->text(), QStringLiteral("Band"));

    const ProjectLabel index(ProjectLabel::kIndex, kRate * 60 * 90);
    LabelPropertiesDialog indexDialog(index, kRate);
    EXPECT_EQ(indexDialog.windowTitle(), QStringLiteral("Index Properties"));
    EXPECT_EQ(indexDialog.titleEdit(), nullptr);
    EXPECT_EQ(indexDialog.pauseSecondsBox(), nullptr);
    EXPECT_EQ(indexDialog.minutesBox()->value(), 90); // not wrapped to 30

    LabelPropertiesDialog labelDialog(*note, kRate);
    EXPECT_EQ(labelDialog.windowTitle(), QStringLiteral("Label Properties"));
    EXPECT_EQ(labelDialog.artistEdit(), nullptr);
}

TEST_F(DialogToolTest, TheLabelDialogKeepsUntouchedValuesAndResortsAMovedLabel)
{
    MarkerStripTool& strip = *static_cast<MarkerStripTool*>(view->tools()[0].get());
    ASSERT_NE(strip.hitTest(view->xOf(split->position) + 2, 30), 0);
    answerModal<LabelPropertiesDialog>([](LabelPropertiesDialog& d) { d.accept(); });
    EXPECT_TRUE(strip.doubleClick()); // shown, so the wave editor is not opened
    EXPECT_EQ(split->position, 100 * kPx + 3);
    EXPECT_EQ(split->pause, 20 * kPx + 5);
    EXPECT_EQ(doc->undoHistory().undoCount(), 0u);
    EXPECT_FALSE(doc->isModified());

    answerModal<LabelPropertiesDialog>([](LabelPropertiesDialog& d) {
        d.secondsBox()->setValue(5);
        d.millisecondsBox()->setValue(0);
        d.titleEdit()->setText(QStringLiteral("Renamed"));
        d.accept();
    });
    EXPECT_TRUE(strip.menuCommand(MarkerStripTool::kCommandProperties));
    EXPECT_EQ(labels(), (std::vector<ProjectLabel*>{note, split}));
    EXPECT_EQ(split->position, 5 * kRate);
    EXPECT_EQ(split->title, "Renamed");
    EXPECT_EQ(split->pause, 20 * kPx + 5); // untouched
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
}

// CD tracks that follow the arrangement are rebuilt at every view update, also while
// the dialog is open: a label gone meanwhile is left alone.
TEST_F(DialogToolTest, ALabelRemovedWhileItsDialogIsOpenIsNotTouched)
{
    answerModal<LabelPropertiesDialog>([this](LabelPropertiesDialog& d) {
        d.titleEdit()->setText(QStringLiteral("Late"));
        doc->labels().remove(split); // destroyed here
        d.accept();
    });
    EXPECT_FALSE(LabelPropertiesDialog::edit(*doc, split, view.get()));
    EXPECT_EQ(labels(), std::vector<ProjectLabel*>{note});
    EXPECT_EQ(doc->undoHistory().undoCount(), 0u);
}

TEST_F(DialogToolTest, InsertLabelAsksForTheNewLabel)
{
    doc->setCursor(150 * kPx);
    answerModal<LabelPropertiesDialog>([](LabelPropertiesDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Label Properties"));
        d.titleEdit()->setText(QStringLiteral("Chorus"));
        d.accept();
    });
    view->insertLabel();
    const std::vector<ProjectLabel*> now = labels();
    ASSERT_EQ(now.size(), 3u);
    EXPECT_EQ(now[1]->kind, ProjectLabel::kFreeLabel);
    EXPECT_EQ(now[1]->position, 150 * kPx);
    EXPECT_EQ(now[1]->title, "Chorus");
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
}

// ---- Crossfade Tempo ----

TEST(CrossfadeTempoDialogTest, TheCommonTempoStartsHalfWayAndFollowsTheSlider)
{
    CrossfadeTempoDialog dialog(100.6f, 121.9f);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Crossfade Tempo"));
    EXPECT_EQ(dialog.slider()->minimum(), 100);
    EXPECT_EQ(dialog.slider()->maximum(), 121);
    EXPECT_EQ(dialog.slider()->value(), 111);
    EXPECT_EQ(dialog.currentLabel()->text(), QStringLiteral("111 BPM"));
    EXPECT_TRUE(dialog.gradualButton()->isChecked());
    EXPECT_EQ(dialog.choice().flags, kTempoGradual);
    EXPECT_FLOAT_EQ(dialog.choice().tempo, 111.25f); // not rounded until the slider moves

    dialog.slider()->setValue(104);
    dialog.hardButton()->setChecked(true);
    EXPECT_EQ(dialog.currentLabel()->text(), QStringLiteral("104 BPM"));
    EXPECT_EQ(dialog.choice().flags, kTempoHard);
    EXPECT_FLOAT_EQ(dialog.choice().tempo, 104.0f);
}

// Clicks on every beat, which the tempo measuring locks on.
std::vector<float> clicks(double bpm, int frames)
{
    std::vector<float> out(size_t(frames) * 2);
    const double period = 60.0 / bpm * kRate;
    for (int f = 0; f < frames; ++f) {
        const double j = std::fmod(double(f), period);
        const float v =
            j < 400 ? float(0.8 * std::sin(2.0 * M_PI * 1500.0 * j / kRate) * std::exp(-j / 80.0)) : 0.0f;
        out[size_t(f) * 2] = out[size_t(f) * 2 + 1] = v;
    }
    return out;
}

TEST_F(DialogToolTest, MatchTemposScalesBothTransitionsAsOneStep)
{
    auto clips = std::make_unique<ClipTool>(*view);
    ClipTool* tool = clips.get();
    view->addTool(std::move(clips));
    const int frames = kRate * 10;
    const std::string slow = tmp.file("slow.wav");
    const std::string fast = tmp.file("fast.wav");
    ASSERT_TRUE(writeAudio(slow, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kRate, 2, clicks(90.0, frames)));
    ASSERT_TRUE(writeAudio(fast, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kRate, 2, clicks(120.0, frames)));
    auto open = [&](const std::string& path, int32_t start) {
        auto clip = std::make_unique<CAudioClip>(&doc->format());
        EXPECT_TRUE(clip->openFile(start, path));
        CAudioClip* raw = doc->addClipToTrack(1, std::move(clip), false);
        waitForPeaks(raw);
        return raw;
    };
    CAudioClip* a = open(slow, 0);
    CAudioClip* b = open(fast, frames - 3 * kRate);
    ASSERT_NE(b->incoming(), nullptr);
    const int32_t endA = a->end();
    view->setVisibleRange(SampleRange(0, 12 * kRate));
    view->renderClient();
    doc->clearUndoHistory();
    doc->setModified(false);
    ASSERT_NE(tool->hitTest(view->xOf(frames - kRate), LaneGeometry::topOfTrack(*doc, 1) + 30), 0);
    ASSERT_TRUE(tool->inCrossfade());

    answerModal<CrossfadeTempoDialog>([](CrossfadeTempoDialog& d) { d.reject(); });
    EXPECT_FALSE(tool->menuCommand(ClipTool::kCommandMatchTempos));
    EXPECT_EQ(doc->undoHistory().undoCount(), 0u);
    EXPECT_EQ(a->end(), endA);

    answerModal<CrossfadeTempoDialog>([](CrossfadeTempoDialog& d) {
        d.slider()->setValue(105);
        d.accept();
    });
    EXPECT_TRUE(tool->menuCommand(ClipTool::kCommandMatchTempos));
    ASSERT_NE(b->incoming(), nullptr);
    EXPECT_EQ(b->incoming()->tempoFlags(), kTempoGradual);
    EXPECT_NE(a->end(), endA);
    EXPECT_EQ(doc->undoHistory().undoCount(), 1u);
    EXPECT_TRUE(doc->isModified());
    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(doc->trackAt(1)->clips().front()->end(), endA);
}

} // namespace
} // namespace quillon::test
