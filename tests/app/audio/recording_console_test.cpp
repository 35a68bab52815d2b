// The recording console driven like a user: takes come from the test card's capture
// file, are played along through its output, and end up in the project or deleted.

#include "alsa_test_setup.h"
#include "app/engine_transport.h"
#include "app/main_frame.h"
#include "app/quillon_app.h"
#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "model/audio_clip.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include "support/temp_dir.h"
#include "ui/recording_console.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace quillon::test {
namespace {

constexpr uint32_t kRate = 44100;
constexpr int64_t kBuffer = kRate / 10;

// Ten seconds of a loud 16-bit stereo tone as the capture input.
void useToneInput()
{
    AlsaDeviceOptions options = AlsaTestSetup::defaults();
    std::vector<uint8_t> bytes;
    for (uint32_t f = 0; f < 10 * kRate; ++f)
        for (int c = 0; c < 2; ++c) {
            const auto v = static_cast<int16_t>(16000 * std::sin(2 * M_PI * (330.0 + 110 * c) * f / kRate));
            bytes.push_back(static_cast<uint8_t>(v & 0xff));
            bytes.push_back(static_cast<uint8_t>((v >> 8) & 0xff));
        }
    writeBytes(options.inFile, bytes);
    AlsaTestSetup::configure(options);
}

// Answers the next modal message box with the button of that text; `asked` receives
// its question.
void answerNextQuestion(const QString& button, QString* asked)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, button, asked] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        for (QAbstractButton* b : box->buttons())
            if (b->text() == button) {
                *asked = box->text();
                timer->stop();
                timer->deleteLater();
                b->click();
                return;
            }
    });
    timer->start();
}

class RecordingConsoleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        useToneInput();
        std::filesystem::create_directories(tmp.path() / "program");
        std::filesystem::create_directories(tmp.path() / "data");
    }

    void start(int startupTracks = 1)
    {
        settings.writeProfileInt("General", "StartupTracks", startupTracks);
        app = std::make_unique<CQuillonApp>(settings, prompter, QString::fromStdString(tmp.file("program")),
                                            QString::fromStdString(tmp.file("data")));
        ASSERT_TRUE(app->initInstance({}, false));
    }

    std::unique_ptr<RecordingConsole> openConsole(const std::string& take, uint16_t bits = 16, bool stereo = true)
    {
        auto console = std::make_unique<RecordingConsole>(*app->document(), settings, prompter, app->transport(),
                                                          QString::fromStdString(take), bits, stereo);
        EXPECT_TRUE(console->initialise());
        console->show();
        return console;
    }

    static void click(RecordingConsole& console, QAction* action)
    {
        QTest::mouseClick(console.toolBar()->widgetForAction(action), Qt::LeftButton);
    }

    static bool recordAtLeast(RecordingConsole& console, int64_t frames)
    {
        return QTest::qWaitFor([&] { return console.recordedFrames() >= frames; }, 15000);
    }

    // After a pause, once the thread has handled a buffer more, the take stays as it is.
    static int64_t settledFrames(RecordingConsole& console)
    {
        const int64_t target = console.state()->buffersRead() + 2;
        EXPECT_TRUE(QTest::qWaitFor([&] { return console.state()->buffersRead() >= target; }, 15000));
        return console.recordedFrames();
    }

    TempDir tmp;
    ScopedEnv peaks{"QUILLON_PEAK_DIR", tmp.path().string()};
    ScopedEnv cache{"XDG_CACHE_HOME", tmp.file("cache")};
    ScopedEnv runtime{"XDG_RUNTIME_DIR", tmp.file("run")};
    MemorySettingsStore settings;
    RecordingPrompter prompter;
    std::unique_ptr<CQuillonApp> app;
};

TEST_F(RecordingConsoleTest, RecordPauseResumeAndKeepPutsTheTakeIntoTheProject)
{
    start();
    CMultitrackerDoc& doc = *app->document();
    doc.setCursor(2 * kRate);
    const std::string take = tmp.file("take.wav");
    auto console = openConsole(take);
    QSignalSpy started(console.get(), &RecordingConsole::recordingStarted);
    Transport& transport = app->transport()->engine();

    click(*console, console->recordAction());
    EXPECT_EQ(started.count(), 1);
    ASSERT_TRUE(transport.isPlaying()) << "the project plays along";
    EXPECT_EQ(transport.playRange().begin, 2 * int32_t(kRate));
    ASSERT_TRUE(recordAtLeast(*console, 3 * kBuffer));
    EXPECT_GT(console->leftReading(), 80) << "a tone at half scale reads about 95";

    click(*console, console->pauseAction());
    EXPECT_FALSE(transport.isPlaying());
    const int64_t firstPart = settledFrames(*console);
    EXPECT_GE(firstPart, 3 * kBuffer);
    EXPECT_TRUE(console->pauseAction()->isChecked());

    // Resuming plays on from where the take has got to, not from its start again.
    click(*console, console->recordAction());
    ASSERT_TRUE(transport.isPlaying());
    EXPECT_EQ(transport.playRange().begin, 2 * int32_t(kRate) + firstPart);
    ASSERT_TRUE(recordAtLeast(*console, firstPart + 2 * kBuffer));

    // The disk display is the target folder's file system at the take's format.
    EXPECT_FALSE(console->driveLabel()->text().isEmpty());
    EXPECT_EQ(console->fileNameLabel()->text(), QStringLiteral("take.wav"));
    const WAVEFORMATEX format = RecordingState::recordingFormat(kRate, true, 16);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return console->maximumTimeLabel()->text().toStdString() ==
               RecordingState::maximumRecordingTime(RecordingState::freeBytesFor(take), format).english();
    }, 5000));

    QTest::mouseClick(console->keepButton(), Qt::LeftButton);
    EXPECT_EQ(console->result(), QDialog::Accepted);
    EXPECT_FALSE(transport.isPlaying());
    const int64_t recorded = console->recordedFrames();
    EXPECT_GE(recorded, firstPart + 2 * kBuffer);
    ASSERT_EQ(doc.trackAt(0)->clips().size(), 1u);
    const CAudioClip* clip = doc.trackAt(0)->clips().front();
    EXPECT_EQ(clip->start(), 2 * int32_t(kRate));
    EXPECT_EQ(clip->end() - clip->start(), recorded);
    EXPECT_EQ(clip->fileName(), take);
    EXPECT_TRUE(prompter.entries().empty());
}

TEST_F(RecordingConsoleTest, DiscardDeletesTheTakeAndInsertsNothing)
{
    start();
    const std::string take = tmp.file("take.wav");
    auto console = openConsole(take, 24, false);
    click(*console, console->recordAction());
    ASSERT_TRUE(recordAtLeast(*console, 2 * kBuffer));
    ASSERT_TRUE(std::filesystem::exists(take));
    EXPECT_EQ(console->leftReading(), console->rightReading()) << "mono shows the left peak twice";

    QTest::mouseClick(console->discardButton(), Qt::LeftButton);
    EXPECT_EQ(console->result(), QDialog::Rejected);
    EXPECT_FALSE(std::filesystem::exists(take));
    EXPECT_EQ(app->document()->trackAt(0)->clips().size(), 0u);
    EXPECT_FALSE(app->transport()->isPlaying());
}

TEST_F(RecordingConsoleTest, ClosingTheWindowAsksAndOnlyDiscardDeletes)
{
    start(0); // a project without tracks
    ASSERT_EQ(app->document()->trackCount(), 0);
    const std::string take = tmp.file("take.wav");
    auto console = openConsole(take);
    click(*console, console->recordAction());
    ASSERT_TRUE(recordAtLeast(*console, 2 * kBuffer));

    // The close button: Cancel goes on recording.
    QString asked;
    answerNextQuestion(QStringLiteral("Cancel"), &asked);
    console->close();
    EXPECT_EQ(asked, QString::fromLatin1(RecordingConsole::kCloseQuestion));
    EXPECT_TRUE(console->isVisible());
    EXPECT_TRUE(std::filesystem::exists(take));
    EXPECT_FALSE(console->state()->isPaused()) << "recording goes on after Cancel";
    const int64_t before = console->recordedFrames();
    ASSERT_TRUE(recordAtLeast(*console, before + kBuffer));

    // Escape: Keep puts the take on a new "Untitled" track.
    asked.clear();
    answerNextQuestion(QStringLiteral("Keep"), &asked);
    QTest::keyClick(console.get(), Qt::Key_Escape);
    EXPECT_FALSE(asked.isEmpty());
    EXPECT_FALSE(console->isVisible());
    EXPECT_TRUE(std::filesystem::exists(take));
    CMultitrackerDoc& doc = *app->document();
    ASSERT_EQ(doc.trackCount(), 1);
    EXPECT_EQ(doc.trackAt(0)->name(), "Untitled");
    ASSERT_EQ(doc.trackAt(0)->clips().size(), 1u);
    EXPECT_EQ(doc.trackAt(0)->clips().front()->end() - doc.trackAt(0)->clips().front()->start(), console->recordedFrames());

    // A second take, closed with Discard.
    const std::string second = tmp.file("second.wav");
    auto next = openConsole(second);
    click(*next, next->recordAction());
    ASSERT_TRUE(recordAtLeast(*next, kBuffer));
    answerNextQuestion(QStringLiteral("Discard"), &asked);
    next->close();
    EXPECT_FALSE(next->isVisible());
    EXPECT_FALSE(std::filesystem::exists(second));
    EXPECT_EQ(doc.trackAt(0)->clips().size(), 1u);

    // Nothing recorded: closing asks nothing and leaves no empty file behind.
    const std::string third = tmp.file("third.wav");
    auto empty = openConsole(third);
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(third); }, 15000));
    empty->close();
    EXPECT_FALSE(empty->isVisible());
    EXPECT_FALSE(std::filesystem::exists(third));
    EXPECT_EQ(doc.trackAt(0)->clips().size(), 1u);
}

TEST_F(RecordingConsoleTest, ADeviceThatCannotOpenIsReportedAndRecordIsIgnored)
{
    AlsaDeviceOptions options = AlsaTestSetup::defaults();
    options.unavailable = true;
    AlsaTestSetup::configure(options);
    start();
    const std::string take = tmp.file("take.wav");
    auto console = openConsole(take);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompter.entries().empty(); }, 15000));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{RecordingState::kOpenErrorText});
    click(*console, console->recordAction());
    EXPECT_TRUE(console->state()->isPaused());
    EXPECT_FALSE(app->transport()->isPlaying());
    EXPECT_TRUE(console->isVisible()) << "the console stays open";
    QTest::mouseClick(console->discardButton(), Qt::LeftButton);
    EXPECT_FALSE(console->isVisible());
}

TEST_F(RecordingConsoleTest, AsAWizardPageTheTakeStartsAtZeroAndIsHandedOverAsAClip)
{
    start();
    CMultitrackerDoc& doc = *app->document();
    doc.setCursor(3 * kRate);
    const std::string take = tmp.file("side.wav");
    RecordingConsole console(doc, settings, prompter, app->transport(), QString::fromStdString(take), 16, true,
                             RecordingConsole::Mode::Wizard);
    ASSERT_TRUE(console.initialise());
    console.show();
    EXPECT_TRUE(console.keepButton()->isHidden());
    EXPECT_TRUE(console.discardButton()->isHidden());
    EXPECT_EQ(console.state()->insertionPosition(), 0);
    QSignalSpy started(&console, &RecordingConsole::recordingStarted);
    click(console, console.recordAction());
    EXPECT_EQ(started.count(), 1) << "the wizard enables Next";
    EXPECT_FALSE(app->transport()->isPlaying()) << "no playing along in a wizard";
    ASSERT_TRUE(recordAtLeast(console, 2 * kBuffer));

    // Escape does not end a wizard's take; leaving the page does.
    QTest::keyClick(&console, Qt::Key_Escape);
    EXPECT_TRUE(console.isVisible());
    std::unique_ptr<CAudioClip> clip = console.takeClip();
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->start(), 0);
    EXPECT_EQ(clip->end(), console.recordedFrames());
    EXPECT_EQ(doc.trackAt(0)->clips().size(), 0u) << "not inserted";
}

} // namespace
} // namespace quillon::test
