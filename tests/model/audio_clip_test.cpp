#include "base/archive.h"
#include "clip_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

using namespace quillon;

class AudioClipTest : public test::ClipFixture {};

TEST_F(AudioClipTest, OpensPlacesAndReadsFromAnyOffset)
{
    const std::string path = writeSignal("ramp.wav", 10000, [](int64_t f) { return float(f) / 10000.0f; });
    auto clip = openClip(path, 500);
    EXPECT_TRUE(clip->isOpen());
    EXPECT_EQ(clip->position(), SampleRange(500, 10500));
    EXPECT_EQ(clip->fileName(), path);
    const uint32_t r = clip->openReader();
    std::vector<float> out(20);
    clip->readAt(r, 1234, out.data(), 10);
    EXPECT_FLOAT_EQ(out[0], 1234 / 10000.0f);
    EXPECT_FLOAT_EQ(out[19], 1243 / 10000.0f);
    clip->closeReader(r);

    CAudioClip missing(&project);
    EXPECT_FALSE(missing.openFile(0, tmp.file("nothing.wav")));
    EXPECT_FALSE(missing.isOpen());
}

TEST_F(AudioClipTest, ProjectFormatSetsTheLengthAtTheProjectRate)
{
    const std::string path = writeConstant("48k.wav", 48000, 0.5f);
    // Rewritten at 48 kHz: one second.
    test::writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 2, std::vector<float>(96000, 0.5f));
    CAudioClip clip;
    ASSERT_TRUE(clip.openFile(100, path));
    EXPECT_EQ(clip.end(), 100 + 48000); // the source's own frames until a format is known
    clip.setProjectFormat(&project);
    EXPECT_EQ(clip.end(), 100 + 44100);
    EXPECT_EQ(clip.outputFormat().wBitsPerSample, 32);
    EXPECT_EQ(clip.outputFormat().nBlockAlign, 8);
}

TEST_F(AudioClipTest, ArchiveRoundTripAndDuplicate)
{
    const std::string path = writeSignal("ramp.wav", 5000, [](int64_t f) { return float(f) / 5000.0f; });
    auto clip = openClip(path, 700);
    clip->setColour(0x00787800);

    MemoryStream stream;
    {
        CArchive out(stream, CArchive::Mode::Store);
        out.writeObject(clip.get());
    }
    // start, end, colour, state size, rate ratio (1.0), state bytes after the class record.
    const std::vector<uint8_t> bytes = stream.bytes();
    const size_t fields = 2 + 2 + 2 + 10; // tag, schema, name length, "CAudioClip"
    int32_t start, end, size;
    uint32_t colour;
    float ratio;
    std::memcpy(&start, &bytes[fields], 4);
    std::memcpy(&end, &bytes[fields + 4], 4);
    std::memcpy(&colour, &bytes[fields + 8], 4);
    std::memcpy(&size, &bytes[fields + 12], 4);
    std::memcpy(&ratio, &bytes[fields + 16], 4);
    EXPECT_EQ(start, 700);
    EXPECT_EQ(end, 5700);
    EXPECT_EQ(colour, 0x00787800u);
    EXPECT_EQ(ratio, 1.0f);
    EXPECT_EQ(size_t(size), bytes.size() - fields - 20);

    stream.seekToBegin();
    CArchive in(stream, CArchive::Mode::Load);
    std::unique_ptr<CAudioClip> loaded(in.readObjectAs<CAudioClip>());
    ASSERT_TRUE(loaded && loaded->isOpen());
    loaded->setProjectFormat(&project);
    EXPECT_EQ(loaded->position(), clip->position());
    EXPECT_EQ(loaded->colour(), clip->colour());
    EXPECT_FLOAT_EQ(loaded->timeScaleRatio(), 1.0f);

    auto copy = clip->duplicate();
    EXPECT_EQ(copy->position(), clip->position());
    const uint32_t r = copy->openReader();
    std::vector<float> out(2);
    copy->readAt(r, 2500, out.data(), 1);
    EXPECT_FLOAT_EQ(out[0], 0.5f);
    copy->closeReader(r);
}

TEST_F(AudioClipTest, SourceChangeOnDiskUpdatesTheEnd)
{
    const std::string path = writeConstant("grow.wav", 1000, 0.1f);
    auto clip = openClip(path, 0);
    std::atomic<int> changes{0};
    clip->setChangeListener([&](CAudioClip*) { changes++; });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    writeConstant("grow.wav", 3000, 0.2f);
    // The filter notices within a few of its polling intervals.
    for (int i = 0; i < 100 && changes == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_GE(changes.load(), 1);
    EXPECT_EQ(clip->end(), 3000);
}

TEST_F(AudioClipTest, StretchedClipReopensWithItsRatioAndAMissingFileIsNamed)
{
    const std::string path = writeConstant("tone.wav", 20000, 0.3f);
    auto clip = openClip(path, 100);
    clip->setTimeScaleRatio(1.5f);
    // The end the track keeps for a stretched clip: length x ratio.
    clip->setPosition({100, 100 + 30000});

    MemoryStream stream;
    {
        CArchive out(stream, CArchive::Mode::Store);
        out.writeObject(clip.get());
    }
    stream.seekToBegin();
    {
        CArchive in(stream, CArchive::Mode::Load);
        std::unique_ptr<CAudioClip> loaded(in.readObjectAs<CAudioClip>());
        ASSERT_TRUE(loaded);
        // The reopened end (100 + 20000) differs from the stored one: the ratio comes back.
        EXPECT_NEAR(loaded->timeScaleRatio(), 1.5f, 1e-6);
        EXPECT_EQ(loaded->end(), 30100);
        loaded->setProjectFormat(&project);
        EXPECT_EQ(loaded->end(), 30100);
    }

    // The same record after the file is gone: the load fails and names the file.
    std::filesystem::remove(path);
    stream.seekToBegin();
    CArchive again(stream, CArchive::Mode::Load);
    try {
        std::unique_ptr<CObject> o(again.readObject());
        FAIL() << "the load should fail";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.kind(), ArchiveException::Kind::Generic);
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
}

TEST_F(AudioClipTest, UnstretchedClipAtAnotherRateKeepsRatioOne)
{
    const std::string path = tmp.file("48k.wav");
    test::writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 2, std::vector<float>(2 * 48000, 0.2f));
    auto clip = openClip(path, 0);
    EXPECT_EQ(clip->end(), 44100);
    MemoryStream stream;
    {
        CArchive out(stream, CArchive::Mode::Store);
        out.writeObject(clip.get());
    }
    stream.seekToBegin();
    CArchive in(stream, CArchive::Mode::Load);
    std::unique_ptr<CAudioClip> loaded(in.readObjectAs<CAudioClip>());
    ASSERT_TRUE(loaded);
    EXPECT_FLOAT_EQ(loaded->timeScaleRatio(), 1.0f);
    loaded->setProjectFormat(&project);
    EXPECT_EQ(loaded->end(), 44100);
}
