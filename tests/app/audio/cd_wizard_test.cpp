// The LP and cassette wizards driven like a user, from a side played into the test
// card's capture to a project of CD tracks.

#include "alsa_test_setup.h"
#include "app/engine_transport.h"
#include "app/quillon_app.h"
#include "base/folder_settings.h"
#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "model/audio_clip.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/project_label.h"
#include "model/track.h"
#include "support/temp_dir.h"
#include "ui/cd_wizard.h"
#include "ui/compilation_page.h"
#include "ui/led_meter.h"
#include "ui/noise_reduction_page.h"
#include "ui/recording_console.h"
#include "ui/recording_overview.h"
#include "ui/track_detection_page.h"
#include "ui/wizard_frame.h"

#include <QCheckBox>
#include <QImage>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

namespace quillon::test {
namespace {

constexpr uint32_t kRate = 44100;
constexpr double kLeadIn = 0.3;
constexpr double kPiece = 1.2;
constexpr double kGap = 0.8;
constexpr int kPieces = 5;

// A side of five pieces of music with quiet groove between them, as 16-bit stereo.
int64_t useSideInput()
{
    AlsaDeviceOptions options = AlsaTestSetup::defaults();
    std::vector<uint8_t> bytes;
    std::mt19937 gen(7);
    std::normal_distribution<double> groove(0.0, 30.0);
    auto put = [&](double v) {
        const auto s = static_cast<int16_t>(std::lround(std::clamp(v, -32767.0, 32767.0)));
        bytes.push_back(static_cast<uint8_t>(s & 0xff));
        bytes.push_back(static_cast<uint8_t>((s >> 8) & 0xff));
    };
    int64_t frames = 0;
    auto quiet = [&](double seconds) {
        for (int i = 0; i < int(seconds * kRate); ++i, ++frames)
            for (int c = 0; c < 2; ++c)
                put(groove(gen));
    };
    quiet(kLeadIn);
    for (int p = 0; p < kPieces; ++p) {
        for (int i = 0; i < int(kPiece * kRate); ++i, ++frames)
            for (int c = 0; c < 2; ++c)
                put(9000.0 * std::sin(2 * M_PI * (196.0 + 49.0 * p) * i / kRate) * (1.0 - 0.5 * i / (kPiece * kRate)) +
                    groove(gen));
        quiet(kGap);
    }
    writeBytes(options.inFile, bytes);
    AlsaTestSetup::configure(options);
    return frames;
}

class CdWizardTest : public ::testing::TestWithParam<CdWizard::Kind> {
protected:
    void SetUp() override
    {
        sideFrames = useSideInput();
        std::filesystem::create_directories(tmp.path() / "program");
        std::filesystem::create_directories(tmp.path() / "data");
        std::filesystem::create_directories(tmp.path() / "music");
        FolderSettings(settings).store(kFolderMyMusic, tmp.file("music"));
        app = std::make_unique<CQuillonApp>(settings, prompter, QString::fromStdString(tmp.file("program")),
                                            QString::fromStdString(tmp.file("data")));
        ASSERT_TRUE(app->initInstance({}, false));
    }

    TempDir tmp;
    ScopedEnv peaks{"QUILLON_PEAK_DIR", tmp.path().string()};
    ScopedEnv cache{"XDG_CACHE_HOME", tmp.file("cache")};
    ScopedEnv runtime{"XDG_RUNTIME_DIR", tmp.file("run")};
    MemorySettingsStore settings;
    RecordingPrompter prompter;
    std::unique_ptr<CQuillonApp> app;
    int64_t sideFrames = 0;
};

// The overview shades each detected piece and nothing between them; the music stands
// above the threshold line and the groove between pieces stays below it; a click on a
// piece selects its row and a row selects its piece.
void expectPiecesDrawnOverTheRecording(TrackDetectionPage& detection)
{
    RecordingOverview& overview = *detection.overview();
    ASSERT_TRUE(QTest::qWaitFor([&] { return overview.peaksComplete(); }, 30000));
    ASSERT_GT(overview.plotRect().width(), 200);
    const auto& ranges = detection.ranges();
    auto draw = [&] {
        QImage image(overview.size(), QImage::Format_RGB32);
        overview.render(&image);
        return image;
    };
    QImage image = draw();
    const int top = overview.plotRect().top() + 3;
    const int loud = overview.yOf(-30.0f, true);
    const float threshold = float(detection.thresholdBox()->value());
    int red = 0;
    for (int x = overview.plotRect().left(); x <= overview.plotRect().right(); ++x)
        red += image.pixelColor(x, overview.yOf(threshold, false)) == RecordingOverview::thresholdColour();
    EXPECT_GT(red, overview.plotRect().width() / 3) << "the threshold is drawn as a dashed line";
    for (size_t i = 0; i < ranges.size(); ++i) {
        SCOPED_TRACE(i);
        const int inside = overview.xOf((ranges[i].first + ranges[i].second) / 2);
        EXPECT_EQ(image.pixelColor(inside, top), RecordingOverview::rangeColour(false));
        EXPECT_EQ(image.pixelColor(inside, loud), RecordingOverview::waveColour());
        if (i + 1 < ranges.size()) {
            const int between = overview.xOf((ranges[i].second + ranges[i + 1].first) / 2);
            EXPECT_EQ(image.pixelColor(between, top), RecordingOverview::backgroundColour());
            EXPECT_EQ(image.pixelColor(between, loud), RecordingOverview::backgroundColour());
        }
    }
    const int third = overview.xOf((ranges[2].first + ranges[2].second) / 2);
    QTest::mouseClick(&overview, Qt::LeftButton, {}, QPoint(third, top));
    EXPECT_EQ(detection.rangeList()->currentRow(), 2);
    EXPECT_EQ(draw().pixelColor(third, top), RecordingOverview::rangeColour(true));
    detection.rangeList()->setCurrentRow(4);
    EXPECT_EQ(overview.selectedRange(), 4);
    detection.thresholdBox()->setValue(-20.0);
    EXPECT_EQ(draw().pixelColor(overview.plotRect().left(), overview.yOf(-20.0f, true)),
              RecordingOverview::thresholdColour());
    detection.thresholdBox()->setValue(threshold);
}

TEST_P(CdWizardTest, RecordsASideAndFinishesWithOneCdTrackPerPiece)
{
    CMultitrackerDoc& doc = *app->document();
    CdWizard wizard(doc, settings, prompter, app->transport(), GetParam());
    ASSERT_TRUE(wizard.prepare());
    WizardFrame& frame = *wizard.frame();
    frame.show();
    EXPECT_EQ(frame.stepLabel()->text(), QStringLiteral("Step 1 of 4:"));
    EXPECT_FALSE(frame.nextButton()->isEnabled()) << "nothing recorded yet";

    RecordingConsole& console = *wizard.console();
    QTest::mouseClick(console.toolBar()->widgetForAction(console.recordAction()), Qt::LeftButton);
    EXPECT_TRUE(frame.nextButton()->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return console.recordedFrames() >= sideFrames; }, 30000));

    QTest::mouseClick(frame.nextButton(), Qt::LeftButton);
    ASSERT_EQ(frame.currentIndex(), 1);
    EXPECT_FALSE(frame.previousButton()->isEnabled());
    const std::string take = wizard.recording();
    EXPECT_TRUE(std::filesystem::exists(take)) << "leaving the recording page keeps the take";
    // The default shortest track (20 s) is longer than these pieces: the whole side is one.
    EXPECT_EQ(wizard.detectionPage()->rangeList()->count(), 1);
    TrackDetectionPage& detection = *wizard.detectionPage();
    detection.trackBox()->setValue(0.5);
    detection.pauseBox()->setValue(0.5);
    detection.expectedBox()->setValue(kPieces);
    QTest::mouseClick(detection.detectButton(), Qt::LeftButton);
    ASSERT_EQ(detection.rangeList()->count(), kPieces);
    expectPiecesDrawnOverTheRecording(detection);

    QTest::mouseClick(frame.nextButton(), Qt::LeftButton);
    ASSERT_EQ(frame.currentIndex(), 2);
    // Preview: the meters follow the output, and "Hear what is removed" reaches the
    // playing effects; Finish builds its own effects without it.
    NoiseReductionPage& noise = *wizard.noiseReductionPage();
    QTest::mouseClick(noise.previewButton(), Qt::LeftButton);
    ASSERT_EQ(noise.previewButton()->text(), QStringLiteral("Stop"));
    EXPECT_TRUE(noise.metering());
    EXPECT_TRUE(QTest::qWaitFor([&] { return noise.meter(0)->level() > -6000; }, 30000));
    EffectChain* preview = doc.effectChain(CMultitrackerDoc::ChainKind::Track, 0);
    ASSERT_NE(preview, nullptr);
    ASSERT_GE(preview->size(), 1u);
    EXPECT_EQ(preview->at(0)->parameter(NoiseReductionPage::kRemovedOnlyA), 0.0f);
    noise.removedSwitch()->setChecked(true);
    EXPECT_EQ(preview->at(0)->parameter(NoiseReductionPage::kRemovedOnlyA), 1.0f);
    if (preview->size() > 1) {
        EXPECT_EQ(preview->at(1)->parameter(NoiseReductionPage::kRemovedOnlyB), 1.0f);
    }
    QTest::mouseClick(noise.previewButton(), Qt::LeftButton);
    EXPECT_EQ(noise.previewButton()->text(), QStringLiteral("Preview"));
    EXPECT_FALSE(noise.metering());
    QTest::mouseClick(frame.nextButton(), Qt::LeftButton);
    ASSERT_EQ(frame.currentIndex(), 3);
    EXPECT_EQ(frame.thirdButton()->text(), QStringLiteral("Finish"));
    wizard.compilationPage()->crossfadeButton()->setChecked(true);
    wizard.compilationPage()->secondsBox()->setValue(0);
    wizard.compilationPage()->millisecondsBox()->setValue(500);
    QTest::mouseClick(frame.thirdButton(), Qt::LeftButton);
    EXPECT_EQ(frame.result(), QDialog::Accepted);

    ASSERT_EQ(doc.trackCount(), 1);
    const auto& clips = doc.trackAt(0)->clips();
    ASSERT_EQ(clips.size(), size_t(kPieces));
    std::vector<int32_t> splits;
    CLabelList::Cursor cursor;
    for (ProjectLabel* label = doc.labels().first(cursor); label; label = doc.labels().next(cursor))
        if (label->kind == ProjectLabel::kTrackSplit)
            splits.push_back(label->position);
    ASSERT_EQ(splits.size(), size_t(kPieces));
    auto clip = clips.begin();
    for (size_t i = 0; i < splits.size(); ++i, ++clip) {
        EXPECT_EQ((*clip)->start(), splits[i]);
        ASSERT_NE((*clip)->filter(), nullptr);
        EXPECT_EQ((*clip)->filter()->sourcePath(), take) << "every piece reads the take";
        if (i > 0) {
            EXPECT_EQ(splits[i], splits[i - 1] + (*std::prev(clip))->length() - int32_t(kRate / 2));
        }
    }
    EXPECT_EQ(doc.autoCdTracks(), 0);
    EffectChain* chain = doc.effectChain(CMultitrackerDoc::ChainKind::Track, 0);
    ASSERT_NE(chain, nullptr);
    const bool lp = GetParam() == CdWizard::Kind::Lp;
    ASSERT_EQ(chain->size(), lp ? 2u : 1u);
    EXPECT_EQ(chain->at(0)->name(), NoiseReductionPage::kEffectA);
    EXPECT_EQ(chain->at(0)->parameter(NoiseReductionPage::kRemovedOnlyA), 0.0f);
    if (lp) {
        EXPECT_EQ(chain->at(1)->name(), NoiseReductionPage::kEffectB);
        EXPECT_EQ(chain->at(1)->parameter(NoiseReductionPage::kRemovedOnlyB), 0.0f);
    }
    EXPECT_TRUE(std::filesystem::exists(take)) << "Finish keeps the take";
}

// Cancel asks whether to keep the recording and keeps it on Yes, deletes it on No.
TEST_P(CdWizardTest, CancelAsksWhetherToKeepTheRecording)
{
    for (bool keep : {true, false}) {
        CdWizard wizard(*app->document(), settings, prompter, app->transport(), GetParam());
        ASSERT_TRUE(wizard.prepare());
        wizard.frame()->show();
        RecordingConsole& console = *wizard.console();
        QTest::mouseClick(console.toolBar()->widgetForAction(console.recordAction()), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return console.recordedFrames() >= kRate / 2; }, 15000));
        QTest::mouseClick(wizard.frame()->nextButton(), Qt::LeftButton);
        const std::string take = wizard.recording();
        ASSERT_TRUE(std::filesystem::exists(take));
        prompter.queueAnswer(keep);
        QTest::mouseClick(wizard.frame()->thirdButton(), Qt::LeftButton);
        EXPECT_EQ(wizard.frame()->result(), QDialog::Rejected);
        ASSERT_FALSE(prompter.entries().empty());
        EXPECT_EQ(prompter.entries().back().text, CdWizard::kKeepRecordingQuestion);
        EXPECT_EQ(std::filesystem::exists(take), keep);
    }
}

INSTANTIATE_TEST_SUITE_P(Both, CdWizardTest, ::testing::Values(CdWizard::Kind::Lp, CdWizard::Kind::Cassette),
                         [](const auto& info) { return info.param == CdWizard::Kind::Lp ? "Lp" : "Cassette"; });

} // namespace
} // namespace quillon::test
