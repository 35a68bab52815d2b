// Splitting a recorded side into pieces and laying them out as a CD project.

#include "doc_fixture.h"

#include "model/label_list.h"
#include "model/project_label.h"
#include "model/track.h"
#include "model/wizard_compilation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <random>

using namespace quillon;
using namespace quillon::test;

namespace {

constexpr int kRate = 44100;

class WizardCompilationTest : public DocFixture {
protected:
    // A side of `pieces` two-second tones with 1.5 s of faint hiss between them.
    std::string side(int pieces, const std::string& name = "side.wav")
    {
        std::vector<float> data;
        std::mt19937 gen(3);
        std::normal_distribution<float> hiss(0.0f, 0.0005f);
        auto quiet = [&](double seconds) {
            for (int i = 0; i < int(seconds * kRate); ++i)
                for (int c = 0; c < 2; ++c)
                    data.push_back(hiss(gen));
        };
        quiet(0.5);
        for (int p = 0; p < pieces; ++p) {
            for (int i = 0; i < 2 * kRate; ++i)
                for (int c = 0; c < 2; ++c)
                    data.push_back(0.3f * float(std::sin(2.0 * std::numbers::pi * (220.0 + 55.0 * p) * i / kRate)));
            quiet(1.5);
        }
        const std::string path = tmp.file(name);
        EXPECT_TRUE(writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kRate, 2, data));
        return path;
    }

    WizardCompilation::Detection settings() const { return {-40.0f, 1.0f, 1.0f}; }
};

} // namespace

TEST(WizardLayout, PausesCrossfadesAndTheirCaps)
{
    // Pauses: back to back, the gap apart.
    EXPECT_EQ(WizardCompilation::layout({1000, 2000, 500}, 100), (std::vector<int32_t>{0, 1100, 3200}));
    // 1 s 500 ms of crossfade at 44 100 Hz: each piece starts 66 150 frames before the
    // end of the one before.
    const int32_t fade = WizardCompilation::gapFrames(44100, 1, 500, true);
    EXPECT_EQ(fade, -66150);
    EXPECT_EQ(WizardCompilation::layout({441000, 441000}, fade), (std::vector<int32_t>{0, 441000 - 66150}));
    // A crossfade longer than a piece stops short of it: no piece starts before 0 or
    // before the one it follows, and each keeps at least a frame of its own.
    const std::vector<int32_t> capped = WizardCompilation::layout({50000, 1000, 50000}, fade);
    EXPECT_EQ(capped, (std::vector<int32_t>{0, 49001, 49002}));
    EXPECT_EQ(WizardCompilation::layout({1, 1}, fade), (std::vector<int32_t>{0, 1}));
    EXPECT_TRUE(WizardCompilation::layout({}, fade).empty());
}

TEST_F(WizardCompilationTest, FindsThePiecesOfASideAndNeverLosesTheRecording)
{
    CMultitrackerDoc& d = newDoc();
    const std::string path = side(5);
    auto pieces = WizardCompilation::detectPieces(path, settings(), &d.format());
    ASSERT_EQ(pieces.size(), 5u);
    for (size_t i = 0; i < pieces.size(); ++i)
        EXPECT_NEAR(pieces[i]->length(), 2 * kRate, kRate / 20) << i;

    // A threshold above the music finds no pause: the whole recording is one piece.
    WizardCompilation::Detection deaf = settings();
    deaf.thresholdDb = -5.0f;
    auto whole = WizardCompilation::detectPieces(path, deaf, &d.format());
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(WizardCompilation::detectRanges(path, deaf, &d.format()).size(), 1u);

    const int placed = WizardCompilation::finish(d, std::move(pieces), WizardCompilation::gapFrames(kRate, 2, 0, false), {});
    EXPECT_EQ(placed, 5);
    ASSERT_EQ(d.trackCount(), 1);
    EXPECT_EQ(d.trackAt(0)->clips().size(), 5u);
    EXPECT_EQ(d.autoCdTracks(), 0);
    int splits = 0;
    CLabelList::Cursor cursor;
    for (ProjectLabel* label = d.labels().first(cursor); label; label = d.labels().next(cursor))
        if (label->kind == ProjectLabel::kTrackSplit) {
            ++splits;
            EXPECT_EQ(label->title, "Untitled");
        }
    EXPECT_EQ(splits, 5);
    EXPECT_TRUE(std::filesystem::exists(path));

    // With no pause at all Finish still leaves one CD track.
    EXPECT_EQ(WizardCompilation::finish(d, std::move(whole), 0, {}), 1);
    EXPECT_EQ(d.trackAt(0)->clips().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(WizardCompilationTest, AnExpectedTrackCountMovesTheThreshold)
{
    CMultitrackerDoc& d = newDoc();
    const std::string path = side(5);
    auto countAt = [&](float db) {
        WizardCompilation::Detection s = settings();
        s.thresholdDb = db;
        return int(WizardCompilation::detectRanges(path, s, &d.format()).size());
    };
    const float db = WizardCompilation::thresholdForCount(5, countAt);
    EXPECT_EQ(countAt(db), 5);
    // One piece is what the recording gives at a threshold above the music.
    EXPECT_EQ(countAt(WizardCompilation::thresholdForCount(1, countAt)), 1);
}
