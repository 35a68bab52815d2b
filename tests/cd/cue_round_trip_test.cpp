// A compilation exported as one FLAC file with its CUE sheet, beside it or inside it,
// and rebuilt from that: the same CD tracks, pauses, indexes, texts and codes.
#include "cd/cue_export.h"
#include "cd/cue_import.h"
#include "cd/cue_sheet.h"
#include "engine/engine_fixture.h"
#include "engine/job_runner.h"
#include "model/label_list.h"
#include <sndfile.h>
#include <filesystem>
#include <fstream>

namespace quillon::test {
namespace {

struct Marker {
    int32_t kind;
    int32_t position;
    int32_t pause;
    std::string title, artist, isrc;
    bool operator==(const Marker&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const Marker& m)
    {
        return os << m.kind << "@" << m.position << " pause " << m.pause << " '" << m.title << "' '" << m.artist
                  << "' " << m.isrc;
    }
};

std::vector<Marker> markers(CMultitrackerDoc& d)
{
    std::vector<Marker> out;
    CLabelList::Cursor c;
    for (const ProjectLabel* l = d.labels().first(c); l; l = d.labels().next(c))
        out.push_back({l->kind, l->position, l->kind == ProjectLabel::kTrackSplit ? l->pause : 0,
                       l->kind == ProjectLabel::kTrackSplit ? l->title : "",
                       l->kind == ProjectLabel::kTrackSplit ? l->artist : "", l->isrc});
    return out;
}

class CueRoundTripTest : public EngineFixture, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        // Three songs with silence between them; splits on whole CD frames (588 samples).
        addTrack();
        addClip(0, writeConstant("a.wav", 5 * 44100, 0.5f, 0.5f), 0);
        addClip(0, writeConstant("b.wav", 6 * 44100, 0.25f, 0.25f), 8 * 44100);
        addClip(0, writeConstant("c.wav", 7 * 44100, 0.125f, 0.125f), 15 * 44100);
        doc.labels().removeAll();
        doc.labels().add(0, ProjectLabel::kTrackSplit, "Ouverture", "Ensemble Été")->isrc = "FRZ039800212";
        doc.labels().add(3 * 44100, ProjectLabel::kIndex);
        doc.labels().add(8 * 44100, ProjectLabel::kTrackSplit, "Zweites Stück", "Zoë", 3 * 44100);
        doc.labels().add(10 * 44100 + 588 * 30, ProjectLabel::kIndex);
        doc.labels().add(11 * 44100, ProjectLabel::kIndex);
        doc.labels().add(15 * 44100, ProjectLabel::kTrackSplit, "Finale", "", 44100)->isrc = "GBAYE0601498";
        doc.setTitle("Sommer Mix");
        doc.setArtist("Various");
        doc.setCatalogNumber("0724384960650");
    }
};

TEST_P(CueRoundTripTest, ExportThenImportGivesTheSameDisc)
{
    const bool embed = GetParam();
    const std::string flac = tmp.file("release.flac");
    PollingJobRunner runner;
    std::string error;
    ASSERT_TRUE(CueExport::exportFlac(doc, host, runner, prompter, flac, embed, error)) << error;
    EXPECT_EQ(std::filesystem::exists(tmp.file("release.cue")), !embed);
    SF_INFO info{};
    SNDFILE* f = sf_open(flac.c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    sf_close(f);
    EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_FLAC);
    EXPECT_EQ(info.frames, 22 * 44100);

    CMultitrackerDoc back(settings, prompter);
    ASSERT_TRUE(CueImport::import(back, embed ? flac : tmp.file("release.cue"), error)) << error;
    EXPECT_EQ(markers(back), markers(doc));
    EXPECT_EQ(back.title(), "Sommer Mix");
    EXPECT_EQ(back.artist(), "Various");
    EXPECT_EQ(back.catalogNumber(), "0724384960650");
    EXPECT_EQ(back.projectEnd(), 22 * 44100);
}

INSTANTIATE_TEST_SUITE_P(Cd, CueRoundTripTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Embedded" : "Separate"; });

TEST_F(CueRoundTripTest, SheetsOfOtherProgramsAndWhatCannotBeRead)
{
    // Two files, a pause only in the second, lower-case codes that are no ISRC.
    writeConstant("one.wav", 5 * 44100, 0.5f, 0.5f);
    writeConstant("two.wav", 6 * 44100, 0.5f, 0.5f);
    std::ofstream(tmp.file("other.cue")) << "REM COMMENT \"made elsewhere\"\r\nTITLE \"Disc\"\r\n"
                                         << "FILE \"one.wav\" WAVE\r\n  TRACK 01 AUDIO\r\n    TITLE \"A\"\r\n"
                                         << "    INDEX 01 00:00:00\r\nFILE \"two.wav\" WAVE\r\n  TRACK 02 AUDIO\r\n"
                                         << "    ISRC xx\r\n    INDEX 00 00:00:00\r\n    INDEX 01 00:01:00\r\n";
    CMultitrackerDoc back(settings, prompter);
    std::string error;
    ASSERT_TRUE(CueImport::import(back, tmp.file("other.cue"), error)) << error;
    const std::vector<Marker> expected = {{0, 0, 0, "A", "", ""}, {0, 5 * 44100 + 44100, 44100, "", "", ""}};
    EXPECT_EQ(markers(back), expected);
    EXPECT_EQ(back.title(), "Disc");
    EXPECT_EQ(back.projectEnd(), 11 * 44100);

    std::ofstream(tmp.file("missing.cue")) << "FILE \"gone.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
    EXPECT_FALSE(CueImport::import(back, tmp.file("missing.cue"), error));
    EXPECT_NE(error.find("gone.wav"), std::string::npos) << error;
    std::ofstream(tmp.file("junk.cue")) << "this is not a sheet\n";
    EXPECT_FALSE(CueImport::import(back, tmp.file("junk.cue"), error));
    EXPECT_FALSE(CueImport::import(back, tmp.file("a.wav.flac"), error));

    // A title a sheet cannot quote is refused before anything is rendered.
    doc.labels().add(18 * 44100, ProjectLabel::kTrackSplit, "Say \"hi\"");
    PollingJobRunner runner;
    EXPECT_FALSE(CueExport::exportFlac(doc, host, runner, prompter, tmp.file("q.flac"), false, error));
    EXPECT_NE(error.find("CD track 4"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(tmp.file("q.flac")));
}

} // namespace
} // namespace quillon::test
