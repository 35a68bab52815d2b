// Opening and reading every format the filter claims, and refusing what is not audio.

#include "filter_fixture.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace quillon;
using namespace quillon::test;

namespace {

struct LosslessCase {
    const char* name;
    int format;
    int rate;
    int channels;
    uint16_t tag;
    uint16_t bits;
    float tolerance; // quantisation of the stored samples
};

const LosslessCase kLossless[] = {
    {"wav16", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, QUILLON_WAVE_FORMAT_PCM, 16, 2.0f / 32768},
    {"wav24", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 44100, 2, QUILLON_WAVE_FORMAT_PCM, 24, 1e-6f},
    {"wavfloat", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 2, QUILLON_WAVE_FORMAT_IEEE_FLOAT, 32, 1e-7f},
    {"wavex", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 96000, 6, QUILLON_WAVE_FORMAT_PCM, 16, 2.0f / 32768},
    {"rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_24, 44100, 2, QUILLON_WAVE_FORMAT_PCM, 24, 1e-6f},
    {"aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 48000, 2, QUILLON_WAVE_FORMAT_PCM, 16, 2.0f / 32768},
    {"flac16", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, QUILLON_WAVE_FORMAT_PCM, 16, 2.0f / 32768},
    {"flac24", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 96000, 1, QUILLON_WAVE_FORMAT_PCM, 24, 1e-6f},
    {"caf", SF_FORMAT_CAF | SF_FORMAT_FLOAT, 44100, 3, QUILLON_WAVE_FORMAT_IEEE_FLOAT, 32, 1e-7f},
    {"w64", SF_FORMAT_W64 | SF_FORMAT_PCM_24, 22050, 2, QUILLON_WAVE_FORMAT_PCM, 24, 1e-6f},
};

class LosslessFormat : public ::testing::TestWithParam<LosslessCase> {};

} // namespace

TEST_P(LosslessFormat, LengthFormatAndSamples)
{
    const LosslessCase& c = GetParam();
    TempDir tmp;
    const TestTone tone{c.rate, c.channels, c.rate * 2 + 123};
    const std::string path = tmp.file(std::string("tone-") + c.name);
    ASSERT_TRUE(writeTone(path, c.format, tone));

    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(path));
    EXPECT_EQ(filter.length(), tone.frames);
    const WAVEFORMATEX format = filter.sourceFormat();
    EXPECT_EQ(format.nChannels, c.channels);
    EXPECT_EQ(format.nSamplesPerSec, static_cast<uint32_t>(c.rate));
    EXPECT_EQ(format.wFormatTag, c.tag);
    EXPECT_EQ(format.wBitsPerSample, c.bits);
    EXPECT_EQ(format.nBlockAlign, c.channels * c.bits / 8);

    // Straight through in odd blocks, then from scattered positions.
    const uint32_t reader = filter.createReader();
    const std::vector<float> all = readFrames(filter, reader, 0, tone.frames, c.channels, 997);
    EXPECT_LE(maxDifference(all, tone.interleaved(0, tone.frames)), c.tolerance);
    std::mt19937 random(7);
    for (int i = 0; i < 8; ++i) {
        const int32_t at = static_cast<int32_t>(random() % static_cast<uint32_t>(tone.frames - 500));
        const std::vector<float> part = readFrames(filter, reader, at, 500, c.channels, 333);
        EXPECT_LE(maxDifference(part, tone.interleaved(at, 500)), c.tolerance) << "at " << at;
    }
    filter.closeReader(reader);
}

INSTANTIATE_TEST_SUITE_P(FileFilter, LosslessFormat, ::testing::ValuesIn(kLossless),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {

struct LossyCase {
    const char* name;
    const char* extension;
    int format;
    int rate;
};

const LossyCase kLossy[] = {
    {"vorbis", ".ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100},
    {"opus", ".opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000},
    {"mp3", ".mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100},
};

class LossyFormat : public ::testing::TestWithParam<LossyCase> {};

double rms(const std::vector<float>& samples, int channels, int channel, size_t first, size_t last)
{
    double sum = 0;
    for (size_t f = first; f < last; ++f)
        sum += double(samples[f * channels + channel]) * samples[f * channels + channel];
    return std::sqrt(sum / double(last - first));
}

} // namespace

TEST_P(LossyFormat, DecodesLevelAndSeeksConsistently)
{
    const LossyCase& c = GetParam();
    TempDir tmp;
    const TestTone tone{c.rate, 2, c.rate * 3};
    const std::string path = tmp.file(std::string("tone") + c.extension);
    if (!writeTone(path, c.format, tone))
        GTEST_SKIP() << "libsndfile here cannot write " << c.name;

    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(path));
    const int32_t length = filter.length();
    // Encoders pad to whole packets; the decoder may keep some of it.
    EXPECT_NEAR(length, tone.frames, 4096);
    EXPECT_EQ(filter.sourceFormat().nSamplesPerSec, static_cast<uint32_t>(c.rate));

    const uint32_t reader = filter.createReader();
    const std::vector<float> all = readFrames(filter, reader, 0, length, 2, 4096);
    // The tone's level survives within 1 dB on both channels.
    for (int ch = 0; ch < 2; ++ch) {
        const double expected = TestTone::level(ch) / std::sqrt(2.0);
        EXPECT_NEAR(20 * std::log10(rms(all, 2, ch, c.rate / 2, static_cast<size_t>(c.rate) * 5 / 2) / expected), 0.0,
                    1.0)
            << "channel " << ch;
    }
    // Seeking lands where reading straight through is.
    for (int32_t at : {c.rate / 3, c.rate + 4321, c.rate * 2 + 17, 1000}) {
        const std::vector<float> part = readFrames(filter, reader, at, 2000, 2);
        const std::vector<float> expect(all.begin() + at * 2, all.begin() + (at + 2000) * 2);
        EXPECT_LE(maxDifference(part, expect), 1e-4f) << "at " << at;
    }
}

INSTANTIATE_TEST_SUITE_P(FileFilter, LossyFormat, ::testing::ValuesIn(kLossy),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileFilterOpen, RefusesWhatIsNotAudio)
{
    TempDir tmp;
    FileFilter filter = makeFilter(tmp.path().string());

    EXPECT_FALSE(filter.openFile(tmp.file("missing.wav")));
    EXPECT_FALSE(filter.openFile(""));
    EXPECT_FALSE(filter.openFile(tmp.path().string())); // a folder

    {
        std::ofstream text(tmp.file("notes.wav"));
        text << "These are my notes, not a recording.\n";
    }
    EXPECT_FALSE(filter.openFile(tmp.file("notes.wav")));
    { std::ofstream empty(tmp.file("empty.wav")); }
    EXPECT_FALSE(filter.openFile(tmp.file("empty.wav")));

    // Random bytes behind a plausible start.
    {
        std::ofstream junk(tmp.file("junk.wav"), std::ios::binary);
        junk << "RIFF";
        std::mt19937 random(3);
        for (int i = 0; i < 5000; ++i)
            junk.put(static_cast<char>(random()));
    }
    EXPECT_FALSE(filter.openFile(tmp.file("junk.wav")));

    // A FIFO would block a naive open forever.
    ASSERT_EQ(mkfifo(tmp.file("pipe.wav").c_str(), 0600), 0);
    EXPECT_FALSE(filter.openFile(tmp.file("pipe.wav")));

    // Nothing open: every query fails with a code rather than answering nonsense.
    try {
        filter.length();
        ADD_FAILURE() << "length without a source";
    } catch (const ClassCom& e) {
        EXPECT_NE(e.code(), 0);
    }
    EXPECT_THROW(filter.createReader(), ClassCom);
}

TEST(FileFilterOpen, TruncatedFiles)
{
    TempDir tmp;
    const TestTone tone{44100, 2, 44100};
    const std::string whole = tmp.file("whole.wav");
    ASSERT_TRUE(writeTone(whole, SF_FORMAT_WAV | SF_FORMAT_PCM_16, tone));
    FileFilter filter = makeFilter(tmp.path().string());

    // Cut inside the header: not audio.
    const std::string header = tmp.file("header.wav");
    std::filesystem::copy_file(whole, header);
    std::filesystem::resize_file(header, 30);
    EXPECT_FALSE(filter.openFile(header));

    // Header intact, no frame after it.
    const std::string noData = tmp.file("nodata.wav");
    std::filesystem::copy_file(whole, noData);
    std::filesystem::resize_file(noData, 44);
    EXPECT_FALSE(filter.openFile(noData));

    // Cut inside the data: what is there reads, the rest does not exist.
    const std::string cut = tmp.file("cut.wav");
    std::filesystem::copy_file(whole, cut);
    const int64_t kept = 10000;
    std::filesystem::resize_file(cut, 44 + kept * 4 + 2); // and half a frame
    ASSERT_TRUE(filter.openFile(cut));
    EXPECT_EQ(filter.length(), kept);
    const uint32_t reader = filter.createReader();
    std::vector<float> frames(20000 * 2, 1.0f);
    EXPECT_EQ(filter.read(reader, frames.data(), 20000), kept);
    frames.resize(kept * 2 + 10);
    EXPECT_LE(maxDifference(frames, tone.interleaved(0, kept)), 2.0f / 32768);
    EXPECT_EQ(frames[kept * 2], 0.0f);

    // A FLAC stream cut short: its header still promises every frame.
    const std::string flac = tmp.file("cut.flac");
    ASSERT_TRUE(writeTone(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, TestTone{44100, 2, 441000}));
    std::filesystem::resize_file(flac, std::filesystem::file_size(flac) / 3);
    if (filter.openFile(flac)) {
        const int32_t length = filter.length();
        const uint32_t r = filter.createReader();
        std::vector<float> all(static_cast<size_t>(length) * 2);
        EXPECT_EQ(filter.read(r, all.data(), static_cast<uint32_t>(length)), static_cast<uint32_t>(length));
        // Whatever could not be decoded is silence, never garbage.
        for (float v : all)
            ASSERT_LE(std::abs(v), 1.0f);
        EXPECT_EQ(all.back(), 0.0f);
    }
}

TEST(FileFilterOpen, FilterListHasAllAudioFilesFirst)
{
    FileFilter filter = makeFilter();
    const std::string list = filter.filterList();
    EXPECT_EQ(list.rfind("All audio files|", 0), 0u) << list;
    EXPECT_LT(list.size(), static_cast<size_t>(QUILLON_FF_FILTER_LIST_CAPACITY));
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.back(), '|');
    // Description and pattern alternate: an even number of bars, no empty field.
    EXPECT_EQ(std::count(list.begin(), list.end(), '|') % 2, 0);
    EXPECT_EQ(list.find("||"), std::string::npos);
    for (const char* pattern : {"*.wav", "*.aiff", "*.flac", "*.ogg", "*.caf", "*.w64", "*.mp3", "*.opus"})
        EXPECT_NE(list.find(pattern), std::string::npos) << pattern;
    // The first entry's patterns cover every other entry's.
    const size_t allEnd = list.find('|', 16);
    const std::string all = list.substr(16, allEnd - 16);
    for (size_t at = allEnd + 1; at < list.size();) {
        const size_t descEnd = list.find('|', at);
        const size_t patEnd = list.find('|', descEnd + 1);
        EXPECT_NE(all.find(list.substr(descEnd + 1, patEnd - descEnd - 1)), std::string::npos);
        at = patEnd + 1;
    }
}

TEST(FileFilterState, ReopensTheSameSource)
{
    TempDir tmp;
    const TestTone tone{48000, 2, 30000};
    ASSERT_TRUE(writeTone(tmp.file("a.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_24, tone));

    std::vector<uint8_t> state;
    {
        // Opened by a relative name: the state must not depend on the working folder.
        const auto cwd = std::filesystem::current_path();
        std::filesystem::current_path(tmp.path());
        FileFilter filter = makeFilter(tmp.path().string());
        const bool opened = filter.openFile("a.flac");
        std::filesystem::current_path(cwd);
        ASSERT_TRUE(opened);
        EXPECT_EQ(filter.stateSize(), filter.saveState().size());
        state = filter.saveState();
    }
    FileFilter again = makeFilter(tmp.path().string());
    ASSERT_TRUE(again.openState(state));
    EXPECT_EQ(again.length(), tone.frames);
    const uint32_t reader = again.createReader();
    EXPECT_LE(maxDifference(readFrames(again, reader, 1234, 2000, 2), tone.interleaved(1234, 2000)), 1e-6f);

    // A later filter may append records this one does not know: they are skipped.
    std::vector<uint8_t> extended = state;
    for (uint8_t b : {0x63, 0, 0, 0, 3, 0, 0, 0, 1, 2, 3})
        extended.push_back(b);
    EXPECT_TRUE(makeFilter().openState(extended));

    // Damaged or foreign states never open, and never crash.
    FileFilter other = makeFilter();
    EXPECT_FALSE(other.openState(nullptr, 0));
    for (size_t cut = 0; cut < state.size(); ++cut)
        EXPECT_FALSE(other.openState(state.data(), static_cast<uint32_t>(cut))) << cut;
    std::vector<uint8_t> lying = state;
    lying[28] = 0xFF; // path length beyond the block (the path follows the 16-byte file size record)
    EXPECT_FALSE(other.openState(lying));
    std::vector<uint8_t> future = state;
    future[4] = 99; // a version this filter cannot read
    EXPECT_FALSE(other.openState(future));
    std::filesystem::remove(tmp.file("a.flac"));
    EXPECT_FALSE(other.openState(state));
}

TEST(FileFilterCommands, ParameterBlocksAreChecked)
{
    TempDir tmp;
    ASSERT_TRUE(writeTone(tmp.file("t.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, TestTone{44100, 1, 1000}));
    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(tmp.file("t.wav")));
    const PluginInstance& raw = filter.instance();

    QuillonFfLength length{};
    EXPECT_EQ(raw.command(QUILLON_FF_LENGTH, &length, sizeof length + 4), QUILLON_E_BAD_SIZE);
    EXPECT_EQ(raw.command(QUILLON_FF_LENGTH, nullptr, sizeof length), QUILLON_E_BAD_PARAM);
    EXPECT_EQ(raw.command(QUILLON_FF_LENGTH, &length, sizeof length), 0);
    EXPECT_EQ(length.length, 1000);
    EXPECT_EQ(raw.command(9999, &length, sizeof length), QUILLON_E_UNKNOWN_COMMAND);

    char small[16];
    QuillonFfFilterList list{small, sizeof small};
    EXPECT_EQ(raw.command(QUILLON_FF_FILTER_LIST, &list, sizeof list), QUILLON_E_BAD_PARAM);

    try {
        filter.seekReader(12345, 0);
        ADD_FAILURE() << "seek on a reader that does not exist";
    } catch (const ClassCom& e) {
        EXPECT_EQ(e.code(), QUILLON_E_BAD_HANDLE);
    }
    const uint32_t reader = filter.createReader();
    filter.closeReader(reader);
    EXPECT_THROW(filter.closeReader(reader), ClassCom);
    float frame[2];
    EXPECT_THROW(filter.read(reader, frame, 1), ClassCom);

    EXPECT_THROW(filter.setOutputFormat(outputFormat(44100, 0)), ClassCom);
    EXPECT_THROW(filter.setOutputFormat(outputFormat(0, 2)), ClassCom);

    uint8_t tiny[4];
    QuillonFfSaveState save{tiny, sizeof tiny};
    EXPECT_EQ(raw.command(QUILLON_FF_SAVE_STATE, &save, sizeof save), QUILLON_E_BAD_PARAM);

    // A sink record of another kind is refused.
    QuillonInterface wrong{};
    wrong.id = QUILLON_IID_EFFECT;
    wrong.command = [](QuillonInterface*, uint32_t, void*, uint32_t) -> int32_t { return 0; };
    EXPECT_THROW(filter.setNotificationSink(wrong), ClassCom);
}

namespace {

struct IntegerCase {
    const char* name;
    int format;
    int bits;
};

class IntegerScale : public ::testing::TestWithParam<IntegerCase> {};

} // namespace

// n-bit samples come back as v / 2^(n-1) exactly: a scale of 2^(n-1) - 1 would be off by
// less than one step near full scale, which a tolerance of one step cannot see.
TEST_P(IntegerScale, SamplesAreDividedByTheExactPowerOfTwo)
{
    const IntegerCase& c = GetParam();
    TempDir tmp;
    const int32_t top = 1 << (c.bits - 1);
    const std::vector<int32_t> values{-top, top - 1, top / 2, 1, -1, 0, -top + 1, top - 3};
    const std::string path = tmp.file(std::string("ints-") + c.name);
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = c.format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<int> words;
    for (int32_t v : values)
        words.push_back(static_cast<int>(static_cast<uint32_t>(v) << (32 - c.bits)));
    ASSERT_EQ(sf_write_int(file, words.data(), static_cast<sf_count_t>(words.size())),
              static_cast<sf_count_t>(words.size()));
    sf_close(file);

    FileFilter filter = makeFilter(tmp.path().string());
    ASSERT_TRUE(filter.openFile(path));
    const uint32_t reader = filter.createReader();
    const std::vector<float> back = readFrames(filter, reader, 0, static_cast<int32_t>(values.size()), 1, 5);
    filter.closeReader(reader);
    ASSERT_EQ(back.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(back[i], static_cast<float>(static_cast<double>(values[i]) / top)) << values[i];
}

INSTANTIATE_TEST_SUITE_P(FileFilter, IntegerScale,
                         ::testing::Values(IntegerCase{"wav8", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 8},
                                           IntegerCase{"aiff8", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, 8},
                                           IntegerCase{"wav24", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 24},
                                           IntegerCase{"flac24", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 24}),
                         [](const auto& info) { return std::string(info.param.name); });
