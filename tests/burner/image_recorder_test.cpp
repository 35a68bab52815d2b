// The image recorder through the loaded library, checked by readers that share no code
// with it: libcdio's cd-info and cd-read, libcue, and cdrdao.
#include "burner_fixture.h"
#include <gtest/gtest.h>
#include <libcue.h>
#include "cdio_reader.h"
#include <libburn/libburn.h>
#include <dlfcn.h>
#include <array>
#include <algorithm>
#include <functional>
#include <sstream>
#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace quillon::test {
namespace {

struct Library {
    DynamicLibrary lib;
    template <typename F>
    F fn(const char* name)
    {
        return reinterpret_cast<F>(lib.symbol(name));
    }
};

// Answers the image path request with the path it holds, or cancels.
struct Answers {
    std::string imagePath;
    int cancelAtPercent = 101;
    std::vector<int32_t> requests;
    std::vector<std::string> phases;
    int32_t simulationAnswer = VARDA_ANSWER_PROCEED;
};

int32_t userDialog(void* user, int32_t request, void* data)
{
    auto* a = static_cast<Answers*>(user);
    a->requests.push_back(request);
    if (request == VARDA_REQUEST_IMAGE_PATH) {
        if (a->imagePath.empty())
            return VARDA_ANSWER_IMAGE_CANCELLED;
        std::snprintf(static_cast<char*>(data), VARDA_PATH_SIZE, "%s", a->imagePath.c_str());
        return VARDA_ANSWER_OK;
    }
    return request == VARDA_REQUEST_SIMULATION_DONE ? a->simulationAnswer : VARDA_ANSWER_NO;
}

int32_t progress(void* user, int32_t percent) { return percent < static_cast<Answers*>(user)->cancelAtPercent; }
void phase(void* user, const char* text) { static_cast<Answers*>(user)->phases.emplace_back(text); }

struct Output {
    int status = -1;
    std::string text;
};

Output run(const std::string& command)
{
    Output out;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return out;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), p)) > 0)
        out.text.append(buffer.data(), n);
    const int status = pclose(p);
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

bool haveTool(const char* name) { return run(std::string("command -v ") + name).status == 0; }

class ImageRecorderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_lib.lib.load(QUILLON_BURNER_LIBRARY)) << m_lib.lib.errorText();
        ASSERT_EQ(m_lib.fn<VardaSetExpectedAPIVersionExFn>("VardaSetExpectedAPIVersionEx")(5, 9, 9, 18, 0), 0);
        VardaBurnSettings settings{};
        settings.userDialog = userDialog;
        settings.userDialogUser = &m_answers;
        ASSERT_EQ(m_lib.fn<VardaInitFn>("VardaInit")(&settings, 0), 0);
        m_table = m_lib.fn<VardaGetAvailableDrivesFn>("VardaGetAvailableDrives")();
        ASSERT_NE(m_table, nullptr);
        for (int32_t i = 0; i < m_table->count; ++i)
            if (std::string(m_table->entries[i].name) == "Image Recorder")
                m_device = m_lib.fn<VardaOpenDeviceFn>("VardaOpenDevice")(&m_table->entries[i]);
        ASSERT_NE(m_device, nullptr);
    }
    void TearDown() override
    {
        if (m_device)
            m_lib.fn<VardaCloseDeviceFn>("VardaCloseDevice")(m_device);
        if (m_table)
            m_lib.fn<VardaFreeMemFn>("VardaFreeMem")(m_table);
        m_lib.fn<VardaDoneFn>("VardaDone")();
    }
    int32_t burn(DiscRecord& record, uint32_t flags = VARDA_BURN_DEFAULT_FLAGS, void* device = nullptr,
                 int32_t speed = 0)
    {
        VardaProgress p{};
        p.progress = progress;
        p.phase = phase;
        p.user = &m_answers;
        return m_lib.fn<VardaBurnFn>("VardaBurn")(device ? device : m_device, 0, record.disc(), flags, speed, &p);
    }
    void* openAddress(const std::string& address)
    {
        VardaDriveEntry e{};
        std::snprintf(e.address, sizeof e.address, "%s", address.c_str());
        return m_lib.fn<VardaOpenDeviceFn>("VardaOpenDevice")(&e);
    }
    std::string lastError()
    {
        const char* e = m_lib.fn<VardaGetLastErrorFn>("VardaGetLastError")();
        return e ? e : "";
    }

    // Track 1: 6 s and 123 frames (not whole blocks), an index 100 blocks in, first
    // pause 200 blocks (50 beyond the lead-in's); track 2: 7 s, a pause of 100 blocks,
    // indexes 150 and 75 blocks apart; track 3: 5 s, a pause of 40, accented CD-TEXT.
    std::vector<TrackSpec> sampleTracks()
    {
        writePatternWave(m_dir.file("t1.wav"), 1, 6 * 44100 + 123);
        writePatternWave(m_dir.file("t2.wav"), 2, 7 * 44100, true);
        writePatternWave(m_dir.file("t3.wav"), 3, 5 * 44100);
        return {{m_dir.file("t1.wav"), 200, {100}, "Opening", "First Artist"},
                {m_dir.file("t2.wav"), 100, {150, 75}, "Middle", "Second Artist"},
                {m_dir.file("t3.wav"), 40, {}, "Café Noël", "Zoë"}};
    }

    // These tests are about the Image Recorder: the system's recorders (libburn) stay out.
    ScopedEnv m_noLibburn{"QUILLON_LIBBURN", "/nonexistent/libburn.so.4"};
    TempDir m_dir;
    Library m_lib;
    Answers m_answers;
    VardaDriveTable* m_table = nullptr;
    void* m_device = nullptr;
};

TEST_F(ImageRecorderTest, DriveTableOffersTheImageRecorderWithoutSpeedsOrErase)
{
    const VardaDriveEntry* image = nullptr;
    for (int32_t i = 0; i < m_table->count; ++i)
        if (std::string(m_table->entries[i].address) == "image:")
            image = &m_table->entries[i];
    ASSERT_NE(image, nullptr);
    EXPECT_STREQ(image->name, "Image Recorder");
    EXPECT_EQ(image->capabilities & 3u, 3u);
    EXPECT_EQ(image->speedCount, 0);
    EXPECT_EQ(m_lib.fn<VardaGetAPIVersionFn>("VardaGetAPIVersion")(), VARDA_API_VERSION);
    EXPECT_EQ(m_lib.fn<VardaGetCDRWErasingTimeFn>("VardaGetCDRWErasingTime")(m_device, VARDA_ERASE_QUICK),
              VARDA_ERASE_NOT_SUPPORTED);
    EXPECT_LT(m_lib.fn<VardaEraseDiscFn>("VardaEraseDisc")(m_device, VARDA_ERASE_QUICK, 1, 0), 0);
    EXPECT_FALSE(lastError().empty());
}

TEST_F(ImageRecorderTest, IndependentReadersAgreeOnLayoutTextAndAudio)
{
    for (const char* tool : {"cd-info", "cd-read", "cdrdao"})
        if (!haveTool(tool))
            GTEST_SKIP() << tool << " is not installed";
    DiscRecord record("Disc Title", "Disc Artist", sampleTracks());
    m_answers.imagePath = m_dir.file("disc.cue");
    ASSERT_EQ(burn(record), 0) << lastError();
    for (const char* ext : {".bin", ".cue", ".toc"})
        EXPECT_TRUE(std::filesystem::exists(m_dir.file(std::string("disc") + ext))) << ext;
    // Whole blocks: 50 of lead-in silence, then 451 + 525 + 375.
    EXPECT_EQ(std::filesystem::file_size(m_dir.file("disc.bin")), uint64_t(1401) * 2352);

    const std::string cd = "cd " + m_dir.path().string() + " && ";
    const Output info = run(cd + "cd-info --no-device-info --no-header --no-cddb --cue-file disc.cue");
    std::map<int, int> starts;
    const std::regex trackLine(R"(^\s*(\d+): \d\d:\d\d:\d\d\s+(\d+) (audio|leadout))");
    std::smatch m;
    std::istringstream lines(info.text);
    for (std::string line; std::getline(lines, line);)
        if (std::regex_search(line, m, trackLine))
            starts[std::stoi(m[1])] = std::stoi(m[2]);
    EXPECT_EQ(starts, (std::map<int, int>{{1, 50}, {2, 501}, {3, 1026}, {170, 1401}})) << info.text;
    EXPECT_NE(info.text.find("Disc Title"), std::string::npos) << info.text;
    EXPECT_NE(info.text.find("Café Noël"), std::string::npos) << info.text;
    EXPECT_NE(info.text.find("Zoë"), std::string::npos) << info.text;

    // libcue reads every index, absolute in the image.
    FILE* cueFile = std::fopen(m_dir.file("disc.cue").c_str(), "r");
    ASSERT_NE(cueFile, nullptr);
    Cd* cue = cue_parse_file(cueFile);
    std::fclose(cueFile);
    ASSERT_NE(cue, nullptr);
    ASSERT_EQ(cd_get_ntrack(cue), 3);
    const std::vector<std::vector<long>> indexes = {{0, 50, 150}, {401, 501, 651, 726}, {986, 1026}};
    for (int t = 0; t < 3; ++t)
        for (size_t i = 0; i < indexes[t].size(); ++i)
            EXPECT_EQ(track_get_index(cd_get_track(cue, t + 1), int(i)), indexes[t][i]) << "track " << t + 1 << " index " << i;
    EXPECT_STREQ(cdtext_get(PTI_PERFORMER, track_get_cdtext(cd_get_track(cue, 2))), "Second Artist");
    cd_delete(cue);

    // The audio at an LSN: track 2 from its start, the pregap of track 2 (the end of
    // track 1) and the added silence before track 1.
    auto readBlocks = [&](int lsn, int count) {
        const std::string out = m_dir.file("read.raw");
        const Output r = run(cd + "cd-read --cue-file disc.cue -m audio -s " + std::to_string(lsn) + " -n " +
                             std::to_string(count) + " -o " + out);
        EXPECT_EQ(r.status, 0) << r.text;
        return readFile(out);
    };
    EXPECT_EQ(readBlocks(501, 20), patternPcm(2, 20 * 588));
    EXPECT_EQ(readBlocks(401, 40), patternPcm(1, 391 * 588).substr(351 * 2352));
    EXPECT_EQ(readBlocks(0, 50), std::string(50 * 2352, '\0'));

    const Output toc = run(cd + "cdrdao show-toc disc.toc");
    ASSERT_EQ(toc.status, 0) << toc.text;
    std::string packed;
    for (char c : toc.text)
        if (c != ' ')
            packed += c;
    for (const char* expected : {"START00:00:50(50)", "INDEX200:02:00(150)", "END00:05:26(401)", "PREGAP00:01:25(100)",
                                 "START00:06:51(501)", "INDEX200:08:51(651)", "INDEX300:09:51(726)",
                                 "END00:13:11(986)", "START00:13:51(1026)", "END00:18:51(1401)"})
        EXPECT_NE(packed.find(expected), std::string::npos) << expected << "\n" << toc.text;
    EXPECT_EQ(run(cd + "cdrdao read-test disc.toc").status, 0);
}

TEST_F(ImageRecorderTest, IsrcAndCatalogueNumberReadBackFromCueAndToc)
{
    for (const char* tool : {"cd-info", "cdrdao"})
        if (!haveTool(tool))
            GTEST_SKIP() << tool << " is not installed";
    std::vector<TrackSpec> tracks = sampleTracks();
    tracks[0].isrc = "USS1Z9900001";
    tracks[2].isrc = "GBAYE0601498";
    DiscRecord record("Disc Title", "Disc Artist", tracks);
    std::snprintf(record.disc()->catalog, sizeof record.disc()->catalog, "0724384960650");
    m_answers.imagePath = m_dir.file("codes.cue");
    ASSERT_EQ(burn(record), 0) << lastError();
    const std::string cd = "cd " + m_dir.path().string() + " && ";

    const Output info = run(cd + "cd-info --no-device-info --no-header --no-cddb --cue-file codes.cue");
    EXPECT_NE(info.text.find("Media Catalog Number (MCN): 0724384960650"), std::string::npos) << info.text;
    // cd-info does not print ISRCs; the library under it reads them from the sheet.
    const std::vector<std::string> isrcs = cdioTrackIsrcs(m_dir.file("codes.cue"));
    EXPECT_EQ(isrcs, (std::vector<std::string>{"USS1Z9900001", "", "GBAYE0601498"}));

    const Output toc = run(cd + "cdrdao show-toc codes.toc");
    ASSERT_EQ(toc.status, 0) << toc.text;
    EXPECT_NE(toc.text.find("CATALOG NUMBER: 0724384960650"), std::string::npos) << toc.text;
    const std::regex perTrack(R"(TRACK\s+(\d+)\s+Mode AUDIO:\s*\n\s*ISRC (\w\w \w\w\w \d\d \d{5}))");
    std::vector<std::string> seen;
    for (std::sregex_iterator it(toc.text.begin(), toc.text.end(), perTrack), end; it != end; ++it)
        seen.push_back((*it)[1].str() + " " + (*it)[2].str());
    EXPECT_EQ(seen, (std::vector<std::string>{"1 US S1Z 99 00001", "3 GB AYE 06 01498"})) << toc.text;
}

TEST_F(ImageRecorderTest, TocByteOrderAndTextReadBack)
{
    for (const char* tool : {"cd-info", "cdrdao"})
        if (!haveTool(tool))
            GTEST_SKIP() << tool << " is not installed";
    DiscRecord record("Disc Title", "Disc Artist", sampleTracks());
    m_answers.imagePath = m_dir.file("disc");
    ASSERT_EQ(burn(record), 0) << lastError();
    const std::string cd = "cd " + m_dir.path().string() + " && ";
    // show-data prints one "left right" pair per line; the track starts after the 50
    // silent blocks, and the pattern comes back only with the byte order right.
    const int first = 50 * 588;
    const Output data = run(cd + "cdrdao show-data disc.toc 2>/dev/null | sed -n '" + std::to_string(first + 1) +
                            "," + std::to_string(first + 3) + "p'");
    std::istringstream pairs(data.text);
    for (int f = 0; f < 3; ++f) {
        std::string line;
        ASSERT_TRUE(std::getline(pairs, line)) << data.text;
        std::replace(line.begin(), line.end(), ':', ' ');
        std::istringstream words(line);
        std::vector<long> numbers;
        for (long n; words >> n;)
            numbers.push_back(n);
        ASSERT_GE(numbers.size(), 2u) << line;
        EXPECT_EQ(numbers[numbers.size() - 2], patternSample(1, f, 0)) << line;
        EXPECT_EQ(numbers.back(), patternSample(1, f, 1)) << line;
    }
    // The TOC's CD-TEXT read by libcdio, which cannot parse SWAP.
    const Output text = run(cd + "sed 's/ SWAP//' disc.toc > c.toc && cd-info --no-device-info --no-header "
                                 "--no-cddb --toc-file c.toc");
    EXPECT_NE(text.text.find("Café Noël"), std::string::npos) << text.text;
    EXPECT_NE(text.text.find("Disc Artist"), std::string::npos) << text.text;
}

TEST_F(ImageRecorderTest, CancelledBurnLeavesTheEarlierImageWhole)
{
    DiscRecord record("Disc", "Artist", sampleTracks());
    m_answers.imagePath = m_dir.file("disc.cue");
    ASSERT_EQ(burn(record), 0) << lastError();
    const std::string before = readFile(m_dir.file("disc.bin"));
    m_answers.cancelAtPercent = 50;
    EXPECT_NE(burn(record), 0);
    EXPECT_EQ(lastError(), "The burn was cancelled.");
    EXPECT_EQ(readFile(m_dir.file("disc.bin")), before);
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(m_dir.path()))
        files += e.path().string().find(".part") != std::string::npos;
    EXPECT_EQ(files, 0u);
    // Declining the file dialog writes nothing either.
    m_answers.imagePath.clear();
    EXPECT_NE(burn(record), 0);
    EXPECT_FALSE(lastError().empty());
}

TEST_F(ImageRecorderTest, SimulationReadsEverythingThenRecords)
{
    std::vector<TrackSpec> tracks = sampleTracks();
    for (TrackSpec& t : tracks)
        t.title = t.artist = "";
    DiscRecord record("", "", tracks);
    m_answers.imagePath = m_dir.file("sim.cue");
    ASSERT_EQ(burn(record, VARDA_BURN_DEFAULT_FLAGS | VARDA_BURN_SIMULATE), 0) << lastError();
    EXPECT_EQ(m_answers.requests, (std::vector<int32_t>{VARDA_REQUEST_IMAGE_PATH, VARDA_REQUEST_SIMULATION_DONE}));
    EXPECT_EQ(m_answers.phases.front(), "Simulating");
    // No CD-TEXT at all: the CUE carries none.
    EXPECT_EQ(readFile(m_dir.file("sim.cue")).find("TITLE"), std::string::npos);
}

struct RefusedDisc {
    const char* name;
    std::function<void(std::vector<TrackSpec>&)> change;
    const char* message;
    friend void PrintTo(const RefusedDisc& d, std::ostream* os) { *os << d.name; }
};

class RefusedDiscTest : public ImageRecorderTest, public ::testing::WithParamInterface<RefusedDisc> {};

TEST_P(RefusedDiscTest, NothingIsWritten)
{
    std::vector<TrackSpec> tracks = sampleTracks();
    GetParam().change(tracks);
    DiscRecord record("Disc", "Artist", tracks);
    m_answers.imagePath = m_dir.file("refused.cue");
    EXPECT_NE(burn(record), 0);
    EXPECT_NE(lastError().find(GetParam().message), std::string::npos) << lastError();
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("refused.bin")));
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("refused.cue")));
}

INSTANTIATE_TEST_SUITE_P(
    Burner, RefusedDiscTest,
    ::testing::Values(
        RefusedDisc{"ShortFirstPause", [](auto& t) { t[0].pause = 149; }, "at least 2 seconds"},
        RefusedDisc{"PauseEatsTrack", [](auto& t) { t[1].pause = 200; }, "Track 1 is shorter than 4 seconds"},
        RefusedDisc{"PauseLongerThanTrack", [](auto& t) { t[1].pause = 500; }, "longer than the track before"},
        RefusedDisc{"IndexAtEnd", [](auto& t) { t[1].indexes = {150, 335}; }, "past the track's end"},
        RefusedDisc{"IndexNotAfterPrevious", [](auto& t) { t[1].indexes = {150, 0}; }, "not in order"},
        RefusedDisc{"MissingFile", [](auto& t) { t[2].path += ".gone"; }, "Cannot open the track file"},
        RefusedDisc{"TooManyTracks", [](auto& t) { t.resize(100, t[2]); }, "1 to 99 tracks"},
        RefusedDisc{"LowerCaseIsrc", [](auto& t) { t[1].isrc = "uss1z9900001"; }, "ISRC of track 2"},
        RefusedDisc{"QuoteInIsrc", [](auto& t) { t[0].isrc = "US\"1Z9900001"; }, "ISRC of track 1"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillon::test

namespace quillon::test {
namespace {

uint32_t fnv(const std::string& bytes)
{
    uint32_t h = 2166136261u;
    for (char c : bytes)
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h;
}

// The recorder drive over a stand-in libburn, loaded through the same dlopen.
class LibburnDriveTest : public ImageRecorderTest {
protected:
    ScopedEnv m_fake{"QUILLON_LIBBURN", QUILLON_FAKE_LIBBURN};
};

TEST_F(LibburnDriveTest, PregapsIndexesTextSimulationAndSpeed)
{
    const VardaDriveEntry* writer = nullptr;
    for (int32_t i = 0; i < m_table->count; ++i)
        if (std::string(m_table->entries[i].name) == "FAKE WRITER")
            writer = &m_table->entries[i];
    ASSERT_NE(writer, nullptr);
    EXPECT_STREQ(writer->address, "/dev/fake-sr0");
    ASSERT_EQ(writer->speedCount, 2);
    EXPECT_EQ(writer->speedMultiples[0], 4);
    EXPECT_EQ(writer->speedsKBps[1], 1411);
    EXPECT_NE(writer->capabilities & VARDA_CAP_WRITE_CDRW, 0u);

    std::vector<TrackSpec> tracks = sampleTracks();
    tracks[1].isrc = "GBAYE0601498";
    DiscRecord record("Disc Title", "Disc Artist", tracks);
    std::snprintf(record.disc()->catalog, sizeof record.disc()->catalog, "0724384960650");
    void* drive = m_lib.fn<VardaOpenDeviceFn>("VardaOpenDevice")(writer);
    ASSERT_NE(drive, nullptr);
    // The blank's size as the drive reports it: 80 minutes here, 90 with another blank.
    auto capacity = m_lib.fn<VardaGetMediumCapacityFn>("VardaGetMediumCapacity");
    EXPECT_EQ(capacity(drive), 360000);
    {
        ScopedEnv ninety("QUILLON_FAKE_MEDIUM_BLOCKS", "404850");
        EXPECT_EQ(capacity(drive), 404850);
    }
    EXPECT_EQ(capacity(m_device), 360000); // the Image Recorder's blank
    EXPECT_EQ(capacity(nullptr), -1);
    ASSERT_EQ(burn(record, VARDA_BURN_DEFAULT_FLAGS | VARDA_BURN_SIMULATE, drive, 8), 0) << lastError();
    EXPECT_EQ(m_lib.fn<VardaGetCDRWErasingTimeFn>("VardaGetCDRWErasingTime")(drive, VARDA_ERASE_QUICK), 90);
    m_lib.fn<VardaCloseDeviceFn>("VardaCloseDevice")(drive);

    // The same disc as an image: each track's audio on the disc is the image's stretch
    // from its index 0 (its start for the first) to the next track's index 0.
    m_answers.imagePath = m_dir.file("same.cue");
    ASSERT_EQ(burn(record), 0) << lastError();
    const std::string bin = readFile(m_dir.file("same.bin"));
    char expected[200];
    auto stretch = [&](int from, int to) { return bin.substr(size_t(from) * 2352, size_t(to - from) * 2352); };
    std::snprintf(expected, sizeof expected, " %d:%08x %d:%08x %d:%08x", 351 * 2352, fnv(stretch(50, 401)),
                  585 * 2352, fnv(stretch(401, 986)), 415 * 2352, fnv(stretch(986, 1401)));

    // The library loaded the fake privately: reach it by its path.
    void* fake = dlopen(QUILLON_FAKE_LIBBURN, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(fake, nullptr);
    const std::string text = reinterpret_cast<const char* (*)()>(dlsym(fake, "fake_libburn_log"))();
    dlclose(fake);
    for (const std::string& line : std::vector<std::string>{
             "pregap 1 200", "index 1 1 0", "index 1 2 100", "index 2 0 0", "index 2 1 100", "index 2 2 250",
          "index 2 3 325", "index 3 0 0", "index 3 1 40", "cdtext disc TITLE Disc Title",
          "cdtext disc PERFORMER Disc Artist", "cdtext 3 TITLE Caf\xE9 No\xEBl", "cdtext 3 PERFORMER Zo\xEB",
          "isrc 2 GBAYE0601498", "mcn 0724384960650", "has mcn 1",
          "speed 1411", "write type " + std::to_string(int(burn::BURN_WRITE_SAO)) + " " + std::to_string(int(burn::BURN_BLOCK_SAO)),
          std::string("write simulate 1") + expected, std::string("write simulate 0") + expected})
        EXPECT_NE(text.find(line + "\n"), std::string::npos) << line << "\n" << text;
    EXPECT_EQ(text.find("pregap 2"), std::string::npos) << "a pause after the first is read from the audio";
    EXPECT_EQ(text.find("index 1 0"), std::string::npos) << "the first track's pause is silence, not audio";
}

// The system's libburn itself.
class RealLibburnTest : public ImageRecorderTest {
protected:
    ScopedEnv m_real{"QUILLON_LIBBURN", "libburn.so.4"};
};

TEST_F(RealLibburnTest, LibburnStdioDriveRefusesAudioWithAClearError)
{
    void* probe = dlopen("libburn.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!probe)
        GTEST_SKIP() << "libburn is not installed";
    dlclose(probe);
    DiscRecord record("Disc", "Artist", sampleTracks());
    void* drive = openAddress("stdio:" + m_dir.file("pseudo.bin"));
    ASSERT_NE(drive, nullptr) << lastError();
    EXPECT_NE(burn(record, VARDA_BURN_DEFAULT_FLAGS, drive), 0);
    EXPECT_NE(lastError().find("audio track prohibited by non-CD"), std::string::npos) << lastError();
    m_lib.fn<VardaCloseDeviceFn>("VardaCloseDevice")(drive);
}

// Runs only when QUILLON_TEST_CD_DEVICE names a recorder with a blank CD-R in it.
TEST_F(RealLibburnTest, SimulatesOnARealDrive)
{
    const char* device = std::getenv("QUILLON_TEST_CD_DEVICE");
    if (!device || !*device)
        GTEST_SKIP() << "QUILLON_TEST_CD_DEVICE names no recorder";
    DiscRecord record("Disc", "Artist", sampleTracks());
    void* drive = openAddress(device);
    ASSERT_NE(drive, nullptr) << lastError();
    m_answers.simulationAnswer = VARDA_ANSWER_NO; // simulate only, never record
    EXPECT_NE(burn(record, VARDA_BURN_DEFAULT_FLAGS | VARDA_BURN_SIMULATE, drive), 0);
    EXPECT_EQ(lastError(), "The simulation ended; nothing was recorded.");
    m_lib.fn<VardaCloseDeviceFn>("VardaCloseDevice")(drive);
}

} // namespace
} // namespace quillon::test
