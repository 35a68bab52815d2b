// Playback of a real project through the transport, the wave output device and ALSA.

#include "alsa_test_setup.h"
#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "base/view_hints.h"
#include "base/wave_format.h"
#include "engine/pcm_converter.h"
#include "engine/renderer.h"
#include "engine/sample_block.h"
#include "engine/sample_sink.h"
#include "engine/transport.h"
#include "model/audio_clip.h"
#include "model/curve.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/project_label.h"
#include "model/track.h"
#include "plugins/plugin_host.h"
#include "support/temp_dir.h"
#include "support/test_audio.h"

#include <gtest/gtest.h>

#include <chrono>
#include <tuple>
#include <cmath>
#include <cstring>
#include <thread>

using namespace quillon;
using namespace std::chrono_literals;

namespace {

// The 16-bit samples played, from the first sound on (the device may start with silence).
std::vector<int16_t> playedSamples(const std::string& path)
{
    const std::vector<uint8_t> raw = test::readBytes(path);
    std::vector<int16_t> samples(raw.size() / 2);
    std::memcpy(samples.data(), raw.data(), samples.size() * 2);
    size_t first = 0;
    while (first < samples.size() && samples[first] == 0)
        ++first;
    return std::vector<int16_t>(samples.begin() + std::ptrdiff_t(first), samples.end());
}

size_t soundingSamples(const std::vector<int16_t>& samples)
{
    size_t n = 0;
    for (int16_t s : samples)
        n += s != 0;
    return n;
}

struct HintLog : HintObserver {
    std::vector<int> hints;
    void onHint(int hint, const HintPayload*) override { hints.push_back(hint); }
};

class TransportTest : public ::testing::Test {
protected:
    TransportTest()
    {
        options = test::AlsaTestSetup::defaults();
        test::AlsaTestSetup::configure(options);
        const char* dir = std::getenv("QUILLON_SERVER_DIR");
        EXPECT_TRUE(host.addServerLibrary(std::string(dir ? dir : "") + "/filefilter.so"));
        PluginHost::setCurrent(&host);
        settings.writeProfileInt("General", "StartupTracks", 2);
        // Exact sample values: no noise shaping (on by default), no dither.
        settings.writeProfileInt("Audio", "NoiseShaping", 0);
        doc = std::make_unique<CMultitrackerDoc>(settings, prompter);
        doc->onNewDocument();
        doc->hints().addObserver(&log);
        transport = std::make_unique<Transport>(*doc, settings);
    }
    ~TransportTest() override
    {
        transport.reset();
        doc->hints().removeObserver(&log);
        doc.reset();
        PluginHost::setCurrent(nullptr);
    }

    // A clip of constant value on a track.
    void addClip(int32_t track, int32_t start, int32_t frames, float value)
    {
        const std::string path = tmp.file("c" + std::to_string(counter++) + ".wav");
        ASSERT_TRUE(test::writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2,
                                     std::vector<float>(size_t(frames) * 2, value)));
        auto clip = std::make_unique<CAudioClip>(&doc->format());
        ASSERT_TRUE(clip->openFile(start, path));
        doc->addClipToTrack(track, std::move(clip), false);
    }

    // Ticks the 25 ms timer until playback ends (or the limit passes).
    bool runUntilOver(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (!transport->updatePlayPosition())
                return true;
            std::this_thread::sleep_for(25ms);
        }
        return false;
    }

    test::AlsaDeviceOptions options;
    test::TempDir tmp;
    PluginHost host;
    MemorySettingsStore settings;
    RecordingPrompter prompter;
    HintLog log;
    std::unique_ptr<CMultitrackerDoc> doc;
    std::unique_ptr<Transport> transport;
    int counter = 0;
};

// Keeps every block the renderer hands over.
struct CollectingSink : SampleSink {
    std::vector<float> samples;
    int64_t frames = 0;
    bool acceptBlock(const SampleBlock& block) override
    {
        samples.insert(samples.end(), block.data(), block.data() + block.frameCount() * block.channels());
        frames += block.frameCount();
        return true;
    }
    int64_t framesDone() const override { return frames; }
    int64_t framesDelivered() const override { return frames; }
};

} // namespace

TEST_F(TransportTest, PlaysExactlyWhatTheRendererRenders)
{
    // Two tracks of different tones, overlapping clips with a crossfade, pans and a curve.
    const auto tone = [](double f, int32_t frames) {
        std::vector<float> v(size_t(frames) * 2);
        for (int32_t i = 0; i < frames; ++i)
            v[size_t(i) * 2] = v[size_t(i) * 2 + 1] = float(0.4 * std::sin(2 * M_PI * f * i / 44100));
        return v;
    };
    int n = 0;
    for (auto [track, start, freq] : {std::tuple{0, 0, 440.0}, {0, 6000, 660.0}, {1, 2000, 550.0}}) {
        const std::string path = tmp.file("t" + std::to_string(n++) + ".wav");
        ASSERT_TRUE(test::writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, tone(freq, 9000)));
        auto clip = std::make_unique<CAudioClip>(&doc->format());
        ASSERT_TRUE(clip->openFile(start, path));
        doc->addClipToTrack(track, std::move(clip), false);
    }
    doc->trackAt(1)->setPan(0.2f);
    doc->trackAt(0)->addCurve(1)->addPoint(12000, 1.0f);
    const SampleRange range(0, 15000);

    // What the renderer makes of it, converted to 16 bits by the rule alone.
    for (int32_t i = 0; i < doc->trackCount(); ++i)
        doc->trackAt(i)->setPlaybackOff(0);
    CollectingSink sink;
    {
        Renderer renderer(*doc);
        RenderRequest request;
        request.sink = &sink;
        request.range = range;
        renderer.render(request);
    }
    std::vector<uint8_t> expected(sink.samples.size() * 2);
    PcmConverter converter;
    float error[2] = {0, 0};
    converter.convert(sink.samples.data(), uint32_t(sink.frames), 2, 16, false, false, error, expected.data());

    ASSERT_EQ(transport->play(range, nullptr, false), Transport::PlayResult::Started);
    ASSERT_TRUE(runUntilOver(5s));
    // The device may start with silence; from the first sound on, the same bytes.
    std::vector<uint8_t> raw = test::readBytes(options.outFile);
    size_t first = 0;
    while (first + 4 <= raw.size() && raw[first] == 0 && raw[first + 1] == 0 && raw[first + 2] == 0 &&
           raw[first + 3] == 0)
        first += 4;
    size_t leading = 0; // silent frames at the start of the render itself
    while (leading + 4 <= expected.size() && expected[leading] == 0 && expected[leading + 1] == 0 &&
           expected[leading + 2] == 0 && expected[leading + 3] == 0)
        leading += 4;
    ASSERT_GE(raw.size() - first, expected.size() - leading);
    EXPECT_TRUE(std::equal(expected.begin() + std::ptrdiff_t(leading), expected.end(),
                           raw.begin() + std::ptrdiff_t(first)));
}

TEST_F(TransportTest, PlaysToTheEndThenSwitchesEveryTrackOff)
{
    addClip(0, 0, 4410, 0.25f);
    addClip(1, 0, 4410, 0.25f);
    ASSERT_EQ(transport->play({0, 4410}, nullptr, false), Transport::PlayResult::Started);
    EXPECT_EQ(doc->trackAt(0)->playbackOff(), 0);
    ASSERT_TRUE(runUntilOver(5s));
    EXPECT_FALSE(transport->isPlaying());
    for (int32_t i = 0; i < doc->trackCount(); ++i)
        EXPECT_EQ(doc->trackAt(i)->playbackOff(), 1);
    EXPECT_EQ(log.hints.back(), kHintPlaybackOver);
    // Two tracks of 0.25 at unity: 0.5 in 16 bits, for the two whole 50 ms blocks.
    const std::vector<int16_t> played = playedSamples(options.outFile);
    ASSERT_FALSE(played.empty());
    // (The conversion rule itself is the device's own and tested there.)
    EXPECT_NEAR(played[0], 0.5 * 32767, 1.0);
    EXPECT_EQ(soundingSamples(played), size_t(4410 * 2));
}

TEST_F(TransportTest, PlayWhilePlayingStopsAndTheStopCommandReturnsToTheSection)
{
    addClip(0, 0, 44100 * 5, 0.1f);
    doc->setMarkedSection({2205, 2205 * 40});
    ASSERT_EQ(transport->playFromCursor(), Transport::PlayResult::Started);
    EXPECT_EQ(transport->playRange(), SampleRange(2205, 2205 * 40));
    EXPECT_TRUE(transport->isPlaying());
    EXPECT_EQ(transport->playFromCursor(), Transport::PlayResult::Stopped);
    EXPECT_FALSE(transport->isPlaying());

    ASSERT_EQ(transport->playFromCursor(), Transport::PlayResult::Started);
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(transport->updatePlayPosition());
    doc->setCursor(99999);
    const auto before = std::chrono::steady_clock::now();
    transport->stopCommand();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 500ms);
    EXPECT_FALSE(transport->isPlaying());
    EXPECT_EQ(doc->cursor(), 2205);

    // Without a marked section the range runs from the cursor until stopped.
    doc->setMarkedSection({});
    doc->setCursor(441);
    ASSERT_EQ(transport->playFromCursor(), Transport::PlayResult::Started);
    EXPECT_EQ(transport->playRange(), SampleRange(441, Transport::kOpenEnd));
    transport->stopCommand();
}

TEST_F(TransportTest, LoopedSectionWrapsTheShownCursorBack)
{
    addClip(0, 0, 44100, 0.1f);
    const SampleRange section(4410, 4410 + 3 * 2205);
    doc->setMarkedSection(section);
    doc->loopPlayback().store(true);
    ASSERT_EQ(transport->playFromCursor(), Transport::PlayResult::Started);
    bool wrapped = false;
    for (int i = 0; i < 40 && !wrapped; ++i) {
        std::this_thread::sleep_for(25ms);
        ASSERT_TRUE(transport->updatePlayPosition());
        EXPECT_GE(doc->cursor(), section.begin);
        EXPECT_LT(doc->cursor(), section.end + 2205);
        wrapped = transport->loopOffset() < 0;
    }
    EXPECT_TRUE(wrapped);
    EXPECT_EQ(transport->loopOffset() % section.length(), 0);
    transport->stopCommand();
}

TEST_F(TransportTest, AJumpWhilePlayingKeepsTheLoopAndTheTracks)
{
    addClip(0, 0, 44100 * 6, 0.1f);
    addClip(1, 0, 44100 * 6, 0.1f);
    const SampleRange section(4410, 4410 + 44100 * 4);
    const std::vector<int32_t> only{1};
    ASSERT_EQ(transport->play(section, &only, true), Transport::PlayResult::Started);
    const int32_t target = 4410 + 44100 * 2;
    transport->jumpTo(target);
    EXPECT_EQ(doc->cursor(), target);
    EXPECT_GE(doc->renderPosition().load(), target);
    EXPECT_TRUE(transport->isPlaying());
    EXPECT_EQ(transport->playRange(), section);
    EXPECT_EQ(doc->trackAt(0)->playbackOff(), 1);
    EXPECT_EQ(doc->trackAt(1)->playbackOff(), 0);
    // The shown cursor goes on from the new place (less what the device still holds),
    // not from where the playback started.
    ASSERT_TRUE(transport->updatePlayPosition());
    EXPECT_GT(doc->cursor(), target - 44100);
    EXPECT_LT(doc->cursor(), section.end);
    transport->stopCommand();
}

TEST_F(TransportTest, ATracksPlayButtonPlaysOnlyThatTrack)
{
    addClip(0, 0, 4410, 0.3f);
    addClip(1, 0, 4410, 0.3f);
    const std::vector<int32_t> only{1};
    ASSERT_EQ(transport->play({0, 4410}, &only, false), Transport::PlayResult::Started);
    EXPECT_EQ(doc->trackAt(0)->playbackOff(), 1);
    EXPECT_EQ(doc->trackAt(1)->playbackOff(), 0);
    ASSERT_TRUE(runUntilOver(5s));
    const std::vector<int16_t> played = playedSamples(options.outFile);
    ASSERT_FALSE(played.empty());
    EXPECT_NEAR(played[0], 0.3 * 32767, 1.0);
    EXPECT_EQ(soundingSamples(played), size_t(4410 * 2));
}

TEST_F(TransportTest, PreviousAndNextLabel)
{
    addClip(0, 0, 20000, 0.1f);
    doc->labels().add(1000, ProjectLabel::kIndex);
    doc->labels().add(5000, ProjectLabel::kFreeLabel);
    doc->setCursor(2000);
    transport->nextLabel();
    EXPECT_EQ(doc->cursor(), 5000);
    transport->nextLabel();
    EXPECT_EQ(doc->cursor(), doc->projectEnd());
    doc->setCursor(doc->projectEnd() + 10);
    transport->nextLabel();
    EXPECT_EQ(doc->cursor(), doc->projectEnd() + 10);
    doc->setCursor(900);
    transport->previousLabel();
    // The CD track split of a new project stands at 0.
    EXPECT_EQ(doc->cursor(), 0);
    doc->setCursor(0);
    transport->previousLabel();
    EXPECT_EQ(doc->cursor(), 0);
    transport->scrubStep(10);
    EXPECT_EQ(doc->cursor(), 44100 * 10 / 25);
}

TEST_F(TransportTest, ADeviceThatCannotOpenIsReported)
{
    options.unavailable = true;
    test::AlsaTestSetup::configure(options);
    addClip(0, 0, 4410, 0.1f);
    EXPECT_EQ(transport->playAll(), Transport::PlayResult::DeviceError);
    EXPECT_FALSE(transport->isPlaying());
    ASSERT_FALSE(prompter.messages().empty());
    EXPECT_EQ(prompter.messages().back(), Transport::kDeviceErrorText);
}
