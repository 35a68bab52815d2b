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
#include "ui/noise_reduction_page.h"
#include "ui/recording_console.h"
#include "ui/track_detection_page.h"
#include "ui/wizard_frame.h"

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

    QTest::mouseClick(frame.nextButton(), Qt::LeftButton);
    ASSERT_EQ(frame.currentIndex(), 2);
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
    if (lp) {
        EXPECT_EQ(chain->at(1)->name(), NoiseReductionPage::kEffectB);
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
