#include "base/archive.h"
#include "base/folder_settings.h"
#include "base/level.h"
#include "doc_fixture.h"
#include "model/assignable_group.h"
#include "model/curve.h"
#include "model/folder_chooser.h"
#include "model/playback_control.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <filesystem>
#include <fstream>

using namespace quillon;
using namespace quillon::test;

namespace {

// Stands in for the transport: a playback that runs until it is told to stop.
class RunningPlayback : public PlaybackControl {
public:
    void stopPlayback() override
    {
        ++stops;
        playing = false;
    }
    bool isPlaying() const override { return playing; }
    bool playing = true;
    int stops = 0;
};

class ListedFolders : public FolderChooser {
public:
    std::optional<std::string> chooseFolder(const std::string& prompt) override
    {
        prompts.push_back(prompt);
        if (answers.empty())
            return std::nullopt;
        std::string a = answers.front();
        answers.pop_front();
        return a;
    }
    std::deque<std::string> answers;
    std::vector<std::string> prompts;
};

std::vector<float> sends(const CAssignableGroup& g)
{
    std::vector<float> out;
    for (int32_t i = 0; i < g.sendCount(); ++i)
        out.push_back(g.sendLevelValue(i));
    return out;
}

std::vector<std::pair<int32_t, int32_t>> labelPlaces(CLabelList& list)
{
    std::vector<std::pair<int32_t, int32_t>> out;
    CLabelList::Cursor c;
    for (ProjectLabel* l = list.first(c); l; l = list.next(c))
        out.emplace_back(l->kind, l->position);
    return out;
}

constexpr int32_t kMinute = 44100 * 60;

} // namespace

TEST(DocumentSettings, ConstructionReadsTheStoredDefaults)
{
    MemorySettingsStore settings;
    RecordingPrompter prompter;
    {
        CMultitrackerDoc plain(settings, prompter);
        EXPECT_EQ(plain.sampleRate(), 44100u);
        EXPECT_EQ(plain.format().nChannels, 2);
        EXPECT_EQ(plain.format().nBlockAlign, 4);
        EXPECT_EQ(plain.format().wBitsPerSample, 16);
        EXPECT_EQ(plain.showClipText(), 1);
        EXPECT_EQ(plain.scaleTrackHeights(), 1);
        EXPECT_EQ(plain.autoCdTracks(), 1);
        EXPECT_EQ(plain.timeFormat(), 1);
        EXPECT_EQ(plain.undoLevels(), 100);
        EXPECT_EQ(plain.gridDivision(), 0);
        EXPECT_EQ(plain.tempo(), 12000);
        EXPECT_EQ(plain.beatsPerMeasure(), 4);
        EXPECT_EQ(plain.noiseShaping(), 1);
        EXPECT_EQ(plain.projectLength(), 80 * kMinute);
        EXPECT_FLOAT_EQ(plain.masterLevel(), 40.0f / 52.0f);
        EXPECT_FLOAT_EQ(plain.masterPan(), 0.5f);
        EXPECT_EQ(plain.trackCount(), 0);
        EXPECT_EQ(labelPlaces(plain.labels()), (std::vector<std::pair<int32_t, int32_t>>{{0, 0}}));
    }
    settings.writeProfileInt("View", "ShowClipText", 0);
    settings.writeProfileInt("View", "ScaleTrackHeights", 0);
    settings.writeProfileInt("General", "AutoTracks", 0);
    settings.writeProfileInt("View", "TimeCode", 3);
    settings.writeProfileInt("General", "UndoLevels", -1);
    settings.writeProfileString("General", "Default-Artist", "Ines Varga");
    settings.writeProfileString("General", "Default-Notes", "live take");
    settings.writeProfileInt("Grid", "SnapDivident", 12);
    settings.writeProfileInt("Audio", "Dithering", 1);
    settings.writeProfileInt("Audio", "NoiseShaping", 0);
    settings.writeProfileInt("General", "DefaultPauseLength", 25);
    settings.writeProfileInt("General", "Default-ProjectLength", 10);
    CMultitrackerDoc doc(settings, prompter);
    EXPECT_EQ(doc.showClipText(), 0);
    EXPECT_EQ(doc.scaleTrackHeights(), 0);
    EXPECT_EQ(doc.autoCdTracks(), 0);
    EXPECT_EQ(doc.timeFormat(), 3);
    EXPECT_EQ(doc.undoLevels(), -1);
    EXPECT_EQ(doc.artist(), "Ines Varga");
    EXPECT_EQ(doc.notes(), "live take");
    EXPECT_EQ(doc.gridDivision(), 12);
    EXPECT_EQ(doc.dithering(), 1);
    EXPECT_EQ(doc.noiseShaping(), 0);
    EXPECT_FLOAT_EQ(doc.defaultPauseLength(), 2.5f);
    EXPECT_EQ(doc.defaultPause(), 110250);
    EXPECT_EQ(doc.projectLength(), 10 * kMinute);
}

TEST(DocumentSettings, DestructionWritesTimeFormatAndGridBack)
{
    MemorySettingsStore settings;
    RecordingPrompter prompter;
    {
        CMultitrackerDoc doc(settings, prompter);
        doc.setTimeFormat(4);
        doc.setGridDivision(16);
    }
    EXPECT_EQ(settings.profileInt("View", "TimeCode", 0), 4);
    EXPECT_EQ(settings.profileInt("Grid", "SnapDivident", 0), 16);
}

TEST_F(DocFixture, NewProjectWithThreeStartupTracks)
{
    settings.writeProfileInt("General", "StartupTracks", 3);
    doc = std::make_unique<CMultitrackerDoc>(settings, prompter);
    doc->hints().addObserver(&log);
    EXPECT_TRUE(doc->onNewDocument());
    ASSERT_EQ(doc->trackCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(doc->trackAt(i)->name(), "Untitled");
    // One per insertion, one at the end, nothing else.
    EXPECT_EQ(log.hints, (std::vector<int>{6, 6, 6, 6}));
    EXPECT_FALSE(doc->isModified());

    // A second new project starts over from the stored defaults.
    doc->setCursor(5000);
    doc->setCurrentTrack(2);
    doc->setFirstVisibleTrack(1);
    doc->setTitle("Old");
    doc->setArtist("Someone");
    doc->setMarkedSection({10, 20});
    doc->colourForFile("a.wav");
    settings.writeProfileString("General", "Default-Artist", "New Artist");
    settings.writeProfileInt("General", "Default-ProjectLength", 74);
    settings.writeProfileInt("General", "StartupTracks", 2);
    doc->onNewDocument();
    EXPECT_EQ(doc->trackCount(), 2);
    EXPECT_EQ(doc->cursor(), 0);
    EXPECT_EQ(doc->currentTrack(), 0);
    EXPECT_EQ(doc->firstVisibleTrack(), 0);
    EXPECT_EQ(doc->title(), "");
    EXPECT_EQ(doc->artist(), "New Artist");
    EXPECT_EQ(doc->markedSection(), SampleRange());
    EXPECT_EQ(doc->nextPaletteIndex(), 0);
    EXPECT_EQ(doc->projectLength(), 74 * kMinute);
}

TEST_F(DocFixture, WithoutStartupTracksTheProjectIsEmpty)
{
    newDoc(0);
    EXPECT_EQ(doc->trackCount(), 0);
    EXPECT_FALSE(doc->deleteTrack(0));
}

TEST_F(DocFixture, TheOnlyTrackIsNeverDeleted)
{
    newDoc(1);
    RunningPlayback playback;
    doc->setPlaybackControl(&playback);
    CTrack* only = doc->trackAt(0);
    EXPECT_FALSE(doc->deleteTrack(0));
    EXPECT_EQ(doc->trackCount(), 1);
    EXPECT_EQ(doc->trackAt(0), only);
    EXPECT_TRUE(log.hints.empty());
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(playback.stops, 0);
    doc->setPlaybackControl(nullptr);
}

TEST_F(DocFixture, InsertingAndDeletingTracksKeepsGroupSendsInStep)
{
    newDoc(2);
    RunningPlayback playback;
    doc->setPlaybackControl(&playback);
    CAssignableGroup* g = doc->addGroup();
    ASSERT_EQ(g->sendCount(), 2);
    EXPECT_TRUE(doc->setSendLevel(0, 0, 0.25f));
    EXPECT_TRUE(doc->setSendLevel(1, 0, 0.5f));

    CTrack* inserted = doc->insertTrack(0, std::make_unique<CTrack>("Lead"));
    EXPECT_EQ(playback.stops, 1);
    ASSERT_EQ(doc->trackCount(), 3);
    EXPECT_EQ(doc->trackAt(0), inserted);
    EXPECT_EQ(sends(*g), (std::vector<float>{0.0f, 0.25f, 0.5f}));
    EXPECT_EQ(doc->sendLevel(2, 0), 0.5f);
    EXPECT_EQ(inserted->trackFormat().nSamplesPerSec, 44100u);
    EXPECT_EQ(inserted->trackFormat().wBitsPerSample, 32);
    EXPECT_EQ(log.count(kHintStructure), 1);
    EXPECT_TRUE(doc->isModified());

    // A group added now has a send per track.
    EXPECT_EQ(doc->addGroup()->sendCount(), 3);

    playback.playing = true;
    doc->setCurrentTrack(2);
    EXPECT_TRUE(doc->deleteTrack(1));
    EXPECT_EQ(playback.stops, 2);
    EXPECT_EQ(sends(*g), (std::vector<float>{0.0f, 0.5f}));
    EXPECT_EQ(doc->groupAt(1)->sendCount(), 2);
    EXPECT_EQ(doc->currentTrack(), 1);
    EXPECT_EQ(doc->trackAt(0)->name(), "Lead");

    EXPECT_TRUE(doc->removeGroup(0));
    EXPECT_EQ(doc->groupCount(), 1);
    EXPECT_FALSE(doc->removeGroup(1));
    doc->setPlaybackControl(nullptr);
}

TEST_F(DocFixture, TrackPeakArraysFollowTheTrackCount)
{
    newDoc(2);
    doc->setTrackPeaks(1, 0.25f, 0.75f);
    EXPECT_EQ(doc->trackPeakLeft(1), 0.25f);
    EXPECT_EQ(doc->trackPeakRight(1), 0.75f);
    doc->setTrackPeaks(2, 1.0f, 1.0f);
    EXPECT_EQ(doc->trackPeakLeft(2), 0.0f);
    doc->insertTrack(2, std::make_unique<CTrack>("x"));
    doc->setTrackPeaks(2, 0.5f, 0.5f);
    EXPECT_EQ(doc->trackPeakRight(2), 0.5f);
    EXPECT_EQ(doc->trackPeakLeft(1), 0.0f);
}

TEST_F(DocFixture, ProjectLengthGrowsToATenthBeyondALateClip)
{
    newDoc(1);
    place(0, 100 * 44100 - 1000, 1000);
    EXPECT_EQ(doc->projectLength(), 80 * kMinute);
    place(0, 80 * kMinute - 1000, 1000);
    EXPECT_EQ(doc->projectLength(), 88 * kMinute);
}

TEST_F(DocFixture, AClipAddedAtTheCursorMovesTheCursorToItsEnd)
{
    newDoc(1);
    doc->setCursor(500);
    place(0, 400, 1000);
    EXPECT_EQ(doc->cursor(), 500);
    place(0, 500, 1000);
    EXPECT_EQ(doc->cursor(), 1500);
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(log.count(kHintStructure), 2);
}

TEST_F(DocFixture, RateChangeRescalesClipsCurvesLabelsAndCursor)
{
    newDoc(2);
    doc->setAutoCdTracks(0);
    place(0, 44100, 44100);
    place(1, 123456789, 1000);
    doc->trackAt(1)->addCurve(CCurve::kVolume)->addPoint(88200, 0.5f);
    doc->labels().add(88200, ProjectLabel::kFreeLabel, "chorus");
    doc->setCursor(441000);
    log.hints.clear();

    WAVEFORMATEX f = doc->format();
    f.nSamplesPerSec = 48000;
    doc->setFormat(f);

    const float ratio = 48000.0f / 44100.0f;
    ASSERT_EQ(log.ratios, std::vector<float>{ratio});
    EXPECT_NEAR(ratio, 1.0884354f, 1e-7f);
    EXPECT_EQ(log.hints, std::vector<int>{kHintRateChanged});
    EXPECT_EQ(doc->cursor(), 480000);
    EXPECT_EQ(doc->trackAt(0)->clips()[0]->start(), 48000);
    // A second of source at the new rate.
    EXPECT_EQ(doc->trackAt(0)->clips()[0]->end(), 96000);
    EXPECT_EQ(doc->trackAt(1)->clips()[0]->start(), 134374740);
    EXPECT_EQ(doc->trackAt(0)->trackFormat().nSamplesPerSec, 48000u);
    const CCurve* c = doc->trackAt(1)->curve(CCurve::kVolume);
    EXPECT_EQ(c->lastPoint()->position, 96000);
    EXPECT_EQ(labelPlaces(doc->labels()), (std::vector<std::pair<int32_t, int32_t>>{{ProjectLabel::kFreeLabel, 96000}}));

    // Same rate: nothing moves, the views still hear of the ratio 1.
    log.ratios.clear();
    f.nChannels = 1;
    doc->setFormat(f);
    EXPECT_EQ(log.ratios, std::vector<float>{1.0f});
    EXPECT_EQ(doc->cursor(), 480000);
    EXPECT_EQ(doc->trackAt(0)->clips()[0]->start(), 48000);
    EXPECT_EQ(doc->trackAt(0)->trackFormat().nChannels, 1);
}

TEST_F(DocFixture, MasterLevelMapsGainThroughDecibels)
{
    newDoc(1);
    EXPECT_NEAR(doc->masterGain(), 1.0, 1e-6);
    doc->setMasterLevelFromGain(0.5);
    EXPECT_NEAR(doc->masterLevel(), (20.0 * std::log10(0.5) + 40.0) / 52.0, 1e-6);
    EXPECT_NEAR(doc->masterGain(), 0.5, 1e-5);
    doc->setMasterLevel(1.0f);
    EXPECT_NEAR(doc->masterGain(), std::pow(10.0, 12.0 / 20.0), 1e-5);
    doc->setMasterLevelFromGain(0.0);
    EXPECT_NEAR(doc->masterLevel(), (-144.0 + 40.0) / 52.0, 1e-6);
}

TEST_F(DocFixture, SnapTruncatesToTheGrid)
{
    newDoc(1);
    EXPECT_EQ(doc->snap(30000), 30000);
    doc->setGridDivision(4);
    EXPECT_EQ(doc->snap(30000), 22050);
    EXPECT_EQ(doc->snap(22049), 0);
    EXPECT_EQ(doc->snap(44100), 44100);
    doc->setGridDivision(3);
    EXPECT_EQ(doc->snap(30000), 29400);
    EXPECT_EQ(doc->samplesPerBeat(), 22050);
    // 96 kHz times 24000 does not fit in 32 bits.
    EXPECT_EQ(CMultitrackerDoc::snapToGrid(10000, 96000, 64, 12000), 9000);
    EXPECT_EQ(CMultitrackerDoc::snapToGrid(-100, 44100, 4, 12000), 0);
    EXPECT_EQ(CMultitrackerDoc::snapToGrid(-30000, 44100, 4, 12000), -22050);
}

TEST_F(DocFixture, TimeOriginIsTheFirstTrackSplit)
{
    newDoc(1);
    doc->setAutoCdTracks(0);
    EXPECT_EQ(doc->timeOrigin(), 0);
    doc->labels().removeAll();
    doc->labels().add(100, ProjectLabel::kFreeLabel);
    EXPECT_EQ(doc->timeOrigin(), 0);
    doc->labels().add(4410, ProjectLabel::kTrackSplit);
    EXPECT_EQ(doc->timeOrigin(), 4410);
}

TEST_F(DocFixture, PlaybackStopsWhenEveryTrackIsSwitchedOff)
{
    newDoc(2);
    RunningPlayback playback;
    doc->setPlaybackControl(&playback);
    doc->trackAt(0)->setPlaybackOff(0);
    doc->trackAt(1)->setPlaybackOff(0);
    doc->toggleTrackPlayback(0);
    EXPECT_EQ(doc->trackAt(0)->playbackOff(), 1);
    EXPECT_EQ(playback.stops, 0);
    doc->toggleTrackPlayback(1);
    EXPECT_EQ(playback.stops, 1);
    EXPECT_EQ(log.hints, (std::vector<int>{0, 0}));
    doc->toggleTrackPlayback(1);
    EXPECT_EQ(doc->trackAt(1)->playbackOff(), 0);
    doc->setPlaybackControl(nullptr);
}

TEST_F(DocFixture, ActiveFlagAndCurvesActOnTheCurrentTrack)
{
    newDoc(2);
    doc->setCurrentTrack(1);
    doc->toggleActive();
    EXPECT_FALSE(doc->trackAt(1)->isActive());
    EXPECT_TRUE(doc->trackAt(0)->isActive());
    EXPECT_TRUE(doc->addVolumeCurve());
    EXPECT_FALSE(doc->addVolumeCurve());
    EXPECT_TRUE(doc->addPanCurve());
    EXPECT_EQ(doc->trackAt(1)->curves().size(), 2u);
    EXPECT_FLOAT_EQ(doc->trackAt(1)->curve(CCurve::kPan)->valueAt(0), 0.5f);
    EXPECT_FALSE(doc->trackAt(0)->hasCurve(CCurve::kVolume));
    doc->setCurrentTrack(-1);
    EXPECT_FALSE(doc->addVolumeCurve());
    EXPECT_FALSE(doc->addPanCurve());
    doc->toggleActive();
    EXPECT_EQ(log.hints, (std::vector<int>{0, 0, 0}));
}

TEST_F(DocFixture, RenamingATrackSendsTheNameHint)
{
    newDoc(2);
    doc->setTrackName(1, "Bass");
    EXPECT_EQ(doc->trackAt(1)->name(), "Bass");
    EXPECT_EQ(log.hints, std::vector<int>{kHintTrackName});
    EXPECT_TRUE(doc->isModified());
}

TEST_F(DocFixture, NewTakeFileSkipsTakenNamesAndLeavesNoProbe)
{
    newDoc(1);
    const auto music = tmp.path() / "music";
    std::filesystem::create_directories(music);
    FolderSettings(settings).store(kFolderMyMusic, music.string());
    std::ofstream(music / "NewTake1.wav") << "x";
    std::ofstream(music / "NewTake2.wav") << "x";

    std::string name;
    ASSERT_TRUE(doc->newTakeFile(name));
    EXPECT_EQ(name, (music / "NewTake3.wav").string());
    EXPECT_FALSE(std::filesystem::exists(name));
}

TEST_F(DocFixture, NewTakeFileAsksForAnotherFolderWhenItCannotWrite)
{
    newDoc(1);
    FolderSettings(settings).store(kFolderMyMusic, (tmp.path() / "missing" / "deeper").string());
    ListedFolders chooser;
    doc->setFolderChooser(&chooser);

    std::string name = "unchanged";
    EXPECT_FALSE(doc->newTakeFile(name));
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(chooser.prompts, std::vector<std::string>{"Unable to create a new audio file. Please select a new location."});

    chooser.answers = {(tmp.path() / "nowhere").string(), tmp.path().string()};
    ASSERT_TRUE(doc->newTakeFile(name));
    EXPECT_EQ(name, (tmp.path() / "NewTake1.wav").string());
    EXPECT_EQ(chooser.prompts.size(), 3u);
    // The folder picked serves this take only.
    EXPECT_EQ(settings.getString(SettingsRoot::CurrentUser, keys::kDirectories, "MyMusic", ""),
              (tmp.path() / "missing" / "deeper").string());
}

TEST_F(DocFixture, ProjectSettingsRoundTripThroughTheAudioPage)
{
    newDoc(1);
    place(0, 44100, 1000);
    doc->setProjectLength(10 * kMinute);
    ProjectSettingsValues v = doc->projectSettings();
    EXPECT_EQ(settings.profileInt("Audio", "SampleRate", 0), 44100);
    EXPECT_EQ(settings.profileInt("Audio", "Resolution", 0), 16);
    EXPECT_EQ(v.lengthMinutes, 10);
    EXPECT_DOUBLE_EQ(v.beatsPerMinute, 120.0);

    settings.writeProfileInt("Audio", "SampleRate", 48000);
    settings.writeProfileInt("Audio", "Resolution", 24);
    v.title = "Live";
    v.beatsPerMinute = 98.456;
    v.beatsPerMeasure = 3;
    v.lengthMinutes = 20;
    doc->applyProjectSettings(v);
    EXPECT_EQ(doc->sampleRate(), 48000u);
    EXPECT_EQ(doc->format().wBitsPerSample, 24);
    EXPECT_EQ(doc->title(), "Live");
    EXPECT_EQ(doc->tempo(), 9846);
    EXPECT_EQ(doc->beatsPerMeasure(), 3);
    EXPECT_EQ(doc->projectLength(), 48000 * 20 * 60);
    EXPECT_EQ(doc->trackAt(0)->clips()[0]->start(), 48000);
    EXPECT_EQ(log.count(kHintRateChanged), 1);
}

TEST_F(DocFixture, ProjectStoresAndLoadsItsSection)
{
    newDoc(2);
    doc->setAutoCdTracks(0);
    place(0, 1000, 2000);
    place(1, 500, 3000);
    doc->addGroup()->setSendLevel(1, 0.75f);
    doc->setTitle("Set One");
    doc->setCursor(1234);
    doc->setCurrentTrack(1);
    doc->labels().add(3000, ProjectLabel::kIndex);

    MemoryStream stream;
    {
        CArchive ar(stream, CArchive::Mode::Store);
        doc->serialize(ar);
    }
    CMultitrackerDoc copy(settings, prompter);
    stream.seekToBegin();
    {
        CArchive ar(stream, CArchive::Mode::Load);
        copy.serialize(ar);
    }
    ASSERT_EQ(copy.trackCount(), 2);
    EXPECT_EQ(copy.title(), "Set One");
    EXPECT_EQ(copy.cursor(), 1234);
    EXPECT_EQ(copy.currentTrack(), 1);
    EXPECT_EQ(copy.trackAt(1)->clips()[0]->position(), SampleRange(500, 3500));
    EXPECT_EQ(copy.groupCount(), 1);
    EXPECT_EQ(copy.sendLevel(1, 0), 0.75f);
    EXPECT_EQ(labelPlaces(copy.labels()), labelPlaces(doc->labels()));

    // A stream that is not a project leaves the document empty.
    MemoryStream other;
    {
        CArchive ar(other, CArchive::Mode::Store);
        ar.writeString("Varda Quillon header File");
    }
    other.seekToBegin();
    CArchive bad(other, CArchive::Mode::Load);
    try {
        copy.serialize(bad);
        FAIL() << "loaded a foreign stream";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.kind(), ArchiveException::Kind::BadSchema);
    }
    EXPECT_EQ(copy.trackCount(), 0);
    EXPECT_EQ(copy.labels().count(), 1);
}
