// Writing files through the filter (101, 102) and reading them back through it, the export
// format list (103, 104), and the stored save options that later writes follow.

#include "filter_fixture.h"
#include "signal_helpers.h"

#include <cstring>
#include <filesystem>
#include <random>

using namespace quillon;
using namespace quillon::test;

namespace {

constexpr int kRate = 44100;
constexpr uint32_t kBlock = 2205; // the 50 ms blocks export hands over

WAVEFORMATEX destination(uint16_t tag, uint16_t bits, uint32_t rate = kRate, uint16_t channels = 2)
{
    WAVEFORMATEX f{};
    f.wFormatTag = tag;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

// A stereo signal whose every sample is an exact value of the given integer resolution
// (a float file for 0 bits), with sines, noise and both full-scale ends.
std::vector<float> exactSignal(int bits, int64_t frames)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> noise(-0.2, 0.2);
    const double scale = bits ? std::ldexp(1.0, bits - 1) : 0.0;
    std::vector<float> out(static_cast<size_t>(frames) * 2);
    for (int64_t f = 0; f < frames; ++f)
        for (int c = 0; c < 2; ++c) {
            double v = 0.7 * std::sin(2.0 * M_PI * (440.0 + 110.0 * c) * static_cast<double>(f) / kRate) + noise(random);
            if (f == 5)
                v = c ? 1.0 : -1.0;
            if (bits) // (+ 0.0: an integer has no negative zero)
                v = std::clamp(std::nearbyint(v * scale), -scale, scale - 1) / scale + 0.0;
            out[static_cast<size_t>(f * 2 + c)] = static_cast<float>(v);
        }
    return out;
}

void writeBlocks(FileFilter& filter, const std::vector<float>& frames, int channels, int64_t from, int64_t to)
{
    for (int64_t at = from; at < to; at += kBlock) {
        const auto n = static_cast<uint32_t>(std::min<int64_t>(kBlock, to - at));
        filter.write(frames.data() + at * channels, n);
    }
}

std::vector<float> readBack(const std::string& path, int32_t* length = nullptr, WAVEFORMATEX* format = nullptr)
{
    FileFilter filter = makeFilter();
    EXPECT_TRUE(filter.openFile(path)) << path;
    const int32_t frames = filter.length();
    const WAVEFORMATEX f = filter.sourceFormat();
    if (length)
        *length = frames;
    if (format)
        *format = f;
    const uint32_t reader = filter.createReader();
    return readFrames(filter, reader, 0, frames, f.nChannels, 4096);
}

struct ExactCase {
    const char* name;
    const char* extension;
    uint16_t tag;
    uint16_t bits;
    int majorFormat;
};

const ExactCase kExact[] = {
    {"wav16", "wav", QUILLON_WAVE_FORMAT_PCM, 16, SF_FORMAT_WAV},
    {"wav24", "wav", QUILLON_WAVE_FORMAT_PCM, 24, SF_FORMAT_WAV},
    {"wavfloat", "wav", QUILLON_WAVE_FORMAT_IEEE_FLOAT, 32, SF_FORMAT_WAV},
    {"aiff16", "aiff", QUILLON_WAVE_FORMAT_PCM, 16, SF_FORMAT_AIFF},
    {"aiff24", "aif", QUILLON_WAVE_FORMAT_PCM, 24, SF_FORMAT_AIFF},
    {"flac16", "flac", QUILLON_WAVE_FORMAT_PCM, 16, SF_FORMAT_FLAC},
    {"flac24", "flac", QUILLON_WAVE_FORMAT_PCM, 24, SF_FORMAT_FLAC},
};

class ExactRoundTrip : public ::testing::TestWithParam<ExactCase> {};

} // namespace

TEST_P(ExactRoundTrip, FloatExportReadsBackBitForBit)
{
    const ExactCase& c = GetParam();
    TestSettings settings;
    TempDir tmp;
    const int64_t frames = kRate * 2 + 777;
    const std::vector<float> signal = exactSignal(c.tag == QUILLON_WAVE_FORMAT_PCM ? c.bits : 0, frames);
    const std::string path = tmp.file(std::string("mix.") + c.extension);
    {
        FileFilter writer = makeFilter();
        ASSERT_TRUE(writer.createDestination(path, destination(c.tag, c.bits), true));
        writeBlocks(writer, signal, 2, 0, frames);
    } // released: the file is finished

    int32_t length = 0;
    WAVEFORMATEX format{};
    const std::vector<float> back = readBack(path, &length, &format);
    EXPECT_EQ(length, frames);
    EXPECT_EQ(format.nChannels, 2);
    EXPECT_EQ(format.nSamplesPerSec, static_cast<uint32_t>(kRate));
    EXPECT_EQ(format.wBitsPerSample, c.bits);
    EXPECT_EQ(format.wFormatTag, c.tag);
    ASSERT_EQ(back.size(), signal.size());
    EXPECT_EQ(std::memcmp(back.data(), signal.data(), signal.size() * sizeof(float)), 0)
        << "largest difference " << maxDifference(back, signal);

    SF_INFO info{};
    readAudio(path, &info);
    const int major = info.format & SF_FORMAT_TYPEMASK;
    if (c.majorFormat == SF_FORMAT_WAV) // a plain RIFF file, with or without the extensible header
        EXPECT_TRUE(major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX) << std::hex << major;
    else
        EXPECT_EQ(major, c.majorFormat);
}

INSTANTIATE_TEST_SUITE_P(FileFilterWriting, ExactRoundTrip, ::testing::ValuesIn(kExact),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {

struct LossyCase {
    const char* name;
    const char* extension;
    int64_t lengthTolerance; // encoder delay and padding the decoder keeps
};

const LossyCase kLossyWrites[] = {
    {"vorbis", "ogg", 0},
    {"opus", "opus", 0},
    {"mp3", "mp3", 2 * 1152},
};

class LossyRoundTrip : public ::testing::TestWithParam<LossyCase> {};

} // namespace

// Stated error for the lossy types: length as above, the tone's frequency within 0.1 %
// and its level within 0.5 dB.
TEST_P(LossyRoundTrip, ToneKeepsLengthFrequencyAndLevel)
{
    const LossyCase& c = GetParam();
    TestSettings settings;
    TempDir tmp;
    const int64_t frames = kRate * 3;
    const std::vector<float> tone = sineFrames(1000.0, 0.5, kRate, 2, frames);
    const std::string path = tmp.file(std::string("mix.") + c.extension);
    {
        FileFilter writer = makeFilter();
        ASSERT_TRUE(writer.createDestination(path, destination(QUILLON_WAVE_FORMAT_PCM, 16), true));
        writeBlocks(writer, tone, 2, 0, frames);
    }

    FileFilter reader = makeFilter();
    ASSERT_TRUE(reader.openFile(path));
    // Opus files run at 48 kHz; read them at the rate they were made from.
    reader.setOutputFormat(outputFormat(kRate, 2));
    const int32_t length = reader.length();
    EXPECT_NEAR(length, frames, static_cast<double>(c.lengthTolerance + 1)) << c.name;
    const std::vector<float> back = readFrames(reader, reader.createReader(), 0, length, 2, 4096);
    const int64_t from = kRate / 2;
    const int64_t to = std::min<int64_t>(length, frames) - kRate / 2;
    EXPECT_NEAR(measuredFrequency(back, 2, from, to, kRate), 1000.0, 1.0);
    EXPECT_NEAR(20.0 * std::log10(levelRms(back, 2, from, to) / (0.5 / std::sqrt(2.0))), 0.0, 0.5);
}

INSTANTIATE_TEST_SUITE_P(FileFilterWriting, LossyRoundTrip, ::testing::ValuesIn(kLossyWrites),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileFilterWriting, RecordingInputKeepsTheCapturedIntegers)
{
    TestSettings settings;
    TempDir tmp;
    const int64_t frames = 10000;
    std::mt19937 random(3);
    std::uniform_int_distribution<int> any(-32768, 32767);
    std::vector<int16_t> shorts(static_cast<size_t>(frames) * 2);
    for (auto& v : shorts)
        v = static_cast<int16_t>(any(random));
    shorts[0] = -32768;
    shorts[1] = 32767;
    // 24-bit frames arrive packed, three bytes a sample, as the sound card delivers them.
    std::vector<uint8_t> packed(static_cast<size_t>(frames) * 2 * 3);
    std::vector<int32_t> wide(static_cast<size_t>(frames) * 2);
    std::uniform_int_distribution<int32_t> any24(-(1 << 23), (1 << 23) - 1);
    for (size_t i = 0; i < wide.size(); ++i) {
        wide[i] = any24(random);
        const auto u = static_cast<uint32_t>(wide[i]);
        packed[3 * i] = static_cast<uint8_t>(u);
        packed[3 * i + 1] = static_cast<uint8_t>(u >> 8);
        packed[3 * i + 2] = static_cast<uint8_t>(u >> 16);
    }
    {
        FileFilter take16 = makeFilter();
        FileFilter take24 = makeFilter();
        ASSERT_TRUE(take16.createDestination(tmp.file("take16.wav"), destination(QUILLON_WAVE_FORMAT_PCM, 16), false));
        ASSERT_TRUE(take24.createDestination(tmp.file("take24.wav"), destination(QUILLON_WAVE_FORMAT_PCM, 24), false));
        for (int64_t at = 0; at < frames; at += 1000) {
            take16.write(shorts.data() + at * 2, 1000);
            take24.write(packed.data() + at * 2 * 3, 1000);
        }
    }
    SF_INFO info{};
    SNDFILE* f = sf_open(tmp.file("take16.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_16);
    std::vector<int16_t> back16(static_cast<size_t>(frames) * 2);
    EXPECT_EQ(sf_readf_short(f, back16.data(), frames), frames);
    sf_close(f);
    EXPECT_EQ(back16, shorts);

    f = sf_open(tmp.file("take24.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24);
    std::vector<int32_t> back24(static_cast<size_t>(frames) * 2);
    EXPECT_EQ(sf_readf_int(f, back24.data(), frames), frames);
    sf_close(f);
    for (auto& v : back24)
        v >>= 8; // libsndfile left-aligns
    EXPECT_EQ(back24, wide);
}

TEST(FileFilterWriting, StoppedExportKeepsEveryFrameWritten)
{
    TestSettings settings;
    TempDir tmp;
    const int64_t frames = kRate * 4;
    const std::vector<float> signal = exactSignal(16, frames);
    const int64_t stopped = 17 * kBlock;

    // The writer still holds the file (a caller that died between blocks): what is on disk
    // already reads back with every frame written.
    FileFilter wav = makeFilter();
    ASSERT_TRUE(wav.createDestination(tmp.file("crash.wav"), destination(QUILLON_WAVE_FORMAT_PCM, 16), true));
    writeBlocks(wav, signal, 2, 0, stopped);
    SF_INFO info{};
    std::vector<float> onDisk = readAudio(tmp.file("crash.wav"), &info);
    EXPECT_EQ(info.frames, stopped);
    ASSERT_EQ(onDisk.size(), static_cast<size_t>(stopped) * 2);
    EXPECT_EQ(std::memcmp(onDisk.data(), signal.data(), onDisk.size() * sizeof(float)), 0);

    // An export stopped half-way: the sink is destroyed after the last block it got.
    for (const char* name : {"stopped.wav", "stopped.flac", "stopped.aiff"}) {
        {
            FileFilter filter = makeFilter();
            ASSERT_TRUE(filter.createDestination(tmp.file(name), destination(QUILLON_WAVE_FORMAT_PCM, 16), true));
            writeBlocks(filter, signal, 2, 0, stopped);
        }
        int32_t length = 0;
        const std::vector<float> back = readBack(tmp.file(name), &length);
        EXPECT_EQ(length, stopped) << name;
        ASSERT_EQ(back.size(), static_cast<size_t>(stopped) * 2) << name;
        EXPECT_EQ(std::memcmp(back.data(), signal.data(), back.size() * sizeof(float)), 0) << name;
    }
}

TEST(FileFilterWriting, FormatListNamesWhatCreationAccepts)
{
    TestSettings settings;
    TempDir tmp;
    FileFilter filter = makeFilter();
    const std::vector<std::string> names = filter.exportFormatNames();
    ASSERT_GE(names.size(), 6u);
    EXPECT_EQ(names.front(), "Wave audio (*.wav)"); // DefExportFormat 0 stays WAV
    const std::vector<float> block = sineFrames(440.0, 0.3, kRate, 2, kBlock);
    for (size_t i = 0; i < names.size(); ++i) {
        // Every name carries the file pattern it creates.
        const size_t star = names[i].find("(*.");
        ASSERT_NE(star, std::string::npos) << names[i];
        const std::string extension = names[i].substr(star + 3, names[i].find(')', star) - star - 3);
        const std::string path = tmp.file("format" + std::to_string(i) + "." + extension);
        {
            FileFilter writer = makeFilter();
            EXPECT_TRUE(writer.createDestination(path, destination(QUILLON_WAVE_FORMAT_PCM, 16), true)) << names[i];
            writer.write(block.data(), kBlock);
        }
        FileFilter reader = makeFilter();
        EXPECT_TRUE(reader.openFile(path)) << names[i];
    }

    // The name is cut to the caller's buffer and always terminated.
    char small[6];
    std::memset(small, 'x', sizeof small);
    QuillonFfExportFormatName p{0, small, sizeof small};
    filter.instance().call(QUILLON_FF_EXPORT_FORMAT_NAME, p);
    EXPECT_STREQ(small, "Wave ");
    QuillonFfExportFormatName past{static_cast<uint32_t>(names.size()), small, sizeof small};
    EXPECT_EQ(filter.instance().command(QUILLON_FF_EXPORT_FORMAT_NAME, &past, sizeof past), QUILLON_E_BAD_PARAM);
    QuillonFfExportFormatName empty{0, small, 0};
    EXPECT_EQ(filter.instance().command(QUILLON_FF_EXPORT_FORMAT_NAME, &empty, sizeof empty), QUILLON_E_BAD_PARAM);
}

TEST(FileFilterWriting, FailuresAreReportedNotSwallowed)
{
    TestSettings settings;
    TempDir tmp;
    FileFilter filter = makeFilter();
    const std::vector<float> block = sineFrames(440.0, 0.3, kRate, 2, 100);
    const WAVEFORMATEX cd = destination(QUILLON_WAVE_FORMAT_PCM, 16);

    // Writing with no file open.
    EXPECT_EQ(classComCode([&] { filter.write(block.data(), 100); }), QUILLON_E_FAIL);
    // A type no format names, a folder that does not exist, a resolution no file takes.
    EXPECT_EQ(classComCode([&] { filter.createDestination(tmp.file("mix.xyz"), cd, true); }), QUILLON_E_IO);
    EXPECT_EQ(classComCode([&] { filter.createDestination(tmp.file("no/such/folder/mix.wav"), cd, true); }),
              QUILLON_E_IO);
    EXPECT_EQ(classComCode([&] {
                  filter.createDestination(tmp.file("odd.wav"), destination(QUILLON_WAVE_FORMAT_PCM, 12), true);
              }),
              QUILLON_E_IO);
    QuillonFfCreate nullPath{nullptr, &cd, QUILLON_FF_INPUT_FLOAT, 0, 0};
    EXPECT_EQ(filter.instance().command(QUILLON_FF_CREATE, &nullPath, sizeof nullPath), QUILLON_E_BAD_PARAM);
    QuillonFfCreate badInput{"x.wav", &cd, 7, 0, 0};
    EXPECT_EQ(filter.instance().command(QUILLON_FF_CREATE, &badInput, sizeof badInput), QUILLON_E_BAD_PARAM);
    EXPECT_EQ(nullPath.success, 0);

    // The success byte is set on success only, and a null block of frames is refused.
    QuillonFfCreate good{nullptr, &cd, QUILLON_FF_INPUT_FLOAT, 0, 0};
    const std::string path = tmp.file("good.wav");
    good.path = path.c_str();
    ASSERT_EQ(filter.instance().command(QUILLON_FF_CREATE, &good, sizeof good), 0);
    EXPECT_NE(good.success, 0);
    QuillonFfWrite nothing{nullptr, 10, 0};
    EXPECT_EQ(filter.instance().command(QUILLON_FF_WRITE, &nothing, sizeof nothing), QUILLON_E_BAD_PARAM);
    filter.write(block.data(), 100);

    // A second file on the same instance finishes the first.
    ASSERT_TRUE(filter.createDestination(tmp.file("second.wav"), cd, true));
    SF_INFO info{};
    readAudio(path, &info);
    EXPECT_EQ(info.frames, 100);
}

TEST(FileFilterWriting, StoredSaveOptionsApplyToLaterWrites)
{
    TestSettings settings;
    TempDir tmp;
    const int64_t frames = kRate * 4;
    const std::vector<float> music = exactSignal(0, frames);
    const auto writeFile = [&](const std::string& path) {
        FileFilter writer = makeFilter();
        ASSERT_TRUE(writer.createDestination(path, destination(QUILLON_WAVE_FORMAT_PCM, 16), true));
        writeBlocks(writer, music, 2, 0, frames);
    };

    settings.setInt("SaveOptions", "WavSampleType", 4); // 32-bit float
    writeFile(tmp.file("float.wav"));
    SF_INFO info{};
    readAudio(tmp.file("float.wav"), &info);
    EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT);

    settings.setInt("SaveOptions", "Mp3BitRate", 32);
    writeFile(tmp.file("low.mp3"));
    settings.setInt("SaveOptions", "Mp3BitRate", 320);
    writeFile(tmp.file("high.mp3"));
    const double low = static_cast<double>(std::filesystem::file_size(tmp.file("low.mp3")));
    const double high = static_cast<double>(std::filesystem::file_size(tmp.file("high.mp3")));
    EXPECT_NEAR(high / low, 10.0, 1.5);
    // Four seconds at 320 kbit/s.
    EXPECT_NEAR(high, 4.0 * 320000 / 8, 4.0 * 320000 / 8 * 0.05);
}
