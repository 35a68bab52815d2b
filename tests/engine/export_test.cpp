#include "engine/audio_exporter.h"
#include "engine/background_job.h"
#include "engine/cd_track_export.h"
#include "engine/job_runner.h"
#include "engine/renderer.h"

#include "engine/engine_fixture.h"
#include "model/label_list.h"
#include "plugins/class_com.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <csignal>
#include <sys/resource.h>

namespace quillon::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Runs every job through a fast poll; the job numbered `stopAt` (from 1) is stopped as
// soon as it has written something.
class StoppingRunner : public JobRunner {
public:
    explicit StoppingRunner(int stopAt = 0) : m_stopAt(stopAt) {}
    int runJob(BackgroundJob& job) override
    {
        PollingJobRunner inner(1ms);
        if (++calls == m_stopAt)
            inner.setStopCheck([](const BackgroundJob& j) { return j.progress() > 0.0f; });
        return inner.runJob(job);
    }
    int calls = 0;

private:
    int m_stopAt;
};

class ExportTest : public EngineFixture {
protected:
    ExportTest() { fs::create_directories(out()); }

    fs::path out() const { return tmp.path() / "out"; }

    // One track with a constant clip of `level` per (start, length).
    void clips(const std::vector<std::tuple<int32_t, int32_t, float>>& pieces)
    {
        addTrack();
        int n = 0;
        for (const auto& [start, length, level] : pieces)
            addClip(0, writeConstant("piece" + std::to_string(++n) + ".wav", length, level, level), start);
    }

    // Replaces the labels by CD track splits at these positions with these titles.
    void splits(const std::vector<std::pair<int32_t, std::string>>& marks)
    {
        doc.labels().removeAll();
        for (const auto& [position, title] : marks)
            doc.labels().add(position, ProjectLabel::kTrackSplit, title);
    }

    CdTrackExportList exportList()
    {
        CdTrackExportList list(doc.labels(), doc.projectEnd());
        list.setBaseDirectory(out().string());
        return list;
    }

    std::vector<float> readBack(const std::string& name, SF_INFO& info) { return readAudio((out() / name).string(), &info); }
};

TEST_F(ExportTest, CdTrackNamesFollowTitlesAndCountUntitledLabels)
{
    clips({{0, 50000, 0.1f}});
    splits({{0, "Intro"}, {20000, ""}});
    doc.labels().add(30000, ProjectLabel::kIndex); // every kind of label gives a file
    const CdTrackExportList list = exportList();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list.entry(0).name, "Intro.wav");
    EXPECT_EQ(list.entry(1).name, "Untitled1.wav");
    EXPECT_EQ(list.entry(2).name, "Untitled2.wav");
    // Each file gets its own CD track: to the next split, the last to the project end.
    EXPECT_EQ(list.entry(0).range, SampleRange(0, 20000));
    EXPECT_EQ(list.entry(1).range, SampleRange(20000, 50000));
    EXPECT_EQ(list.entry(2).range, SampleRange(30000, 50000));
    EXPECT_EQ(list.path(1), (out() / "Untitled1.wav").string());
    EXPECT_FALSE(list.firstConflict());

    // A title never leads out of the chosen folder.
    splits({{0, "AC/DC"}, {10, "../up"}});
    const CdTrackExportList slashes = exportList();
    EXPECT_EQ(slashes.entry(0).name, "AC_DC.wav");
    EXPECT_EQ(slashes.entry(1).name, ".._up.wav");
}

TEST_F(ExportTest, RenamingToAnotherEntrysNameOrOutOfTheFolderIsRefused)
{
    splits({{0, "Intro"}, {100, ""}, {200, "Outro"}});
    CdTrackExportList list = exportList();
    using R = CdTrackExportList::Rename;
    EXPECT_EQ(list.rename(1, "Outro.wav"), R::Duplicate);
    EXPECT_EQ(list.entry(1).name, "Untitled1.wav");
    EXPECT_EQ(list.rename(0, "Intro.wav"), R::Done); // its own name
    EXPECT_EQ(list.rename(1, "Middle.flac"), R::Done);
    EXPECT_EQ(list.entry(1).name, "Middle.flac");
    EXPECT_EQ(list.rename(2, "Middle.flac"), R::Duplicate);
    for (const char* bad : {"", ".", "..", "sub/x.wav", "/tmp/x.wav"})
        EXPECT_EQ(list.rename(2, bad), R::NotAFileName) << bad;
    EXPECT_EQ(list.entry(2).name, "Outro.wav");

    // Titles that give the same name are caught before anything is written.
    splits({{0, "Same"}, {100, "Same"}});
    clips({{0, 300, 0.1f}});
    CdTrackExportList twins = exportList();
    EXPECT_EQ(twins.firstConflict(), std::optional<size_t>(1));
    StoppingRunner runner;
    AudioExporter exporter(doc, host, runner, prompter);
    EXPECT_EQ(exporter.exportCdTracks(twins), ExportStatus::Failed);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{CdTrackExportList::kDuplicateText});
    EXPECT_EQ(runner.calls, 0);
    EXPECT_TRUE(fs::is_empty(out()));
}

TEST_F(ExportTest, EveryCdTrackFileHoldsItsOwnRange)
{
    clips({{0, 8000, 0.125f}, {10000, 8000, 0.25f}, {20000, 8000, 0.375f}});
    splits({{0, "Intro"}, {10000, ""}, {20000, ""}});
    StoppingRunner runner;
    AudioExporter exporter(doc, host, runner, prompter);
    ASSERT_EQ(exporter.exportCdTracks(exportList()), ExportStatus::Done) << exporter.lastError();
    EXPECT_EQ(exporter.filesCompleted(), 3);

    const std::pair<const char*, float> files[] = {{"Intro.wav", 0.125f}, {"Untitled1.wav", 0.25f}, {"Untitled2.wav", 0.375f}};
    const int64_t lengths[] = {10000, 10000, 8000};
    for (size_t i = 0; i < 3; ++i) {
        SF_INFO info{};
        const std::vector<float> frames = readBack(files[i].first, info);
        EXPECT_EQ(info.frames, lengths[i]) << files[i].first; // no frame of the next track

        ASSERT_GT(frames.size(), 2 * 7999u);
        EXPECT_NEAR(frames[0], files[i].second, 1.0 / 32768) << files[i].first;
        EXPECT_NEAR(frames[2 * 7999 + 1], files[i].second, 1.0 / 32768) << files[i].first;
    }
    EXPECT_TRUE(prompter.entries().empty());
}

TEST_F(ExportTest, StoppingTheSecondOfFiveFilesKeepsTheFirstAndWritesNoMore)
{
    // The second CD track is ten minutes long and the master chain holds a reverb, so
    // its render runs long after the stop.
    const int32_t second = 44100;
    const int32_t third = second + 10 * 60 * 44100;
    clips({{0, 44100, 0.25f}, {third, 3 * 44100, 0.25f}});
    splits({{0, "One"}, {second, "Two"}, {third, "Three"}, {third + 44100, "Four"}, {third + 2 * 44100, "Five"}});
    doc.masterChain().append(makeEffect("Reverb"));

    StoppingRunner runner(2);
    AudioExporter exporter(doc, host, runner, prompter);
    EXPECT_EQ(exporter.exportCdTracks(exportList()), ExportStatus::Stopped);
    EXPECT_EQ(runner.calls, 2);
    EXPECT_EQ(exporter.filesCompleted(), 1);
    EXPECT_TRUE(prompter.entries().empty());

    SF_INFO one{};
    readBack("One.wav", one);
    EXPECT_EQ(one.frames, 44100);
    SF_INFO two{};
    const std::vector<float> partial = readBack("Two.wav", two);
    EXPECT_EQ(two.channels, 2);
    EXPECT_GT(two.frames, 0);
    EXPECT_LT(two.frames, third - second);
    EXPECT_EQ(int64_t(partial.size()), two.frames * 2);
    for (const char* unwritten : {"Three.wav", "Four.wav", "Five.wav"})
        EXPECT_FALSE(fs::exists(out() / unwritten)) << unwritten;
}

TEST_F(ExportTest, OneFileCoversTheProjectOrAGivenRange)
{
    clips({{0, 10000, 0.25f}, {20000, 5000, 0.5f}});
    StoppingRunner runner;
    AudioExporter exporter(doc, host, runner, prompter);
    EXPECT_EQ(exporter.projectRange(), SampleRange(0, 25000));
    const std::string whole = (out() / "whole.wav").string();
    ASSERT_EQ(exporter.exportToFile(whole), ExportStatus::Done);
    SF_INFO info{};
    std::vector<float> frames = readAudio(whole, &info);
    EXPECT_EQ(info.frames, 25000);
    EXPECT_NEAR(frames[2 * 20000], 0.5f, 1.0 / 32768);
    // A range that ends inside a block ends there, wherever it starts.
    const std::string odd = (out() / "odd.wav").string();
    ASSERT_EQ(exporter.exportToFile(odd, SampleRange(1000, 50000)), ExportStatus::Done);
    readAudio(odd, &info);
    EXPECT_EQ(info.frames, 49000);

    // A range of its own, in the type the extension names.
    const std::string part = (out() / "part.flac").string();
    ASSERT_EQ(exporter.exportToFile(part, SampleRange(20000, 22000)), ExportStatus::Done);
    frames = readAudio(part, &info);
    EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_FLAC);
    EXPECT_EQ(info.frames, 2000);
    EXPECT_NEAR(frames[0], 0.5f, 1.0 / 32768);
    EXPECT_TRUE(prompter.entries().empty());
}

// The file is written behind the render; a write that fails there (here: the file-size
// limit, as a full disk would) still ends the export with the failure message, and the
// file keeps the blocks written before it.
TEST_F(ExportTest, WriteFailureBehindTheRenderIsReported)
{
    clips({{0, 20 * 44100, 0.25f}});
    StoppingRunner runner;
    AudioExporter exporter(doc, host, runner, prompter);
    const std::string path = (out() / "limited.wav").string();

    constexpr rlim_t kLimit = 256 * 1024;
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = kLimit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const ExportStatus status = exporter.exportToFile(path);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(status, ExportStatus::Failed);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{kClassComMessage});
    SF_INFO info{};
    const std::vector<float> frames = readAudio(path, &info);
    EXPECT_GT(info.frames, 0);
    EXPECT_LE(info.frames * 4, static_cast<sf_count_t>(kLimit));
    ASSERT_FALSE(frames.empty());
    EXPECT_NEAR(frames.back(), 0.25f, 1.0 / 32768);
}

TEST_F(ExportTest, DestinationFormatIsPcmOfTheProjectFormat)
{
    WAVEFORMATEX project{};
    project.wFormatTag = QUILLON_WAVE_FORMAT_IEEE_FLOAT; // whatever the project says, files are PCM
    project.nChannels = 2;
    project.nSamplesPerSec = 48000;
    project.wBitsPerSample = 24;
    project.cbSize = 22;
    const WAVEFORMATEX d = AudioExporter::destinationFormat(project);
    EXPECT_EQ(d.wFormatTag, QUILLON_WAVE_FORMAT_PCM);
    EXPECT_EQ(d.nChannels, 2);
    EXPECT_EQ(d.nSamplesPerSec, 48000u);
    EXPECT_EQ(d.wBitsPerSample, 24);
    EXPECT_EQ(d.nBlockAlign, 6);
    EXPECT_EQ(d.nAvgBytesPerSec, 288000u);
    EXPECT_EQ(d.cbSize, 0);
}

TEST_F(ExportTest, CancelledChoiceRefusedFormatAndFailedFileAreReported)
{
    clips({{0, 3000, 0.25f}});
    StoppingRunner runner;
    AudioExporter exporter(doc, host, runner, prompter);

    // Without a user interface the filter answers as a cancelled save dialog: nothing is
    // written and nothing is said.
    EXPECT_EQ(exporter.exportWithChoice(), ExportStatus::Cancelled);
    EXPECT_TRUE(prompter.entries().empty());
    EXPECT_EQ(runner.calls, 0);

    // A file that cannot be created.
    EXPECT_EQ(exporter.exportToFile((out() / "missing" / "x.wav").string()), ExportStatus::Failed);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{kClassComMessage});
    EXPECT_EQ(runner.calls, 0);

    // A project that is not two-channel is refused before any file exists.
    prompter.clear();
    doc.setFormat(makePcmFormat(44100, 1, 16));
    EXPECT_EQ(exporter.exportToFile((out() / "mono.wav").string()), ExportStatus::Failed);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{AudioExporter::kChannelsText});
    EXPECT_FALSE(fs::exists(out() / "mono.wav"));
}

TEST_F(ExportTest, ProgressIsShownInWholePercentOnlyWhenItChanges)
{
    clips({{0, 30 * 44100, 0.25f}});
    doc.masterChain().append(makeEffect("Reverb"));
    PollingJobRunner runner(1ms);
    std::vector<int> percents;
    std::vector<std::string> captions;
    runner.setProgressListener([&](int percent, const std::string& caption) {
        percents.push_back(percent);
        captions.push_back(caption);
    });
    AudioExporter exporter(doc, host, runner, prompter);
    ASSERT_EQ(exporter.exportToFile((out() / "progress.wav").string()), ExportStatus::Done);
    ASSERT_GE(percents.size(), 2u);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_EQ(captions.back(), "Exporting, 100% done");
    for (size_t i = 1; i < percents.size(); ++i)
        EXPECT_GT(percents[i], percents[i - 1]);
}

} // namespace
} // namespace quillon::test
