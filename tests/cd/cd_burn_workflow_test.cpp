// Burning a project through the shipped burner's Image Recorder: the CD tracks, their
// files, normalisation and every way a burn must stop before anything is written.
#include "base/folder_settings.h"
#include "cd/burn_request_handler.h"
#include "cd/burner_library.h"
#include "cd/cd_burn_workflow.h"
#include "cd/cd_erase_routine.h"
#include "cd/cd_verifier.h"
#include "cd/drive_list.h"
#include "engine/engine_fixture.h"
#include "model/label_list.h"
#include <sndfile.h>
#include <filesystem>
#include <fstream>

namespace quillon::test {
namespace {

class Observer : public CdBurnObserver {
public:
    void currentTrack(const std::string& text) override
    {
        tracks.push_back(text);
        if (cancelAtTrack && int(tracks.size()) == cancelAtTrack)
            cancel = true;
    }
    void preparation(int percent) override { lastPreparation = percent; }
    void writing(int percent) override { lastWriting = percent; }
    bool cancelled() override { return cancel; }
    std::vector<std::string> tracks;
    int lastPreparation = -1;
    int lastWriting = -1;
    int cancelAtTrack = 0;
    bool cancel = false;
};

int64_t waveFrames(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f)
        return -1;
    sf_close(f);
    return info.samplerate == 44100 && info.channels == 2 ? int64_t(info.frames) : -2;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int16_t binSample(const std::string& bin, int64_t block, int channel)
{
    const size_t at = size_t(block * 2352 + channel * 2);
    return int16_t(uint8_t(bin[at]) | (uint8_t(bin[at + 1]) << 8));
}

class CdBurnWorkflowTest : public EngineFixture {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(tmp.file("work"));
        FolderSettings(settings).store(kFolderTemporary, tmp.file("work"));
        ASSERT_TRUE(library.loadFile(QUILLON_BURNER_LIBRARY)) << library.errorText();
        handler.setImagePathChooser([this]() -> std::optional<std::string> {
            ++imageRequests;
            return tmp.file("disc.cue");
        });
        const VardaBurnSettings s = handler.settings();
        ASSERT_EQ(library.init(&s), 0);
        table = library.availableDrives();
        ASSERT_NE(table, nullptr);
        for (int32_t i = 0; i < table->count; ++i)
            if (std::string(table->entries[i].address) == "image:")
                options.drive = &table->entries[i];
        ASSERT_NE(options.drive, nullptr);
        options.requests = &handler; // images are read back through the sheet it answered
    }
    void TearDown() override
    {
        library.freeMemory(table);
        library.done();
    }
    CdBurnWorkflow::Result burn()
    {
        CLabelList copy;
        copy.copyFrom(doc.labels());
        CdBurnWorkflow workflow(doc, host, library, prompter);
        const auto result = workflow.burn(copy, options, observer);
        gains = workflow.trackGains();
        error = workflow.lastError();
        return result;
    }
    // Three clips at 0-6 s, 9-17 s and 18-23 s, levels 0.5, 0.25 and -0.125.
    void threeClips()
    {
        addTrack();
        addClip(0, writeConstant("a.wav", 6 * 44100, 0.5f, 0.5f), 0);
        addClip(0, writeConstant("b.wav", 8 * 44100, 0.25f, 0.25f), 9 * 44100);
        addClip(0, writeConstant("c.wav", 5 * 44100, -0.125f, -0.125f), 18 * 44100);
        doc.setAutoCdTracks(1);
        doc.synchroniseCdTracks();
    }

    BurnerLibrary library;
    BurnRequestHandler handler{prompter};
    VardaDriveTable* table = nullptr;
    CdBurnOptions options;
    Observer observer;
    std::vector<float> gains;
    std::string error;
    int imageRequests = 0;
};

TEST_F(CdBurnWorkflowTest, TheDiscPlaysTheProjectTimeline)
{
    threeClips();
    ASSERT_EQ(burn(), CdBurnWorkflow::Result::Burned) << error;
    const std::string cue = readAll(tmp.file("disc.cue"));
    // Track 2: index 0 at 450, index 1 at 675; track 3: 1275 and 1350; lead-out 1725.
    for (const char* line : {"TRACK 02 AUDIO\n    INDEX 00 00:06:00\n    INDEX 01 00:09:00",
                             "TRACK 03 AUDIO\n    INDEX 00 00:17:00\n    INDEX 01 00:18:00"})
        EXPECT_NE(cue.find(line), std::string::npos) << line << "\n" << cue;
    const std::string bin = readAll(tmp.file("disc.bin"));
    EXPECT_EQ(bin.size(), size_t(1725) * 2352);
    // Each file holds exactly its range: no tail of the next track.
    CdBurnWorkflow workflow(doc, host, library, prompter);
    EXPECT_EQ(waveFrames(workflow.trackPath(1)), 9 * 44100);
    EXPECT_EQ(waveFrames(workflow.trackPath(2)), 9 * 44100);
    EXPECT_EQ(waveFrames(workflow.trackPath(3)), 5 * 44100);
    EXPECT_NEAR(binSample(bin, 100, 0), 16384, 2);
    EXPECT_NEAR(binSample(bin, 449, 0), 16384, 2);
    EXPECT_EQ(binSample(bin, 450, 0), 0); // the gap, read from the audio
    EXPECT_EQ(binSample(bin, 674, 1), 0);
    EXPECT_NEAR(binSample(bin, 675, 0), 8192, 2);
    EXPECT_NEAR(binSample(bin, 1350, 1), -4096, 2);
    EXPECT_NEAR(binSample(bin, 1724, 0), -4096, 2);
    EXPECT_EQ(observer.tracks, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(observer.lastPreparation, 100);
    EXPECT_EQ(observer.lastWriting, 100);
    EXPECT_EQ(imageRequests, 1);
}

TEST_F(CdBurnWorkflowTest, WrittenAudioIsReadBackAndTheFirstDifferingBlockNamed)
{
    threeClips();
    ASSERT_EQ(burn(), CdBurnWorkflow::Result::Burned) << error;
    CdBurnWorkflow workflow(doc, host, library, prompter);
    const std::vector<std::string> files = {workflow.trackPath(1), workflow.trackPath(2), workflow.trackPath(3)};
    EXPECT_TRUE(CdVerifier::verify(tmp.file("disc.cue"), false, files).ok);

    // One byte changed in track 3, then one in track 2's pregap (the tail of track 1's file).
    for (const auto& [block, track] : {std::pair{1400L, 3}, std::pair{600L, 1}}) {
        std::fstream bin(tmp.file("disc.bin"), std::ios::in | std::ios::out | std::ios::binary);
        bin.seekp(block * 2352 + 1000);
        bin.put('\x55');
        bin.close();
        const CdVerifyResult r = CdVerifier::verify(tmp.file("disc.cue"), false, files);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.track, track);
        EXPECT_EQ(r.block, block);
        EXPECT_NE(r.message.english().find("CD track " + std::to_string(track) + " differs from its file at block " +
                                 std::to_string(block)),
                  std::string::npos)
            << r.message.english();
    }
    // A file list that is not the disc's.
    EXPECT_NE(CdVerifier::verify(tmp.file("disc.cue"), false, {files[0]}).message.english().find("has 3 tracks, not 1"),
              std::string::npos);
    EXPECT_EQ(CdVerifier::imageSheet(tmp.file("out")), tmp.file("out.cue"));
    EXPECT_EQ(CdVerifier::imageSheet(tmp.file("out.bin")), tmp.file("out.cue"));
}

TEST_F(CdBurnWorkflowTest, ARealDiscIsReadBackAfterBurning)
{
    // Writes a disc: only with a blank in the drive the variable names.
    const char* device = std::getenv("QUILLON_TEST_CD_DEVICE");
    if (!device || !*device)
        GTEST_SKIP() << "QUILLON_TEST_CD_DEVICE names no drive with a blank CD-R";
    threeClips();
    const OfferedDrive* drive = nullptr;
    const auto drives = DriveList::offered(table, library.apiVersion());
    for (const OfferedDrive& d : drives)
        if (d.address == device)
            drive = &d;
    ASSERT_NE(drive, nullptr) << device;
    options.drive = drive->entry;
    ASSERT_EQ(burn(), CdBurnWorkflow::Result::Burned) << error;
}

TEST_F(CdBurnWorkflowTest, AProjectAt48kHzBurnsAtTheRightLength)
{
    WAVEFORMATEX f = doc.format();
    f.nSamplesPerSec = 48000;
    f.nAvgBytesPerSec = 48000 * f.nBlockAlign;
    doc.setFormat(f);
    addTrack();
    // A 1 kHz tone: resampled, it keeps its pitch (a period of 44.1 frames).
    addClip(0, writeSignal("tone.wav", 10 * 48000, [](int, int64_t n) { return 0.5 * std::sin(2 * M_PI * 1000.0 * n / 48000); }), 0);
    CLabelList::Cursor c;
    doc.labels().first(c)->title = "Tone"; // a new project starts with a split at 0
    ASSERT_EQ(burn(), CdBurnWorkflow::Result::Burned) << error;
    CdBurnWorkflow workflow(doc, host, library, prompter);
    EXPECT_EQ(waveFrames(workflow.trackPath(1)), 441000);
    const std::string bin = readAll(tmp.file("disc.bin"));
    EXPECT_EQ(bin.size(), size_t(750) * 2352);
    // Count rising zero crossings over 5 s in the middle: 5000 of them at 1 kHz.
    int crossings = 0;
    for (int64_t frame = 2 * 44100; frame < 7 * 44100; ++frame) {
        const size_t at = size_t(frame * 4);
        const auto a = int16_t(uint8_t(bin[at]) | (uint8_t(bin[at + 1]) << 8));
        const auto b = int16_t(uint8_t(bin[at + 4]) | (uint8_t(bin[at + 5]) << 8));
        crossings += a < 0 && b >= 0;
    }
    EXPECT_NEAR(crossings, 5000, 2);
}

TEST_F(CdBurnWorkflowTest, NormalisationGains)
{
    threeClips();
    options.normalize = NormalizeMode::Global;
    options.level = 1.0f; // 0 dB
    ASSERT_EQ(burn(), CdBurnWorkflow::Result::Burned) << error;
    ASSERT_EQ(gains.size(), 3u);
    for (float g : gains)
        EXPECT_NEAR(g, 2.0f, 1e-4f); // 1 / the mix peak of 0.5
    options.normalize = NormalizeMode::PerTrack;
    options.level = 0.5f;
    ASSERT_EQ(burn(), CdBurnWorkflow::Result::Burned) << error;
    ASSERT_EQ(gains.size(), 3u);
    EXPECT_NEAR(gains[0], 1.0f, 1e-4f);
    EXPECT_NEAR(gains[1], 2.0f, 1e-4f);
    EXPECT_NEAR(gains[2], 4.0f, 1e-4f);
    // The peak is measured with every track audible, whatever the transport left.
    doc.trackAt(0)->setPlaybackOff(1);
    options.normalize = NormalizeMode::Global;
    options.level = 1.0f;
    ASSERT_EQ(burn(), CdBurnWorkflow::Result::Burned) << error;
    EXPECT_NEAR(gains[0], 2.0f, 1e-4f);
}

TEST_F(CdBurnWorkflowTest, ASilentMixIsBurnedAtGainOne)
{
    addTrack();
    addClip(0, writeConstant("silence.wav", 5 * 44100, 0.0f, 0.0f), 0);
    options.normalize = NormalizeMode::Global;
    ASSERT_EQ(burn(), CdBurnWorkflow::Result::Burned) << error;
    EXPECT_EQ(gains, (std::vector<float>{1.0f}));
}

TEST_F(CdBurnWorkflowTest, FailuresStopBeforeAnythingIsWritten)
{
    threeClips();
    // A track file that cannot be created.
    std::ofstream(tmp.file("blocker")) << "x";
    FolderSettings(settings).store(kFolderTemporary, tmp.file("blocker") + "/sub");
    EXPECT_EQ(burn(), CdBurnWorkflow::Result::Failed);
    EXPECT_NE(error.find("cannot be written"), std::string::npos) << error;
    EXPECT_EQ(imageRequests, 0);
    EXPECT_FALSE(std::filesystem::exists(tmp.file("disc.bin")));

    // A drive that does not open.
    FolderSettings(settings).store(kFolderTemporary, tmp.file("work"));
    VardaDriveEntry missing{};
    std::snprintf(missing.address, sizeof missing.address, "%s", "/dev/no-such-recorder");
    const VardaDriveEntry* chosen = options.drive;
    options.drive = &missing;
    EXPECT_EQ(burn(), CdBurnWorkflow::Result::Failed);
    EXPECT_EQ(error, CdBurnWorkflow::kNoDeviceText);
    options.drive = chosen;

    // A project that breaks the rules: a track of 3 s.
    doc.labels().add(20 * 44100, ProjectLabel::kTrackSplit);
    EXPECT_EQ(burn(), CdBurnWorkflow::Result::Failed);
    EXPECT_NE(error.find("shorter than 4 seconds"), std::string::npos) << error;
    EXPECT_EQ(imageRequests, 0);
    EXPECT_FALSE(prompter.messages().empty());
}

TEST_F(CdBurnWorkflowTest, CancelStopsBetweenTracksAndBurnsNothing)
{
    threeClips();
    observer.cancelAtTrack = 2;
    EXPECT_EQ(burn(), CdBurnWorkflow::Result::Cancelled);
    EXPECT_EQ(imageRequests, 0);
    EXPECT_FALSE(std::filesystem::exists(tmp.file("disc.cue")));
}

TEST_F(CdBurnWorkflowTest, RequestAnswers)
{
    BurnRequestHandler h(prompter);
    bool erased = false;
    h.setEraser([&] { return erased; });
    char path[VARDA_PATH_SIZE] = {};
    EXPECT_EQ(h.answer(VARDA_REQUEST_IMAGE_PATH, path), VARDA_ANSWER_IMAGE_CANCELLED);
    h.setImagePathChooser([] { return std::optional<std::string>(std::string(300, 'x')); });
    EXPECT_EQ(h.answer(VARDA_REQUEST_IMAGE_PATH, path), VARDA_ANSWER_IMAGE_CANCELLED); // too long for the field
    EXPECT_EQ(path[0], '\0');
    const std::vector<std::pair<int32_t, int32_t>> fixed = {{2, 5}, {6, 3}, {7, 5}, {12, 5}, {13, 1}, {99, 0}};
    for (auto [request, expected] : fixed)
        EXPECT_EQ(h.answer(request, nullptr), expected) << request;
    prompter.queueAnswer(true);
    EXPECT_EQ(h.answer(VARDA_REQUEST_ERASE_BEFORE_WRITE, nullptr), VARDA_ANSWER_NO); // the erase failed
    erased = true;
    prompter.queueAnswer(true);
    EXPECT_EQ(h.answer(VARDA_REQUEST_ERASE_BEFORE_WRITE, nullptr), VARDA_ANSWER_PROCEED);
    prompter.queueAnswer(false);
    EXPECT_EQ(h.answer(VARDA_REQUEST_ERASE_BEFORE_WRITE, nullptr), VARDA_ANSWER_NO);
    EXPECT_EQ(h.answer(VARDA_REQUEST_CANCELLED, nullptr), 0);
    EXPECT_TRUE(h.cancelFlag().load());
}

} // namespace
} // namespace quillon::test

namespace quillon::test {
namespace {

TEST_F(CdBurnWorkflowTest, EraseRoutineNamesWhatIsWrong)
{
    CdEraseRoutine routine(library, prompter);
    EXPECT_FALSE(routine.run(nullptr, VARDA_ERASE_QUICK));
    void* image = library.openDevice(options.drive);
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(routine.run(image, VARDA_ERASE_QUICK));
    library.closeDevice(image);
    const auto messages = prompter.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find(CdEraseRoutine::kNoDeviceText), std::string::npos);
    EXPECT_NE(messages[1].find(CdEraseRoutine::kNoCdrwSupportText), std::string::npos);
}

} // namespace
} // namespace quillon::test
