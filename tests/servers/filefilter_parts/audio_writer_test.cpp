#include "audio_writer.h"

#include "base/memory_settings_store.h"
#include "base/wave_format.h"
#include "support/temp_dir.h"
#include "test_signals.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace quillon::filefilter {
namespace {

using quillon::test::readFile;
using quillon::test::readFileInts;
using quillon::test::sine;
using quillon::test::TempDir;

// Random values that an n-bit integer holds exactly, as floats in -1..+1.
std::vector<float> exactValues(int bits, size_t count, unsigned seed)
{
    std::mt19937 rng(seed);
    const int32_t top = 1 << (bits - 1);
    std::uniform_int_distribution<int32_t> dist(-top, top - 1);
    std::vector<float> out(count);
    for (float& v : out)
        v = static_cast<float>(std::ldexp(static_cast<double>(dist(rng)), -(bits - 1)));
    // The extremes, where a scale of 2^(n-1) - 1 would go wrong first.
    out[0] = -1.0f;
    out[1] = static_cast<float>(std::ldexp(top - 1, -(bits - 1)));
    return out;
}

bool writeAll(AudioWriter& writer, const std::vector<float>& samples, int channels, size_t block)
{
    const size_t frames = samples.size() / static_cast<size_t>(channels);
    for (size_t at = 0; at < frames; at += block) {
        if (!writer.write(samples.data() + at * channels, std::min(block, frames - at)))
            return false;
    }
    return true;
}

struct PcmCase {
    const char* extension;
    int bits;
    friend std::ostream& operator<<(std::ostream& out, const PcmCase& c) { return out << c.extension << c.bits; }
};

class PcmRoundTrip : public ::testing::TestWithParam<PcmCase> {};

TEST_P(PcmRoundTrip, ExactValuesComeBackBitForBit)
{
    const PcmCase c = GetParam();
    TempDir dir;
    const std::string path = dir.file(std::string("out.") + c.extension);
    const std::vector<float> in = exactValues(c.bits, 2 * 30000, 7);
    {
        AudioWriter writer;
        ASSERT_TRUE(writer.open(path, makePcmFormat(44100, 2, static_cast<uint16_t>(c.bits)), AudioWriter::Input::Float))
            << writer.lastError();
        ASSERT_TRUE(writeAll(writer, in, 2, 2205));
        EXPECT_EQ(writer.framesWritten(), 30000);
        ASSERT_TRUE(writer.close());
    }
    const quillon::test::ReadBack back = readFile(path);
    ASSERT_EQ(back.channels, 2);
    EXPECT_EQ(back.rate, 44100);
    ASSERT_EQ(back.samples.size(), in.size());
    // libsndfile reads n-bit integers as k / 2^(n-1): the same floats exactly.
    size_t differing = 0;
    for (size_t i = 0; i < in.size(); ++i)
        differing += back.samples[i] != in[i];
    EXPECT_EQ(differing, 0u);
}

INSTANTIATE_TEST_SUITE_P(Types, PcmRoundTrip,
                         ::testing::Values(PcmCase{"wav", 8}, PcmCase{"wav", 16}, PcmCase{"wav", 24},
                                           PcmCase{"aiff", 16}, PcmCase{"aiff", 24}, PcmCase{"flac", 16},
                                           PcmCase{"flac", 24}),
                         [](const auto& info) {
                             return std::string(info.param.extension) + std::to_string(info.param.bits);
                         });

TEST(AudioWriterPcm, ThirtyTwoBitAndFloatFilesKeepEveryBit)
{
    TempDir dir;
    std::mt19937 rng(3);
    std::uniform_int_distribution<int32_t> dist(INT32_MIN, INT32_MAX);
    std::vector<float> in(2000);
    for (float& v : in)
        v = static_cast<float>(dist(rng) / 2147483648.0); // floats have 24 bits: exact in 32-bit PCM
    for (bool asFloat : {false, true}) {
        const std::string path = dir.file(asFloat ? "f.wav" : "i.wav");
        WAVEFORMATEX fmt = makePcmFormat(48000, 1, 32);
        if (asFloat)
            fmt = floatCopy(fmt), fmt.wFormatTag = QUILLON_WAVE_FORMAT_IEEE_FLOAT;
        AudioWriter writer;
        ASSERT_TRUE(writer.open(path, fmt, AudioWriter::Input::Float));
        EXPECT_EQ(writer.fileFormat() & SF_FORMAT_SUBMASK, asFloat ? SF_FORMAT_FLOAT : SF_FORMAT_PCM_32);
        ASSERT_TRUE(writer.write(in.data(), in.size()));
        writer.close();
        EXPECT_EQ(readFile(path).samples, in) << path;
    }
}

TEST(AudioWriterPcm, RoundsToNearestAndClipsAtFullScale)
{
    TempDir dir;
    const std::string path = dir.file("q.wav");
    const float lsb = 1.0f / 32768.0f;
    const std::vector<float> in = {1.0f,         1.7f,        -1.0f,        -3.0f,      0.4f * lsb, 0.6f * lsb,
                                   -0.6f * lsb, 100.4f * lsb, 100.6f * lsb, std::nanf(""), 32766.7f * lsb,
                                   -32767.6f * lsb};
    AudioWriter writer;
    ASSERT_TRUE(writer.open(path, makePcmFormat(44100, 1, 16), AudioWriter::Input::Float));
    ASSERT_TRUE(writer.write(in.data(), in.size()));
    writer.close();
    std::vector<int32_t> got = readFileInts(path);
    for (int32_t& v : got)
        v >>= 16;
    EXPECT_EQ(got, (std::vector<int32_t>{32767, 32767, -32768, -32768, 0, 1, -1, 100, 101, 0, 32767, -32768}));
}

TEST(AudioWriterPcm, OptionsChooseTheWavSampleType)
{
    TempDir dir;
    const std::vector<float> in = sine(440.0, 0.5, 44100, 2, 1000);
    const std::pair<WavSampleType, int> cases[] = {{WavSampleType::FromFormat, SF_FORMAT_PCM_16},
                                                   {WavSampleType::Pcm24, SF_FORMAT_PCM_24},
                                                   {WavSampleType::Pcm32, SF_FORMAT_PCM_32},
                                                   {WavSampleType::Float32, SF_FORMAT_FLOAT}};
    for (const auto& [type, subtype] : cases) {
        SaveOptions options;
        options.wavSampleType = type;
        const std::string path = dir.file("t" + std::to_string(subtype) + ".wav");
        AudioWriter writer;
        ASSERT_TRUE(writer.open(path, makePcmFormat(44100, 2, 16), AudioWriter::Input::Float, options));
        ASSERT_TRUE(writer.write(in.data(), 1000));
        writer.close();
        const quillon::test::ReadBack back = readFile(path);
        EXPECT_EQ(back.format & SF_FORMAT_SUBMASK, subtype);
        EXPECT_EQ(back.frames(), 1000);
    }
}

TEST(AudioWriterPcm, SmallWavFilesArePlainRiff)
{
    TempDir dir;
    const std::string path = dir.file("plain.wav");
    AudioWriter writer;
    ASSERT_TRUE(writer.open(path, makePcmFormat(44100, 2, 16), AudioWriter::Input::Float));
    const std::vector<float> in = sine(440.0, 0.5, 44100, 2, 4410);
    ASSERT_TRUE(writer.write(in.data(), 4410));
    writer.close();
    char head[12] = {};
    std::ifstream(path, std::ios::binary).read(head, sizeof head);
    EXPECT_EQ(std::string(head, 4), "RIFF");
    EXPECT_EQ(std::string(head + 8, 4), "WAVE");
}

// Recording hands over the capture format itself, which must land unchanged.
TEST(AudioWriterRecording, IntegerFramesLandUnchanged)
{
    TempDir dir;
    std::mt19937 rng(11);
    for (int bits : {8, 16, 24, 32}) {
        const size_t bytes = static_cast<size_t>(bits / 8);
        std::vector<uint8_t> raw(2 * 5000 * bytes);
        for (uint8_t& b : raw)
            b = static_cast<uint8_t>(rng());
        const std::string path = dir.file("rec" + std::to_string(bits) + ".wav");
        AudioWriter writer;
        ASSERT_TRUE(writer.open(path, makePcmFormat(44100, 2, static_cast<uint16_t>(bits)), AudioWriter::Input::Recorded));
        ASSERT_TRUE(writer.write(raw.data(), 3000));
        ASSERT_TRUE(writer.write(raw.data() + 3000 * 2 * bytes, 2000));
        writer.close();
        const std::vector<int32_t> back = readFileInts(path);
        ASSERT_EQ(back.size(), 10000u) << bits;
        size_t differing = 0;
        for (size_t i = 0; i < back.size(); ++i) {
            const uint8_t* p = raw.data() + i * bytes;
            uint32_t word = 0;
            for (size_t k = 0; k < bytes; ++k)
                word |= uint32_t{p[k]} << (32 - 8 * bytes + 8 * k);
            if (bits == 8)
                word ^= 0x80000000u; // unsigned 8-bit samples
            differing += static_cast<int32_t>(word) != back[i];
        }
        EXPECT_EQ(differing, 0u) << bits << "-bit";
    }
}

TEST(AudioWriterRecording, ThirtyTwoBitIntoFlacRoundsToTwentyFour)
{
    TempDir dir;
    const std::string path = dir.file("rec.flac");
    const int32_t in[] = {0x7FFFFFFF, static_cast<int32_t>(0x80000000), 0x00000080, 0x0000007F, -0x81, 0x12345680};
    AudioWriter writer;
    ASSERT_TRUE(writer.open(path, makePcmFormat(44100, 1, 32), AudioWriter::Input::Recorded));
    ASSERT_TRUE(writer.write(in, 6));
    writer.close();
    std::vector<int32_t> back = readFileInts(path);
    for (int32_t& v : back)
        v >>= 8;
    EXPECT_EQ(back, (std::vector<int32_t>{0x7FFFFF, -0x800000, 1, 0, -1, 0x123457}));
}

struct LossyCase {
    const char* extension;
    int rate;
    double minSnrDb;
    friend std::ostream& operator<<(std::ostream& out, const LossyCase& c) { return out << c.extension; }
};

class LossyRoundTrip : public ::testing::TestWithParam<LossyCase> {};

// Lossy types: the tone comes back at its level and frequency, with the codec's noise
// at least minSnrDb below it once the encoder's delay is aligned away.
TEST_P(LossyRoundTrip, ToneSurvivesWithinTheStatedError)
{
    const LossyCase c = GetParam();
    TempDir dir;
    const std::string path = dir.file(std::string("tone.") + c.extension);
    const int64_t frames = c.rate * 2;
    const std::vector<float> in = sine(1000.0, 0.5, c.rate, 2, frames);
    {
        AudioWriter writer;
        ASSERT_TRUE(writer.open(path, makePcmFormat(static_cast<uint32_t>(c.rate), 2, 16), AudioWriter::Input::Float))
            << writer.lastError();
        ASSERT_TRUE(writeAll(writer, in, 2, 2205));
    }
    const quillon::test::ReadBack back = readFile(path);
    ASSERT_EQ(back.channels, 2);
    ASSERT_EQ(back.rate, c.rate);
    EXPECT_NEAR(static_cast<double>(back.frames()), static_cast<double>(frames), 2500.0);
    const int64_t lo = c.rate / 4;
    const int64_t hi = std::min<int64_t>(back.frames(), frames) - c.rate / 4;
    EXPECT_NEAR(test::toneFrequency(back.samples, 2, lo, hi, c.rate), 1000.0, 1.0);
    EXPECT_NEAR(test::rms(back.samples, 2, lo, hi), 0.5 / std::sqrt(2.0), 0.02);
    double bestSnr = -100.0;
    for (int64_t lag = -2500; lag <= 2500; ++lag) {
        double signal = 0.0;
        double noise = 0.0;
        for (int64_t i = lo; i < hi; i += 3) {
            const int64_t j = i + lag;
            if (j < 0 || j >= back.frames())
                continue;
            const double s = in[static_cast<size_t>(i * 2)];
            const double d = back.samples[static_cast<size_t>(j * 2)] - s;
            signal += s * s;
            noise += d * d;
        }
        bestSnr = std::max(bestSnr, 10.0 * std::log10(signal / std::max(noise, 1e-20)));
    }
    EXPECT_GE(bestSnr, c.minSnrDb);
}

INSTANTIATE_TEST_SUITE_P(Types, LossyRoundTrip,
                         ::testing::Values(LossyCase{"ogg", 44100, 30.0}, LossyCase{"opus", 48000, 30.0},
                                           LossyCase{"mp3", 44100, 24.0}),
                         [](const auto& info) { return std::string(info.param.extension); });

TEST(AudioWriterLossy, OpusAtCdRateIsConvertedToFortyEightKilohertz)
{
    TempDir dir;
    const std::string path = dir.file("cd.opus");
    const std::vector<float> in = sine(1000.0, 0.5, 44100, 2, 44100);
    {
        AudioWriter writer;
        ASSERT_TRUE(writer.open(path, makePcmFormat(44100, 2, 16), AudioWriter::Input::Float));
        EXPECT_EQ(writer.fileSampleRate(), 48000);
        ASSERT_TRUE(writeAll(writer, in, 2, 4410));
        EXPECT_EQ(writer.framesWritten(), 44100);
    }
    const quillon::test::ReadBack back = readFile(path);
    ASSERT_EQ(back.rate, 48000);
    EXPECT_NEAR(static_cast<double>(back.frames()), 48000.0, 1000.0);
    EXPECT_NEAR(test::toneFrequency(back.samples, 2, 8000, 40000, 48000), 1000.0, 1.0);
}

TEST(AudioWriterOptions, ChangeWhatIsWritten)
{
    TempDir dir;
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> noise(-0.3f, 0.3f);
    std::vector<float> in(2 * 44100 * 3);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = 0.3f * std::sin(static_cast<float>(i) * 0.01f) + noise(rng) * 0.2f;
    auto sizeWith = [&](const char* name, const SaveOptions& options) {
        const std::string path = dir.file(name);
        AudioWriter writer;
        EXPECT_TRUE(writer.open(path, makePcmFormat(44100, 2, 16), AudioWriter::Input::Float, options));
        EXPECT_TRUE(writeAll(writer, in, 2, 4410));
        writer.close();
        return static_cast<double>(std::filesystem::file_size(path));
    };
    SaveOptions fast;
    fast.flacCompressionLevel = 0;
    SaveOptions small;
    small.flacCompressionLevel = 8;
    EXPECT_GT(sizeWith("fast.flac", fast), sizeWith("small.flac", small));

    for (int kbps : {96, 256}) {
        SaveOptions mp3;
        mp3.mp3BitRate = kbps;
        const double bytes = sizeWith(kbps == 96 ? "a.mp3" : "b.mp3", mp3);
        EXPECT_NEAR(bytes * 8.0 / 3.0 / 1000.0, kbps, kbps * 0.05) << kbps;
    }

    SaveOptions low;
    low.vorbisQuality = 0.1f;
    low.opusQuality = 0.1f;
    SaveOptions high;
    high.vorbisQuality = 0.9f;
    high.opusQuality = 0.9f;
    EXPECT_LT(sizeWith("low.ogg", low) * 1.5, sizeWith("high.ogg", high));
    EXPECT_LT(sizeWith("low.opus", low) * 1.5, sizeWith("high.opus", high));
}

TEST(SaveOptions, ClampAndSurviveTheSettings)
{
    SaveOptions wild;
    wild.flacCompressionLevel = 42;
    wild.vorbisQuality = -3.0f;
    wild.opusQuality = std::nanf("");
    wild.mp3BitRate = 170;
    wild.wavSampleType = static_cast<WavSampleType>(9);
    const SaveOptions c = wild.clamped();
    EXPECT_EQ(c.flacCompressionLevel, 8);
    EXPECT_EQ(c.vorbisQuality, 0.0f);
    EXPECT_EQ(c.opusQuality, SaveOptions{}.opusQuality);
    EXPECT_EQ(c.mp3BitRate, 160);
    EXPECT_EQ(c.wavSampleType, WavSampleType::FromFormat);

    MemorySettingsStore store;
    EXPECT_EQ(readSaveOptions(store), SaveOptions{});
    SaveOptions chosen;
    chosen.flacCompressionLevel = 2;
    chosen.vorbisQuality = 0.3f;
    chosen.opusQuality = 0.8f;
    chosen.mp3BitRate = 320;
    chosen.wavSampleType = WavSampleType::Pcm24;
    ASSERT_TRUE(writeSaveOptions(store, chosen));
    EXPECT_EQ(readSaveOptions(store), chosen);
}

// The list offered to the user and what open() accepts are the same set.
TEST(ExportFormats, ListMatchesWhatTheWriterAccepts)
{
    TempDir dir;
    const auto formats = exportFormats();
    ASSERT_EQ(formats.size(), 6u);
    const std::vector<float> in = sine(440.0, 0.5, 48000, 2, 4800);
    for (size_t i = 0; i < formats.size(); ++i) {
        const std::string ext = formats[i].extension;
        EXPECT_NE(std::string(formats[i].displayName).find("(*." + ext + ")"), std::string::npos);
        const std::string path = pathWithExportExtension(dir.file("f" + std::to_string(i)), static_cast<int>(i));
        EXPECT_EQ(path, dir.file("f" + std::to_string(i) + "." + ext));
        EXPECT_EQ(exportFormatForPath(path), static_cast<int>(i));
        AudioWriter writer;
        ASSERT_TRUE(writer.open(path, makePcmFormat(48000, 2, 16), AudioWriter::Input::Float)) << writer.lastError();
        EXPECT_EQ(writer.type(), formats[i].type);
        ASSERT_TRUE(writer.write(in.data(), 4800));
        ASSERT_TRUE(writer.close());
        EXPECT_GT(readFile(path).frames(), 0) << path;
    }
    EXPECT_EQ(exportFormatForPath("/a/b/SONG.FLAC"), 2);
    EXPECT_EQ(exportFormatForPath("/a/b/song.aif"), 1);
    EXPECT_EQ(exportFormatForPath("/a.wav/song"), -1);
    EXPECT_EQ(pathWithExportExtension("/a/song.WAV", 0), "/a/song.WAV");
    EXPECT_EQ(pathWithExportExtension("/a/song.wav", 2), "/a/song.wav.flac");

    AudioWriter writer;
    EXPECT_FALSE(writer.open(dir.file("x.xyz"), makePcmFormat(44100, 2, 16), AudioWriter::Input::Float));
    EXPECT_FALSE(writer.lastError().empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.xyz")));
}

TEST(AudioWriterFailures, AreReportedNotHidden)
{
    TempDir dir;
    AudioWriter writer;
    const float frame[2] = {0.0f, 0.0f};
    EXPECT_FALSE(writer.write(frame, 1)); // nothing open
    EXPECT_FALSE(writer.open(dir.file("missing/x.wav"), makePcmFormat(44100, 2, 16), AudioWriter::Input::Float));
    WAVEFORMATEX odd = makePcmFormat(44100, 2, 12);
    EXPECT_FALSE(writer.open(dir.file("x.wav"), odd, AudioWriter::Input::Float));
    WAVEFORMATEX none = makePcmFormat(44100, 0, 16);
    EXPECT_FALSE(writer.open(dir.file("x.wav"), none, AudioWriter::Input::Float));
    WAVEFORMATEX adpcm = makePcmFormat(44100, 2, 16);
    adpcm.wFormatTag = 2;
    EXPECT_FALSE(writer.open(dir.file("x.wav"), adpcm, AudioWriter::Input::Float));

    // A full disk: the write fails instead of claiming success.
    std::filesystem::create_symlink("/dev/full", dir.file("full.wav"));
    bool wrote = writer.open(dir.file("full.wav"), makePcmFormat(44100, 2, 16), AudioWriter::Input::Float);
    if (wrote) {
        const std::vector<float> in = sine(440.0, 0.5, 44100, 2, 44100);
        wrote = writer.write(in.data(), 44100) && writer.close();
    }
    EXPECT_FALSE(wrote);
}

// A writer that goes away without close() - the stopped export whose sink is destroyed -
// still leaves every frame behind.
TEST(AudioWriterStop, DestroyedHalfWayKeepsTheFramesWritten)
{
    TempDir dir;
    const std::vector<float> in = sine(1000.0, 0.5, 48000, 2, 48000);
    for (const ExportFormat& format : exportFormats()) {
        const std::string path = dir.file(std::string("stop.") + format.extension);
        {
            AudioWriter writer;
            ASSERT_TRUE(writer.open(path, makePcmFormat(48000, 2, 16), AudioWriter::Input::Float));
            ASSERT_TRUE(writeAll(writer, in, 2, 2400));
        }
        const quillon::test::ReadBack back = readFile(path);
        if (format.lossless)
            EXPECT_EQ(back.frames(), 48000) << path;
        else
            EXPECT_NEAR(static_cast<double>(back.frames()), 48000.0, 2500.0) << path;
    }
}

// The writing process dies between blocks. Every written frame of WAV and AIFF survives;
// FLAC loses at most the encoder block still being filled.
TEST(AudioWriterStop, KilledWriterLeavesAReadableFile)
{
    TempDir dir;
    const std::vector<float> in = exactValues(16, 2 * 44100, 21);
    for (const char* ext : {"wav", "aiff", "flac"}) {
        const std::string path = dir.file(std::string("killed.") + ext);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            AudioWriter writer;
            if (!writer.open(path, makePcmFormat(44100, 2, 16), AudioWriter::Input::Float))
                _exit(3);
            if (!writeAll(writer, in, 2, 2205))
                _exit(4);
            raise(SIGKILL);
            _exit(5);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << ext << " child status " << status;
        const quillon::test::ReadBack back = readFile(path);
        ASSERT_EQ(back.channels, 2) << ext;
        if (std::string(ext) == "flac") {
            EXPECT_GE(back.frames(), 44100 - 4608);
            EXPECT_LE(back.frames(), 44100);
        } else {
            EXPECT_EQ(back.frames(), 44100) << ext;
        }
        const size_t common = std::min(back.samples.size(), in.size());
        EXPECT_TRUE(std::equal(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(common), back.samples.begin()))
            << ext;
    }
}

} // namespace
} // namespace quillon::filefilter

namespace quillon::filefilter {
namespace {

// The container id and the format chunk's tag of a WAV file, from its bytes.
std::pair<std::string, unsigned> wavHeaderTag(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> h(512);
    in.read(reinterpret_cast<char*>(h.data()), static_cast<std::streamsize>(h.size()));
    h.resize(static_cast<size_t>(in.gcount()));
    if (h.size() < 12)
        return {"", 0};
    auto le32 = [&](size_t at) { return h[at] | h[at + 1] << 8 | h[at + 2] << 16 | uint32_t{h[at + 3]} << 24; };
    for (size_t at = 12; at + 10 <= h.size(); at += 8 + le32(at + 4) + (le32(at + 4) & 1)) {
        if (std::memcmp(&h[at], "fmt ", 4) == 0)
            return {std::string(h.begin(), h.begin() + 4), h[at + 8] | h[at + 9] << 8u};
    }
    return {std::string(h.begin(), h.begin() + 4), 0};
}

struct HeaderCase {
    const char* name;
    AudioWriter::Input input;
    uint16_t channels;
    bool isFloat;
    int64_t expectedFrames;
    const char* container;
    unsigned tag;
    friend std::ostream& operator<<(std::ostream& out, const HeaderCase& c) { return out << c.name; }
};

class WavHeader : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(WavHeader, OneOrTwoChannelsArePlainRiffWithTheirOwnTag)
{
    const HeaderCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("out.wav");
    WAVEFORMATEX format = makePcmFormat(44100, c.channels, c.isFloat ? 32 : 16);
    if (c.isFloat)
        format.wFormatTag = QUILLON_WAVE_FORMAT_IEEE_FLOAT;
    constexpr size_t kFrames = 3000;
    std::vector<float> floats(kFrames * c.channels, 0.25f);
    std::vector<int16_t> shorts(kFrames * c.channels, 8192);
    AudioWriter writer;
    ASSERT_TRUE(writer.open(path, format, c.input, {}, c.expectedFrames)) << writer.lastError();
    const bool recordedShorts = c.input == AudioWriter::Input::Recorded && !c.isFloat;
    ASSERT_TRUE(writer.write(recordedShorts ? static_cast<const void*>(shorts.data()) : floats.data(), 1000));
    // The header of a file still being written counts too (a crash keeps it).
    EXPECT_EQ(wavHeaderTag(path), std::make_pair(std::string(c.container), c.tag));
    ASSERT_TRUE(writer.write(recordedShorts ? static_cast<const void*>(shorts.data()) : floats.data(), 2000));
    ASSERT_TRUE(writer.close());
    EXPECT_EQ(wavHeaderTag(path), std::make_pair(std::string(c.container), c.tag));
    const quillon::test::ReadBack back = readFile(path);
    EXPECT_EQ(back.channels, c.channels);
    EXPECT_EQ(back.frames(), static_cast<int64_t>(kFrames));
}

constexpr int64_t kPastFourGiB = (int64_t{1} << 32) / 4 + 1; // 16-bit stereo frames

INSTANTIATE_TEST_SUITE_P(
    Rows, WavHeader,
    ::testing::Values(HeaderCase{"ExportStereoPcm", AudioWriter::Input::Float, 2, false, 3000, "RIFF", 1},
                      HeaderCase{"ExportMonoFloat", AudioWriter::Input::Float, 1, true, 3000, "RIFF", 3},
                      HeaderCase{"ExportUnknownLength", AudioWriter::Input::Float, 2, false, 0, "RIFF", 1},
                      HeaderCase{"TakeStereoPcm", AudioWriter::Input::Recorded, 2, false, 0, "RIFF", 1},
                      HeaderCase{"TakeMonoFloat", AudioWriter::Input::Recorded, 1, true, 0, "RIFF", 3},
                      HeaderCase{"ExportSixChannels", AudioWriter::Input::Float, 6, false, 3000, "RIFF", 0xFFFE},
                      HeaderCase{"TakeSixChannels", AudioWriter::Input::Recorded, 6, false, 0, "RIFF", 0xFFFE},
                      HeaderCase{"ExportPastFourGiB", AudioWriter::Input::Float, 2, false, kPastFourGiB, "RF64",
                                 0xFFFE}));

} // namespace
} // namespace quillon::filefilter
