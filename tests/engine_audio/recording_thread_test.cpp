// Recording takes from the wave input device through the real file filter: the input is
// the test's raw file, the take a WAV file that libsndfile reads back.

#include "alsa_test_setup.h"

#include "base/wave_format.h"
#include "engine/recording_state.h"
#include "engine/recording_thread.h"
#include "engine/sample_block.h"
#include "engine/wave_output_device.h"
#include "plugins/file_filter.h"
#include "plugins/plugin_host.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include <sys/resource.h>

namespace quillon {
namespace {

using namespace std::chrono_literals;
using test::AlsaTestSetup;

constexpr uint32_t kRate = 44100;
constexpr uint32_t kBuffer = kRate / 10;

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 15000ms)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// Waits until the recording thread has handled `buffers` more device buffers from now,
// so that whatever it does with them (or leaves undone) has happened.
bool waitForBuffers(const RecordingState& state, int64_t buffers)
{
    const int64_t target = state.buffersRead() + buffers;
    return waitFor([&] { return state.buffersRead() >= target; });
}

// PCM of `format`: a sine per channel at `level`, as integer samples (one int per sample).
std::vector<int32_t> toneSamples(const WAVEFORMATEX& format, uint32_t frames, double level)
{
    const double full = format.wBitsPerSample == 16 ? 32767.0 : 8388607.0;
    std::vector<int32_t> samples;
    for (uint32_t f = 0; f < frames; ++f)
        for (uint32_t c = 0; c < format.nChannels; ++c)
            samples.push_back(static_cast<int32_t>(
                level * full * std::sin(2 * M_PI * (300.0 + 200.0 * c) * f / kRate + 0.3)));
    return samples;
}

std::vector<uint8_t> pcmBytes(const std::vector<int32_t>& samples, uint16_t bits)
{
    std::vector<uint8_t> bytes;
    for (int32_t v : samples)
        for (uint16_t b = 0; b < bits / 8; ++b)
            bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * b)));
    return bytes;
}

// Every sample of a take at its own resolution; `frames` receives the frame count.
std::vector<int32_t> readTake(const std::string& path, const WAVEFORMATEX& format, int64_t* frames = nullptr)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f)
        return {};
    EXPECT_EQ(info.channels, format.nChannels);
    EXPECT_EQ(info.samplerate, static_cast<int>(format.nSamplesPerSec));
    EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, format.wBitsPerSample == 16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24);
    std::vector<int32_t> samples(static_cast<size_t>(info.frames * info.channels));
    sf_readf_int(f, samples.data(), info.frames);
    sf_close(f);
    for (int32_t& v : samples)
        v >>= 32 - format.wBitsPerSample;
    if (frames)
        *frames = info.frames;
    return samples;
}

class RecordingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_options = AlsaTestSetup::defaults();
        ASSERT_TRUE(m_host.addServerLibrary(std::string(std::getenv("QUILLON_SERVER_DIR")) + "/filefilter.so"));
    }

    // Input: `frames` of tone at `level`, then the device's silence.
    std::vector<int32_t> useInput(const WAVEFORMATEX& format, uint32_t frames, double level = 0.5)
    {
        std::vector<int32_t> samples = toneSamples(format, frames, level);
        test::writeBytes(m_options.inFile, pcmBytes(samples, format.wBitsPerSample));
        AlsaTestSetup::configure(m_options);
        return samples;
    }

    std::unique_ptr<RecordingState> makeState(const WAVEFORMATEX& format, const std::string& take,
                                              int32_t insertion = 1000)
    {
        return std::make_unique<RecordingState>(format, take, FileFilter::create(m_host), -1, insertion);
    }

    test::AlsaDeviceOptions m_options;
    PluginHost m_host;
};

class RecordedTake : public RecordingTest, public ::testing::WithParamInterface<uint16_t> {};

TEST_P(RecordedTake, ReadsBackAsTheInput)
{
    const WAVEFORMATEX format = RecordingState::recordingFormat(kRate, true, GetParam());
    const std::vector<int32_t> input = useInput(format, kRate);
    const std::string take = AlsaTestSetup::file("take") + ".wav";
    auto state = makeState(format, take);
    state->setPaused(false);

    RecordingThread thread(*state);
    thread.start();
    ASSERT_TRUE(waitFor([&] { return state->currentPosition() >= 1000 + 5 * kBuffer; }));
    EXPECT_GT(state->leftPeak(), 0.45f);
    EXPECT_GT(state->rightPeak(), 0.45f);
    state->requestStop();
    thread.join();
    EXPECT_TRUE(state->isFinished());
    EXPECT_FALSE(state->deviceError());
    EXPECT_TRUE(state->takeEnglishMessages().empty());
    EXPECT_FALSE(state->fileFilter().isValid()) << "released, which completes the file";

    int64_t frames = 0;
    const std::vector<int32_t> recorded = readTake(take, format, &frames);
    EXPECT_EQ(frames, state->currentPosition() - 1000);
    EXPECT_EQ(frames % kBuffer, 0);
    ASSERT_GE(recorded.size(), 5u * kBuffer * 2);
    ASSERT_LE(recorded.size(), input.size());
    EXPECT_TRUE(std::equal(recorded.begin(), recorded.end(), input.begin())) << "every sample, from the first";
}

INSTANTIATE_TEST_SUITE_P(Resolutions, RecordedTake, ::testing::Values(16, 24),
                         [](const auto& info) { return std::to_string(info.param) + "bit"; });

TEST_F(RecordingTest, ATakeStartsPausedAndRecordsFromTheRecordButtonOn)
{
    const WAVEFORMATEX format = RecordingState::recordingFormat(kRate, false, 16);
    const std::vector<int32_t> input = useInput(format, kRate);
    const std::string take = AlsaTestSetup::file("take") + ".wav";
    auto state = makeState(format, take, 0);

    RecordingThread thread(*state);
    thread.start();
    // Paused: the meters move and the file exists, but nothing is written.
    ASSERT_TRUE(waitFor([&] { return state->leftPeak() > 0.4f; }));
    EXPECT_EQ(state->rightPeak(), 0.0f) << "mono";
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(take); }));
    ASSERT_TRUE(waitForBuffers(*state, 3));
    EXPECT_EQ(state->currentPosition(), 0);

    state->setPaused(false);
    ASSERT_TRUE(waitFor([&] { return state->currentPosition() >= 2 * kBuffer; }));
    state->setPaused(true);
    // A buffer already past the pause check still lands; the next one read has seen it.
    ASSERT_TRUE(waitForBuffers(*state, 1));
    const int64_t recorded = state->currentPosition();
    ASSERT_TRUE(waitForBuffers(*state, 3));
    EXPECT_EQ(state->currentPosition(), recorded) << "pause stops the take";
    state->requestStop();
    thread.join();

    int64_t frames = 0;
    const std::vector<int32_t> samples = readTake(take, format, &frames);
    EXPECT_EQ(frames, recorded);
    ASSERT_FALSE(samples.empty());
    // The take is a later stretch of the input, starting on a buffer boundary.
    size_t offset = kBuffer;
    while (offset + samples.size() <= input.size() && !std::equal(samples.begin(), samples.end(), input.begin() + offset))
        offset += kBuffer;
    EXPECT_LE(offset + samples.size(), input.size()) << "not a stretch of the input";
}

TEST_F(RecordingTest, SilencePausesTheTakeByItself)
{
    const WAVEFORMATEX format = RecordingState::recordingFormat(kRate, true, 16);
    // Three loud buffers; after them the device delivers silence.
    const std::vector<int32_t> input = useInput(format, 3 * kBuffer, 0.3);
    const std::string take = AlsaTestSetup::file("take") + ".wav";
    auto state = makeState(format, take, 0);
    state->setSilenceLimit(3);
    state->setPaused(false);

    RecordingThread thread(*state);
    thread.start();
    ASSERT_TRUE(waitFor([&] { return state->isPaused(); }));
    EXPECT_EQ(state->currentPosition(), 6 * kBuffer) << "three loud buffers, then three quiet ones";
    ASSERT_TRUE(waitForBuffers(*state, 3));
    EXPECT_EQ(state->currentPosition(), 6 * kBuffer);

    // Recording again counts the quiet buffers from zero.
    state->setPaused(false);
    ASSERT_TRUE(waitFor([&] { return state->isPaused(); }));
    EXPECT_EQ(state->currentPosition(), 9 * kBuffer);
    state->requestStop();
    thread.join();

    const std::vector<int32_t> samples = readTake(take, format);
    ASSERT_EQ(samples.size(), 9u * kBuffer * 2);
    EXPECT_TRUE(std::equal(input.begin(), input.end(), samples.begin()));
    EXPECT_TRUE(std::all_of(samples.begin() + static_cast<std::ptrdiff_t>(input.size()), samples.end(),
                            [](int32_t v) { return v == 0; }));
}

TEST_F(RecordingTest, ATakeSurvivesTheDeviceFailing)
{
    const WAVEFORMATEX format = RecordingState::recordingFormat(kRate, true, 16);
    for (bool withError : {false, true}) {
        SCOPED_TRACE(withError ? "device error" : "device hangs");
        m_options.failAfter = 3 * kBuffer + 1000;
        m_options.failWithError = withError;
        const std::vector<int32_t> input = useInput(format, kRate);
        const std::string take = AlsaTestSetup::file("take") + ".wav";
        auto state = makeState(format, take, 0);
        state->setPaused(false);

        RecordingThread thread(*state);
        thread.setStallLimit(300ms);
        thread.start();
        ASSERT_TRUE(waitFor([&] { return state->isFinished(); })) << "the thread ends by itself";
        thread.join();
        EXPECT_TRUE(state->deviceError());
        EXPECT_EQ(state->takeEnglishMessages(), std::vector<std::string>{RecordingState::kDeviceFailedText});
        EXPECT_EQ(state->currentPosition(), 3 * kBuffer);

        int64_t frames = 0;
        const std::vector<int32_t> samples = readTake(take, format, &frames);
        EXPECT_EQ(frames, 3 * kBuffer) << "everything recorded before the failure";
        EXPECT_TRUE(std::equal(samples.begin(), samples.end(), input.begin()));
    }
}

TEST_F(RecordingTest, ADeviceThatCannotOpenEndsTheThreadWithItsMessage)
{
    m_options.unavailable = true;
    AlsaTestSetup::configure(m_options);
    const std::string take = AlsaTestSetup::file("take") + ".wav";
    auto state = makeState(RecordingState::recordingFormat(kRate, true, 16), take);
    RecordingThread thread(*state);
    thread.start();
    ASSERT_TRUE(waitFor([&] { return state->isFinished(); }));
    thread.join();
    EXPECT_TRUE(state->deviceError());
    EXPECT_EQ(state->takeEnglishMessages(),
              std::vector<std::string>{"An error occurred while trying to open the audio input device."});
    EXPECT_FALSE(state->fileFilter().isValid());
    EXPECT_FALSE(std::filesystem::exists(take));
}

TEST_F(RecordingTest, ChangingTheTargetDiscardsThePreviousTake)
{
    const WAVEFORMATEX format = RecordingState::recordingFormat(kRate, true, 16);
    useInput(format, kRate);
    const std::string first = AlsaTestSetup::file("first") + ".wav";
    const std::string second = AlsaTestSetup::file("second") + ".wav";
    auto state = makeState(format, first, 0);
    state->setPaused(false);

    RecordingThread thread(*state);
    thread.start();
    ASSERT_TRUE(waitFor([&] { return state->currentPosition() >= kBuffer; }));
    state->setPaused(true);
    state->changeTarget(second);
    // The old take goes only after the new file exists, so wait for both steps.
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(second); }));
    EXPECT_TRUE(waitFor([&] { return !std::filesystem::exists(first); }));
    const int64_t before = state->currentPosition();
    state->setPaused(false);
    ASSERT_TRUE(waitFor([&] { return state->currentPosition() >= before + kBuffer; }));
    state->requestStop();
    thread.join();
    int64_t frames = 0;
    readTake(second, format, &frames);
    EXPECT_EQ(frames, state->currentPosition() - before);
}

TEST_F(RecordingTest, AFileThatCannotBeCreatedPausesAndKeepsThePreviousTake)
{
    const WAVEFORMATEX format = RecordingState::recordingFormat(kRate, true, 16);
    const std::vector<int32_t> input = useInput(format, kRate);
    const std::string missing = (AlsaTestSetup::folder() / "no such folder" / "take.wav").string();
    auto state = makeState(format, missing, 0);
    state->setPaused(false);

    RecordingThread thread(*state);
    thread.start();
    ASSERT_TRUE(waitFor([&] { return !state->takeEnglishMessages().empty() || state->isPaused(); }));
    ASSERT_TRUE(waitFor([&] { return state->isPaused(); }));
    EXPECT_EQ(state->currentPosition(), 0);

    // Record into a good file, then fail to change to a bad one: the good one stays.
    const std::string good = AlsaTestSetup::file("good") + ".wav";
    state->changeTarget(good);
    // The thread may see the resume before it has opened the new file and pause again
    // (nothing to record into); resume until it records.
    ASSERT_TRUE(waitFor([&] {
        if (state->isPaused())
            state->setPaused(false);
        return state->currentPosition() >= 2 * kBuffer;
    }));
    state->setPaused(true);
    state->takeEnglishMessages();
    state->changeTarget(missing);
    ASSERT_TRUE(waitFor([&] { return !state->takeEnglishMessages().empty(); }));
    state->setPaused(false);
    // The second buffer read after the resume has seen it and found no file.
    ASSERT_TRUE(waitForBuffers(*state, 2));
    EXPECT_TRUE(state->isPaused()) << "nothing to record into";
    const int64_t recorded = state->currentPosition();
    state->requestStop();
    thread.join();

    EXPECT_TRUE(std::filesystem::exists(good));
    int64_t frames = 0;
    readTake(good, format, &frames);
    EXPECT_EQ(frames, recorded);
}

TEST_F(RecordingTest, TheCreateMessageNamesTheFile)
{
    const WAVEFORMATEX format = RecordingState::recordingFormat(kRate, true, 16);
    useInput(format, kRate);
    const std::string missing = (AlsaTestSetup::folder() / "absent" / "take.wav").string();
    auto state = makeState(format, missing, 0);
    RecordingThread thread(*state);
    thread.start();
    std::vector<std::string> messages;
    ASSERT_TRUE(waitFor([&] {
        auto m = state->takeEnglishMessages();
        messages.insert(messages.end(), m.begin(), m.end());
        return !messages.empty();
    }));
    EXPECT_EQ(messages, std::vector<std::string>{"Unable to create file " + missing + "."});
    EXPECT_TRUE(state->isPaused());
    state->requestStop();
    thread.join();
}

// The console plays the project while it records: both streams run side by side.
TEST_F(RecordingTest, RecordsWhilePlaybackRuns)
{
    const WAVEFORMATEX format = RecordingState::recordingFormat(kRate, true, 16);
    const std::vector<int32_t> input = useInput(format, kRate);
    const std::string take = AlsaTestSetup::file("take") + ".wav";
    auto state = makeState(format, take, 0);
    state->setPaused(false);

    WaveOutputDevice output;
    ASSERT_TRUE(output.open(kRate, 2, 16, -1, WaveOutputDevice::kPlaybackRingSize));
    RecordingThread thread(*state);
    thread.start();
    SampleBlock block(2205, 8);
    for (uint32_t i = 0; i < block.frameCount() * 2; ++i)
        block.data()[i] = 0.25f;
    for (int n = 0; n < 12; ++n)
        ASSERT_TRUE(output.acceptBlock(block));
    ASSERT_TRUE(waitFor([&] { return state->currentPosition() >= 3 * kBuffer; }));
    state->requestStop();
    thread.join();
    ASSERT_TRUE(waitFor([&] { return output.lastBufferDone(); }));
    output.close();
    EXPECT_EQ(output.framesDone(), 12 * 2205);
    EXPECT_FALSE(output.hasFailed());

    const std::vector<int32_t> samples = readTake(take, format);
    ASSERT_GE(samples.size(), 3u * kBuffer * 2);
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), input.begin()));
}

// A full disk, made with the file size limit: writing stops, the take keeps what it has.
TEST_F(RecordingTest, AFullDiskPausesTheTakeAndKeepsWhatWasWritten)
{
    const WAVEFORMATEX format = RecordingState::recordingFormat(kRate, true, 16);
    m_options.outFile = "/dev/null"; // the capture copy of the file plug-in must not hit the limit
    const std::vector<int32_t> input = useInput(format, kRate);
    const std::string take = AlsaTestSetup::file("take") + ".wav";
    auto state = makeState(format, take, 0);
    state->setPaused(false);

    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = 3 * kBuffer * format.nBlockAlign + 10000; // between the third and the fourth buffer
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);

    RecordingThread thread(*state);
    thread.start();
    const bool paused = waitFor([&] { return state->writeError(); });
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    ASSERT_TRUE(paused);
    EXPECT_TRUE(state->isPaused());
    EXPECT_EQ(state->currentPosition(), 3 * kBuffer);
    state->requestStop();
    thread.join();
    EXPECT_EQ(state->takeEnglishMessages(),
              std::vector<std::string>{"Unable to write to file " + take + ". The recording was paused."});

    int64_t frames = 0;
    const std::vector<int32_t> samples = readTake(take, format, &frames);
    EXPECT_GE(frames, 3 * kBuffer) << "the whole buffers written before the disk filled";
    EXPECT_LT(frames, 4 * kBuffer);
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), input.begin()));
}

} // namespace
} // namespace quillon
