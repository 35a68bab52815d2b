// The progress dialog over real jobs, the CD track export stopped from its "Stop", and the
// loudness both export dialogs hand to the exporter.

#include "engine/audio_exporter.h"
#include "engine/background_job.h"
#include "engine/cd_track_export.h"
#include "engine/loudness_meter.h"
#include "engine/sample_sink.h"
#include "model/label_list.h"
#include "model/project_label.h"
#include "ui/audio_file_export_dialog.h"
#include "ui/cd_track_export_dialog.h"
#include "ui/job_progress_dialog.h"
#include "ui/loudness_choice.h"
#include "ui/ui_fixture.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <functional>

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

// A job whose progress the test sets; it ends when told to.
class SteppedJob : public BackgroundJob {
public:
    ~SteppedJob() override
    {
        end();
        wait();
    }
    float progress() const override { return m_fraction.load(); }
    std::string title() const override { return "Exporting"; }
    int32_t run() override
    {
        m_end.wait(false);
        return 0;
    }
    void setFraction(float f) { m_fraction.store(f); }
    void end()
    {
        m_end.store(true);
        m_end.notify_all();
    }

private:
    std::atomic<float> m_fraction{0.0f};
    std::atomic<bool> m_end{false};
};

// Runs `script` once the dialog's loop runs.
int runWith(JobProgressDialog& dialog, std::function<void()> script)
{
    QTimer::singleShot(0, &dialog, std::move(script));
    return dialog.run();
}

TEST(JobProgressDialogTest, TheCaptionChangesOnlyWhenTheWholePercentChanges)
{
    SteppedJob job;
    JobProgressDialog dialog(job);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Exporting"));
    QStringList captions;
    QObject::connect(&dialog, &QWidget::windowTitleChanged, [&](const QString& t) { captions << t; });
    auto pollsFurther = [&](int n) {
        const int target = dialog.polls() + n;
        return QTest::qWaitFor([&] { return dialog.polls() >= target; }, 10000);
    };
    const int outcome = runWith(dialog, [&] {
        EXPECT_TRUE(pollsFurther(1));
        job.setFraction(0.101f);
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.windowTitle() == "Exporting, 10% done"; }, 10000));
        job.setFraction(0.109f); // still ten whole percent
        EXPECT_TRUE(pollsFurther(3));
        job.setFraction(0.125f);
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.progressBar()->value() == 12; }, 10000));
        job.end();
    });
    EXPECT_EQ(outcome, JobRunner::kFinished);
    EXPECT_EQ(captions,
              QStringList({"Exporting, 0% done", "Exporting, 10% done", "Exporting, 12% done"}));
}

TEST(JobProgressDialogTest, StopEndsTheDialogOnlyOnceTheJobHasEnded)
{
    // A job that ends only when asked to, the way a render does.
    class StoppableJob : public SteppedJob {
    public:
        bool abort() override
        {
            end();
            return true;
        }
    } job;
    JobProgressDialog dialog(job);
    const int outcome = runWith(dialog, [&] { QTest::mouseClick(dialog.stopButton(), Qt::LeftButton); });
    EXPECT_EQ(outcome, JobRunner::kStopped);
    EXPECT_TRUE(job.isDone());
}

// Passes blocks to the file; for the file numbered `holdFile` (from 1) it holds its
// first block until the project's stop request is set, so that "Stop" finds that file
// with its first block written and the rest not.
class HoldingSink : public SampleSink {
public:
    HoldingSink(SampleSink& file, std::atomic<bool>& stop, bool hold) : m_file(file), m_stop(stop), m_hold(hold) {}
    bool acceptBlock(const SampleBlock& block) override
    {
        const bool ok = m_file.acceptBlock(block);
        if (m_hold)
            while (!m_stop.load())
                std::this_thread::yield();
        m_hold = false;
        return ok;
    }
    void finish() override { m_file.finish(); }
    int64_t framesDone() const override { return m_file.framesDone(); }
    int64_t framesDelivered() const override { return m_file.framesDelivered(); }
    bool holdsExactRange() const override { return m_file.holdsExactRange(); }

private:
    SampleSink& m_file;
    std::atomic<bool>& m_stop;
    bool m_hold;
};

class CdTrackExportTest : public UiFixture {};

TEST_F(CdTrackExportTest, StopOnTheSecondOfFiveFilesLeavesTheFirstWholeAndWritesNoMore)
{
    place(0, 0, 5 * 44100, 0x780000, 0.25f);
    doc->labels().removeAll();
    const char* titles[] = {"One", "Two", "Three", "Four", "Five"};
    for (int i = 0; i < 5; ++i)
        doc->labels().add(i * 44100, ProjectLabel::kTrackSplit, titles[i]);
    const fs::path out = tmp.path() / "out";
    fs::create_directories(out);

    CdTrackExportList list(doc->labels(), doc->projectEnd());
    CdTrackExportDialog chooser(list, settings, prompter);
    chooser.folderEdit()->setText(QString::fromStdString(out.string()));
    chooser.accept();
    ASSERT_EQ(chooser.list().baseDirectory(), out.string());

    JobProgressDialog::Runner runner;
    AudioExporter exporter(*doc, host, runner, prompter);
    int files = 0;
    std::unique_ptr<HoldingSink> holding;
    exporter.setSinkWrapper([&](SampleSink& file) -> SampleSink& {
        holding = std::make_unique<HoldingSink>(file, doc->stopRequest(), ++files == 2);
        return *holding;
    });
    // Presses "Stop" in the dialog of the second file.
    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<JobProgressDialog*>(QApplication::activeModalWidget());
        if (dialog && files == 2 && dialog->stopButton()->isEnabled())
            QTest::mouseClick(dialog->stopButton(), Qt::LeftButton);
    });
    watcher.start();
    EXPECT_EQ(exporter.exportCdTracks(chooser.list()), ExportStatus::Stopped);
    watcher.stop();
    EXPECT_EQ(files, 2);
    EXPECT_EQ(exporter.filesCompleted(), 1);
    EXPECT_TRUE(prompter.entries().empty());

    SF_INFO one{};
    const std::vector<float> first = readAudio((out / "One.wav").string(), &one);
    EXPECT_EQ(one.frames, 44100) << "the first file is whole";
    ASSERT_EQ(first.size(), size_t(2 * 44100));
    EXPECT_NEAR(first.back(), 0.25f, 0.001f);
    SF_INFO two{};
    readAudio((out / "Two.wav").string(), &two);
    // The stop meets the second file within its first blocks: part of it or none, never all.
    EXPECT_LT(two.frames, 44100);
    for (const char* unwritten : {"Three.wav", "Four.wav", "Five.wav"})
        EXPECT_FALSE(fs::exists(out / unwritten)) << unwritten;
}

TEST_F(CdTrackExportTest, ARenameToAnotherEntrysNameIsRefusedWithItsMessage)
{
    doc->labels().removeAll();
    doc->labels().add(0, ProjectLabel::kTrackSplit, "Intro");
    doc->labels().add(100, ProjectLabel::kTrackSplit, "");
    doc->labels().add(200, ProjectLabel::kIndex, "");
    CdTrackExportDialog dialog(CdTrackExportList(doc->labels(), 300), settings, prompter);
    QTreeWidget* tree = dialog.destinations();
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("Untitled1.wav"));
    EXPECT_EQ(tree->topLevelItem(2)->text(1), QStringLiteral("3"));

    // The in-place editor's result arrives as an item change.
    tree->topLevelItem(2)->setText(0, QStringLiteral("Intro.wav"));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{CdTrackExportList::kDuplicateText});
    EXPECT_EQ(tree->topLevelItem(2)->text(0), QStringLiteral("Untitled2.wav"));
    EXPECT_EQ(dialog.list().entry(2).name, "Untitled2.wav");
    tree->topLevelItem(2)->setText(0, QStringLiteral("Outro.wav"));
    EXPECT_EQ(dialog.list().entry(2).name, "Outro.wav");
    EXPECT_EQ(prompter.messages().size(), 1u);
}

struct LoudnessCase {
    const char* name;
    bool oneFile; // "Export to Audio File..." rather than the CD track files
    LoudnessMode mode;
};
void PrintTo(const LoudnessCase& c, std::ostream* os) { *os << c.name; }

// Two CD tracks of a 1 kHz sine, 18 dB apart, four seconds each.
class ExportLoudnessTest : public UiFixture, public ::testing::WithParamInterface<LoudnessCase> {
protected:
    static constexpr int kTrackFrames = 4 * 44100;
    static constexpr double kQuietDb = -30.0, kLoudDb = -12.0;

    ExportLoudnessTest()
    {
        doc->labels().removeAll();
        for (int i = 0; i < 2; ++i) {
            std::vector<float> frames(size_t(kTrackFrames) * 2);
            for (size_t f = 0; f < frames.size(); ++f)
                frames[f] = float(std::pow(10.0, (i ? kLoudDb : kQuietDb) / 20.0) *
                                  std::sin(2.0 * M_PI * 1000.0 * double(f / 2) / 44100.0));
            const std::string path = tmp.file("sine" + std::to_string(i) + ".wav");
            EXPECT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, frames));
            auto clip = std::make_unique<CAudioClip>(&doc->format());
            EXPECT_TRUE(clip->openFile(i * kTrackFrames, path));
            waitForPeaks(doc->addClipToTrack(0, std::move(clip), false));
            doc->labels().add(i * kTrackFrames, ProjectLabel::kTrackSplit, i ? "Loud" : "Quiet");
        }
    }
};

// Matched tracks both land on the target, in their own files or in one. Album loudness
// keeps the tracks 18 dB apart and brings them together to the target.
// The choice is there again when the dialog reopens.
TEST_P(ExportLoudnessTest, TheChosenLoudnessReachesTheFilesAndIsKept)
{
    const LoudnessCase& c = GetParam();
    CdTrackExportList list(doc->labels(), doc->projectEnd());
    list.setBaseDirectory(tmp.path().string());
    auto open = [&]() -> std::unique_ptr<QDialog> {
        if (c.oneFile)
            return std::make_unique<AudioFileExportDialog>(settings);
        return std::make_unique<CdTrackExportDialog>(list, settings, prompter);
    };
    std::unique_ptr<QDialog> dialog = open();
    dialog->show();
    auto* choice = dialog->findChild<LoudnessChoice*>();
    QComboBox* modes = choice->modeBox();
    EXPECT_FALSE(choice->targetBox()->isEnabled()) << "no target without a loudness mode";
    while (modes->currentData() != int(c.mode) && modes->currentIndex() + 1 < modes->count())
        QTest::keyClick(modes, Qt::Key_Down);
    ASSERT_TRUE(choice->targetBox()->isEnabled());
    choice->targetBox()->selectAll();
    QTest::keyClicks(choice->targetBox(), "-18.5");
    dialog->accept();

    JobProgressDialog::Runner runner;
    AudioExporter exporter(*doc, host, runner, prompter);
    exporter.setLoudness(choice->target());
    LoudnessMeter quiet(2, 44100), loud(2, 44100);
    if (c.oneFile) {
        ASSERT_EQ(exporter.exportToFile(tmp.file("mix.wav")), ExportStatus::Done);
        const std::vector<float> mix = readAudio(tmp.file("mix.wav"));
        ASSERT_EQ(mix.size(), size_t(4 * kTrackFrames));
        quiet.addFrames(mix.data(), kTrackFrames);
        loud.addFrames(mix.data() + 2 * kTrackFrames, kTrackFrames);
    } else {
        ASSERT_EQ(exporter.exportCdTracks(static_cast<CdTrackExportDialog&>(*dialog).list()), ExportStatus::Done);
        for (auto [meter, name] : {std::pair{&quiet, "Quiet.wav"}, std::pair{&loud, "Loud.wav"}}) {
            const std::vector<float> frames = readAudio(tmp.file(name));
            meter->addFrames(frames.data(), int64_t(frames.size() / 2));
        }
    }
    if (c.mode == LoudnessMode::MatchTracks) {
        EXPECT_NEAR(quiet.reading().integratedLufs, -18.5, 0.5);
        EXPECT_NEAR(loud.reading().integratedLufs, -18.5, 0.5);
    } else {
        EXPECT_NEAR(loud.reading().integratedLufs - quiet.reading().integratedLufs, kLoudDb - kQuietDb, 0.5);
        EXPECT_NEAR(LoudnessMeter::combined({&quiet, &loud}).integratedLufs, -18.5, 0.5);
    }
    EXPECT_TRUE(prompter.entries().empty()) << "nothing was held back by the ceiling";

    const LoudnessTarget kept = open()->findChild<LoudnessChoice*>()->target();
    EXPECT_EQ(kept.mode, c.mode);
    EXPECT_DOUBLE_EQ(kept.targetLufs, -18.5);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, ExportLoudnessTest,
                         ::testing::Values(LoudnessCase{"TracksMatched", false, LoudnessMode::MatchTracks},
                                           LoudnessCase{"TracksAsAnAlbum", false, LoudnessMode::Album},
                                           LoudnessCase{"OneFileMatched", true, LoudnessMode::MatchTracks},
                                           LoudnessCase{"OneFileAsAnAlbum", true, LoudnessMode::Album}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillon::test
