// The CD tracks a project gives and the rules a disc must keep.
#include "base/folder_settings.h"
#include "cd/cd_disc_plan.h"
#include "cd/red_book_preflight.h"
#include "model/label_list.h"
#include <gtest/gtest.h>
#include <filesystem>

namespace quillon {
namespace {

constexpr int32_t kRate = 44100;

TEST(CdDiscPlanTest, PausesBecomeIndexZeroOfTheNextTrackAndAreNotAddedAgain)
{
    // Clips at 0-6 s, 9-17 s and 18-23 s with automatic CD tracks: splits at the clip
    // starts, each pause the gap before it.
    CLabelList labels;
    labels.add(0, ProjectLabel::kTrackSplit, "One", "A");
    labels.add(9 * kRate, ProjectLabel::kTrackSplit, "Two", "B", 3 * kRate);
    labels.add(18 * kRate, ProjectLabel::kTrackSplit, "Three", "C", 1 * kRate);
    const CdDiscPlan plan(labels, 23 * kRate, kRate);
    ASSERT_TRUE(plan.refusal().empty());
    ASSERT_EQ(plan.tracks().size(), 3u);
    // Track starts in the image: 0, 675, 1350; each index 0 a pause earlier.
    int64_t start = 0;
    std::vector<std::pair<int64_t, int64_t>> indexes;
    for (const CdPlanTrack& t : plan.tracks()) {
        indexes.emplace_back(start - (start ? t.pauseBlocks : 0), start);
        start += t.fileBlocks();
    }
    EXPECT_EQ(indexes[1], (std::pair<int64_t, int64_t>{450, 675}));
    EXPECT_EQ(indexes[2], (std::pair<int64_t, int64_t>{1275, 1350}));
    EXPECT_EQ(start, 1725);
    EXPECT_EQ(plan.tracks()[0].pauseBlocks, 150);
    EXPECT_EQ(plan.totalBlocks(), 1725 + 150);
}

TEST(CdDiscPlanTest, IndexesCountWholeTimelineBlocksAndStopAtTheTrackEnd)
{
    CLabelList labels;
    labels.add(0, ProjectLabel::kTrackSplit, "", "", 5 * kRate); // the first pause is always 2 s
    labels.add(kRate * 3 / 2, ProjectLabel::kIndex);
    labels.add(kRate * 5 / 2, ProjectLabel::kIndex);
    labels.add(kRate * 5 / 2 + 100, ProjectLabel::kIndex); // same block: dropped
    for (int i = 0; i < 6; ++i)
        labels.add(kRate * (4 + i) + kRate / 2, ProjectLabel::kIndex); // one a second from 4.5 s
    labels.add(10 * kRate, ProjectLabel::kTrackSplit, "", "", kRate);
    labels.add(9 * kRate + kRate / 2, ProjectLabel::kFreeLabel);
    const CdDiscPlan plan(labels, 20 * kRate, kRate);
    ASSERT_EQ(plan.tracks().size(), 2u);
    const auto& idx = plan.tracks()[0].indexBlocks;
    EXPECT_EQ(plan.tracks()[0].pauseBlocks, 150);
    // 1.5 s and 2.5 s give 112 and 75; then 4.5, 5.5, 6.5, 7.5, 8.5 s (9.5 s is inside
    // the next track's pause).
    EXPECT_EQ(idx, (std::vector<int32_t>{112, 75, 150, 75, 75, 75, 75}));
}

TEST(CdDiscPlanTest, AProjectAt48kHzIsPlannedIn44100HzFrames)
{
    CLabelList labels;
    labels.add(0, ProjectLabel::kTrackSplit);
    labels.add(48000 * 10, ProjectLabel::kTrackSplit, "", "", 48000 * 2);
    labels.add(48000 * 11 + 24000, ProjectLabel::kIndex);
    const CdDiscPlan plan(labels, 48000 * 25, 48000);
    ASSERT_EQ(plan.tracks().size(), 2u);
    EXPECT_EQ(plan.tracks()[0].frames44(), 441000);
    EXPECT_EQ(plan.tracks()[1].frames44(), 15 * 44100);
    EXPECT_EQ(plan.tracks()[1].pauseBlocks, 150);
    EXPECT_EQ(plan.tracks()[1].indexBlocks, (std::vector<int32_t>{112}));
    EXPECT_EQ(plan.totalBlocks(), 150 + 25 * 75);
}

TEST(CdDiscPlanTest, MoreThan98SplitsGive98Tracks)
{
    CLabelList labels;
    for (int i = 0; i < 120; ++i)
        labels.add(i * 5 * kRate, ProjectLabel::kTrackSplit, "T" + std::to_string(i + 1));
    const CdDiscPlan plan(labels, 600 * kRate, kRate);
    EXPECT_TRUE(plan.truncated());
    ASSERT_EQ(plan.tracks().size(), 98u);
    EXPECT_EQ(plan.tracks().back().range, (SampleRange{97 * 5 * kRate, 98 * 5 * kRate}));
    EXPECT_TRUE(RedBookPreflight::check(plan, "", "").ok());
}

struct DegenerateCase {
    const char* name;
    std::vector<ProjectLabel> labels;
    const char* message;
    friend void PrintTo(const DegenerateCase& c, std::ostream* os) { *os << c.name; }
};

class DegenerateProjectTest : public ::testing::TestWithParam<DegenerateCase> {};

TEST_P(DegenerateProjectTest, IsRefusedWithAMessage)
{
    CLabelList labels;
    for (const ProjectLabel& l : GetParam().labels)
        labels.add(l.position, l.kind, l.title, l.artist, l.pause);
    const CdDiscPlan plan(labels, 60 * kRate, kRate);
    const PreflightResult r = RedBookPreflight::check(plan, "Disc", "Artist");
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.refusal.english().find(GetParam().message), std::string::npos) << r.refusal.english();
}

INSTANTIATE_TEST_SUITE_P(
    Cd, DegenerateProjectTest,
    ::testing::Values(
        DegenerateCase{"NoLabels", {}, "no CD tracks"},
        DegenerateCase{"TwoSplitsAtOnePosition",
                       {{0, 0}, {0, 10 * kRate}, {0, 10 * kRate}},
                       "Two CD tracks start at the same position (10.000 s)"},
        DegenerateCase{"ShortTrack", {{0, 0}, {0, 3 * kRate}}, "CD track 1 is shorter than 4 seconds"},
        DegenerateCase{"PauseLeavesTooLittle",
                       {{0, 0}, {0, 20 * kRate, "", "", 17 * kRate}},
                       "CD track 1 is shorter"},
        DegenerateCase{"QuoteInTitle", {{0, 0, "Say \"hi\""}}, "quotation mark"},
        DegenerateCase{"TooLong", {{0, 0}, {ProjectLabel::kFreeLabel, 80 * 60 * kRate + 30 * kRate}}, "does not fit"},
        DegenerateCase{"TooMuchText",
                       {{0, 0, std::string(1000, 'x')}, {0, 30 * kRate, std::string(1000, 'y')},
                        {0, 40 * kRate, std::string(1100, 'z')}},
                       "CD-TEXT is too long"}),
    [](const auto& info) { return std::string(info.param.name); });

// A disc of `minutes` (the first pregap included) against a medium that reports
// `capacity` blocks (0: the drive cannot tell).
struct CapacityCase {
    const char* name;
    double minutes;
    int64_t capacity;
    const char* refusal; // empty: accepted
    bool warned;
};

class CapacityTest : public ::testing::TestWithParam<CapacityCase> {};

TEST_P(CapacityTest, WarnsPast80MinutesAndRefusesWhatTheMediumCannotHold)
{
    const CapacityCase& c = GetParam();
    CLabelList labels;
    labels.add(0, ProjectLabel::kTrackSplit);
    const int32_t end = int32_t(c.minutes * 60 * kRate) - 2 * kRate;
    const CdDiscPlan plan(labels, end, kRate);
    const PreflightResult r = RedBookPreflight::check(plan, "Disc", "Artist", c.capacity);
    if (*c.refusal) {
        EXPECT_NE(r.refusal.english().find(c.refusal), std::string::npos) << r.refusal.english();
        return;
    }
    EXPECT_TRUE(r.ok()) << r.refusal.english();
    EXPECT_EQ(!r.warning.empty(), c.warned) << r.warning.english();
    if (c.warned) {
        EXPECT_NE(r.warning.english().find("past the 80 minutes"), std::string::npos) << r.warning.english();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cd, CapacityTest,
    ::testing::Values(CapacityCase{"Fits80", 79.9, 359849, "", false},
                      CapacityCase{"Exactly80", 80.0, 360000, "", false},
                      CapacityCase{"LongerThanThe80MinuteBlank", 81.0, 359849, "the 80-minute CD in the recorder", false},
                      CapacityCase{"OnA90MinuteBlank", 85.0, 404850, "", true},
                      CapacityCase{"LongerThanThe90MinuteBlank", 91.0, 404850, "the 90-minute CD", false},
                      CapacityCase{"OnA99MinuteBlank", 98.5, 445500, "", true},
                      CapacityCase{"UnknownMediumUpTo99Minutes", 95.0, 0, "", true},
                      CapacityCase{"UnknownMediumPast99Minutes", 100.0, -1, "the largest CD holds", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RedBookPreflightTest, BlanksAreKnownByTheirReportedSize)
{
    const std::pair<int64_t, int> rows[] = {{333000, 74}, {336075, 74}, {359849, 80}, {360000, 80},
                                            {404850, 90}, {405000, 90}, {445500, 99}, {449849, 99}};
    for (auto [blocks, minutes] : rows)
        EXPECT_EQ(RedBookPreflight::blankMinutes(blocks), minutes) << blocks;
}

TEST(RedBookPreflightTest, CodesThatAreNoIsrcOrCatalogueNumberAreRefused)
{
    CLabelList labels;
    labels.add(0, ProjectLabel::kTrackSplit, "One")->isrc = "USS1Z9900001";
    labels.add(10 * kRate, ProjectLabel::kIndex)->isrc = "not checked: an index has no ISRC";
    ProjectLabel* second = labels.add(20 * kRate, ProjectLabel::kTrackSplit, "Two");
    const CdDiscPlan plan(labels, 60 * kRate, kRate);
    EXPECT_TRUE(RedBookPreflight::check(plan, "Disc", "Artist", RedBookPreflight::kCdr80Blocks, "0724384960650").ok());
    EXPECT_EQ(plan.tracks()[0].isrc, "USS1Z9900001");
    const PreflightResult badCatalog =
        RedBookPreflight::check(plan, "Disc", "Artist", RedBookPreflight::kCdr80Blocks, "07243849606");
    EXPECT_NE(badCatalog.refusal.english().find("catalogue number (07243849606) is not valid"), std::string::npos);
    second->isrc = "US\"S1Z990001";
    const CdDiscPlan badPlan(labels, 60 * kRate, kRate);
    const PreflightResult badIsrc = RedBookPreflight::check(badPlan, "Disc", "Artist");
    EXPECT_NE(badIsrc.refusal.english().find("The ISRC of CD track 2"), std::string::npos) << badIsrc.refusal.english();
}

TEST(RedBookPreflightTest, CharactersOutsideLatin1AreReplacedAndNamed)
{
    std::string replaced;
    EXPECT_EQ(RedBookPreflight::toLatin1("Café — Straße €5 €", &replaced), "Caf\xE9 ? Stra\xDF" "e ?5 ?");
    EXPECT_EQ(replaced, "— €");
    CLabelList labels;
    labels.add(0, ProjectLabel::kTrackSplit, "Ωmega", "Zoë");
    const CdDiscPlan plan(labels, 60 * kRate, kRate);
    const PreflightResult r = RedBookPreflight::check(plan, "Disc", "Artist");
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.replaced, "Ω");
}

} // namespace
} // namespace quillon

#include "base/memory_settings_store.h"
#include "cd/cover_hand_off.h"
#include "support/temp_dir.h"
#include <fstream>

namespace quillon {
namespace {

TEST(CoverHandOffTest, OneUntitledTrackOfThreeMinutesFive)
{
    CLabelList labels;
    labels.add(0, ProjectLabel::kTrackSplit);
    test::TempDir dir;
    const std::string path = dir.file("varda.cdc");
    ASSERT_TRUE(CoverHandOff::write(path, CoverHandOff::content("Disc", "Band", labels, 185 * kRate, kRate)));
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(bytes, "[PARAMETERS]\r\nLANGUAGE=\r\n\r\n[CDINFO]\r\nType=Audio-CD\r\nTitle=Disc\r\nArtist=Band\r\n"
                     "Tracks=1\r\nPlaytime=3:05\r\n\r\n[Track1]\r\nType=Audio\r\nArtist=\r\nTitle=\r\nPlaytime=3:05\r\n");
}

TEST(CoverHandOffTest, TrackPlayTimesRunSplitToSplitWithPauses)
{
    CLabelList labels;
    labels.add(0, ProjectLabel::kTrackSplit, "One", "A");
    labels.add(30 * kRate, ProjectLabel::kIndex);
    labels.add(61 * kRate, ProjectLabel::kTrackSplit, "Two", "B", 2 * kRate);
    const std::string text = CoverHandOff::content("", "", labels, 125 * kRate, kRate);
    EXPECT_NE(text.find("Tracks=2\nPlaytime=2:05\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Track1]\nType=Audio\nArtist=A\nTitle=One\nPlaytime=1:01\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Track2]\nType=Audio\nArtist=B\nTitle=Two\nPlaytime=1:04\n"), std::string::npos) << text;
}

TEST(CoverHandOffTest, PathsJoinWithASeparatorAndTheDesignerComesFromTheSetting)
{
    MemorySettingsStore settings;
    FolderSettings(settings).store(kFolderTemporary, "/var/tmp/work");
    EXPECT_EQ(CoverHandOff::handOffPath(settings), "/var/tmp/work/varda.cdc");
    EXPECT_EQ(std::filesystem::path(CoverHandOff::designerPath(settings)).filename(), "quillon-cover");
    settings.writeString(SettingsRoot::LocalMachine, CoverHandOff::kDesignerKey, CoverHandOff::kDesignerValue,
                         "/opt/designer/bin/designer");
    EXPECT_EQ(CoverHandOff::designerPath(settings), "/opt/designer/bin/designer");
}

} // namespace
} // namespace quillon
