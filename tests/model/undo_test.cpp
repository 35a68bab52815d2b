#include "project_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace quillon;
using namespace quillon::test;

namespace {

class UndoTest : public ProjectFixture {
protected:
    CMultitrackerDoc& docWithLevels(int levels, int tracks = 1)
    {
        settings.writeProfileInt("General", "UndoLevels", levels);
        return newDoc(tracks);
    }
    std::vector<uint8_t> bytes() { return ProjectFile::storeBytes(*doc); }
    size_t undoCount() const { return doc->undoHistory().undoCount(); }
    size_t redoCount() const { return doc->undoHistory().redoCount(); }
};

} // namespace

TEST_F(UndoTest, LevelsTwoKeepTheLastTwoOfThreeEdits)
{
    docWithLevels(2);
    EXPECT_EQ(doc->undoLevels(), 2);
    EXPECT_FALSE(doc->canUndo());
    for (int i = 0; i < 3; ++i)
        doc->insertTrackCommand();
    ASSERT_EQ(doc->trackCount(), 4);
    EXPECT_EQ(undoCount(), 2u);
    // The snapshot before the first edit (one track) is gone: undo reaches two tracks.
    EXPECT_TRUE(doc->undo());
    EXPECT_EQ(doc->trackCount(), 3);
    EXPECT_TRUE(doc->undo());
    EXPECT_EQ(doc->trackCount(), 2);
    EXPECT_FALSE(doc->canUndo());
    EXPECT_FALSE(doc->undo());
    EXPECT_EQ(doc->trackCount(), 2);
    EXPECT_EQ(redoCount(), 2u);
}

TEST_F(UndoTest, UnlimitedLevelsNeverDropASnapshot)
{
    docWithLevels(UndoHistory::kUnlimited);
    for (int i = 0; i < 150; ++i) {
        doc->setTrackName(0, "Name " + std::to_string(i));
        ASSERT_EQ(undoCount(), size_t(i) + 1);
    }
    // The oldest snapshot is still the project before the first rename.
    for (int i = 0; i < 150; ++i)
        ASSERT_TRUE(doc->undo());
    EXPECT_EQ(doc->trackAt(0)->name(), CMultitrackerDoc::kUntitledTrack);
}

TEST_F(UndoTest, LevelsZeroKeepNothingAndLoweredLevelsDropOneStepPerEdit)
{
    docWithLevels(0);
    doc->insertTrackCommand();
    EXPECT_FALSE(doc->canUndo());

    docWithLevels(100);
    for (int i = 0; i < 5; ++i)
        doc->setTrackName(0, "Take " + std::to_string(i));
    doc->setUndoLevels(2);
    // Each new step drops one old one: the list does not shrink at once.
    doc->setTrackName(0, "Take 5");
    EXPECT_EQ(undoCount(), 5u);
    doc->setTrackName(0, "Take 6");
    EXPECT_EQ(undoCount(), 5u);
    // The newest steps are those kept.
    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(doc->trackAt(0)->name(), "Take 5");
}

TEST_F(UndoTest, SnapshotIsTheProjectFile)
{
    buildRichProject();
    const std::vector<uint8_t> file = bytes();
    auto snapshot = doc->takeSnapshot();
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->bytes(), file);
    doc->openUndoStep();
    EXPECT_EQ(doc->undoHistory().bytes(), file.size());
}

TEST_F(UndoTest, UndoThenRedoRestoresTheEditedStateAndUndoIsEnabledAgain)
{
    buildRichProject();
    const std::string before = summary(*doc);
    const std::vector<uint8_t> beforeBytes = bytes();
    // An edit through a document command: delete the selected clips.
    doc->trackAt(0)->clips()[1]->setSelected(true);
    doc->trackAt(1)->clips()[0]->setSelected(true);
    doc->deleteSelectedClips();
    const std::vector<uint8_t> afterBytes = bytes();
    const std::string after = summary(*doc);
    ASSERT_NE(afterBytes, beforeBytes);
    EXPECT_TRUE(doc->canUndo());
    EXPECT_FALSE(doc->canRedo());

    doc->setModified(false);
    log.hints.clear();
    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(bytes(), beforeBytes);
    EXPECT_EQ(summary(*doc), before);
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(log.count(kHintStructure), 1);
    EXPECT_FALSE(doc->canUndo());
    EXPECT_TRUE(doc->canRedo());

    ASSERT_TRUE(doc->redo());
    EXPECT_EQ(summary(*doc), after);
    EXPECT_EQ(bytes(), afterBytes);
    EXPECT_TRUE(doc->canUndo());
    EXPECT_FALSE(doc->canRedo());
    EXPECT_EQ(log.count(kHintStructure), 2);

    ASSERT_TRUE(doc->undo());
    EXPECT_EQ(bytes(), beforeBytes);
    ASSERT_TRUE(doc->redo());
    EXPECT_EQ(bytes(), afterBytes);
}

// The file stores neither label pauses nor whether a track is active; undo and redo
// bring both back as they were.
TEST_F(UndoTest, UndoAndRedoKeepLabelPausesAndActiveFlags)
{
    docWithLevels(10, 2);
    doc->setAutoCdTracks(0);
    doc->labels().add(44100, ProjectLabel::kTrackSplit, "Two", {}, 3000);
    doc->trackAt(1)->setActive(false);
    doc->setTrackName(0, "Edited"); // the step holds the state above
    doc->trackAt(1)->setActive(true);
    ASSERT_TRUE(doc->undo());
    CLabelList::Cursor walk;
    ProjectLabel* first = doc->labels().first(walk);
    ProjectLabel* second = doc->labels().next(walk);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->pause, 0);
    EXPECT_EQ(second->pause, 3000);
    EXPECT_FALSE(doc->trackAt(1)->isActive());
    EXPECT_TRUE(doc->trackAt(0)->isActive());
    // Redo brings back the state the undo replaced: track 1 active again.
    ASSERT_TRUE(doc->redo());
    EXPECT_TRUE(doc->trackAt(1)->isActive());
    walk = CLabelList::Cursor();
    doc->labels().first(walk);
    EXPECT_EQ(doc->labels().next(walk)->pause, 3000);
}

TEST_F(UndoTest, NewEditAfterUndoClearsRedo)
{
    newDoc(1);
    doc->insertTrackCommand();
    doc->insertTrackCommand();
    ASSERT_TRUE(doc->undo());
    ASSERT_TRUE(doc->canRedo());
    // A step opened without clearing (as a redo does) keeps the redo list.
    doc->openUndoStep(false);
    EXPECT_TRUE(doc->canRedo());
    doc->setTrackName(0, "Lead");
    EXPECT_FALSE(doc->canRedo());
    EXPECT_FALSE(doc->redo());
    EXPECT_EQ(doc->trackCount(), 2);
    EXPECT_EQ(doc->trackAt(0)->name(), "Lead");
}

TEST_F(UndoTest, RestoringRunsTheFullLoadPath)
{
    newDoc(2);
    WAVEFORMATEX f = doc->format();
    f.nSamplesPerSec = 48000;
    doc->setFormat(f);
    auto delay = effect("Stereo Delay");
    delay->setParameter(0, 100.0f);
    delay->setParameter(2, 0.0f);
    delay->setParameter(4, 1.0e6f);
    delay->setParameter(5, 100.0f);
    doc->masterChain().append(std::move(delay));
    place(0, 0, 2000);

    doc->openUndoStep();
    // Edits after the snapshot: the effect's state, the clip, the track list.
    doc->masterChain().at(0)->setParameter(0, 300.0f);
    doc->trackAt(0)->clips()[0]->moveTo(7000);
    doc->insertTrack(2, std::make_unique<CTrack>("Extra"));
    ASSERT_TRUE(doc->undo());

    ASSERT_EQ(doc->trackCount(), 2);
    EXPECT_EQ(doc->trackAt(0)->clips()[0]->start(), 0);
    CTransformPlugin* restored = doc->masterChain().at(0);
    EXPECT_FLOAT_EQ(restored->parameter(0), 100.0f);
    // Given the project's rate again: the echo stands 100 ms at 48000 Hz after the impulse.
    std::vector<float> block(2 * 10000, 0.0f);
    block[0] = 1.0f;
    restored->process(block.data(), 10000, 2, 10000);
    int echo = -1;
    for (int i = 1; i < 10000 && echo < 0; ++i)
        if (block[size_t(i) * 2] != 0.0f)
            echo = i;
    EXPECT_EQ(echo, 4800);
    // Tracks are attached to the document format and the meters have slots for them.
    EXPECT_EQ(doc->trackAt(1)->trackFormat().nSamplesPerSec, 48000u);
    doc->setTrackPeaks(1, 0.75f, 0.5f);
    EXPECT_EQ(doc->trackPeakLeft(1), 0.75f);
}

TEST_F(UndoTest, StepThatCannotBeRestoredLeavesEverythingAsItWas)
{
    newDoc(1);
    const std::string kept = writeFile("kept.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 3000, 0.5f);
    const std::string brief = writeFile("brief.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 3000, 0.5f);
    placeFile(0, 0, kept);
    doc->openUndoStep();
    placeFile(0, 10000, brief); // state A: both clips
    doc->trackAt(0)->clips()[1]->setSelected(true);
    doc->deleteSelectedClips(); // state B: the kept clip only
    ASSERT_EQ(undoCount(), 2u);

    // Undo to A needs the file that is gone now.
    std::filesystem::remove(brief);
    const std::vector<uint8_t> b = bytes();
    doc->setModified(false);
    try {
        doc->undo();
        ADD_FAILURE() << "restored a project whose source is gone";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(ProjectFile::loadErrorText(e),
                  std::string(ProjectFile::kUnexpectedFormat) + "\nThe audio file \"" + brief + "\" cannot be opened.");
    }
    EXPECT_EQ(bytes(), b);
    EXPECT_EQ(undoCount(), 2u);
    EXPECT_EQ(redoCount(), 0u);
    EXPECT_FALSE(doc->isModified());

    // With the file back the same step restores, and the redo that needs it again fails
    // once it is gone again, leaving the restored project in place.
    writeFile("brief.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 3000, 0.5f);
    ASSERT_TRUE(doc->undo());
    ASSERT_EQ(doc->trackAt(0)->clips().size(), 2u);
    ASSERT_TRUE(doc->undo());
    ASSERT_EQ(doc->trackAt(0)->clips().size(), 1u);
    ASSERT_EQ(redoCount(), 2u);
    std::filesystem::remove(brief);
    const std::vector<uint8_t> one = bytes();
    EXPECT_THROW(doc->redo(), ArchiveException);
    EXPECT_EQ(bytes(), one);
    EXPECT_EQ(redoCount(), 2u);
    EXPECT_EQ(undoCount(), 0u);
}

TEST_F(UndoTest, NewProjectsAndOpenedFilesStartWithoutHistory)
{
    newDoc(1);
    doc->insertTrackCommand();
    doc->insertTrackCommand();
    ASSERT_TRUE(doc->undo());
    ASSERT_TRUE(doc->canUndo());
    ASSERT_TRUE(doc->canRedo());
    doc->onNewDocument();
    EXPECT_FALSE(doc->canUndo());
    EXPECT_FALSE(doc->canRedo());

    doc->insertTrackCommand();
    const std::vector<uint8_t> file = bytes();
    std::string error;
    ASSERT_TRUE(ProjectFile::loadBytes(*doc, file.data(), file.size(), error)) << error;
    EXPECT_FALSE(doc->canUndo());
    doc->insertTrackCommand();
    ASSERT_TRUE(doc->canUndo());
    const std::vector<uint8_t> junk{1, 2, 3};
    EXPECT_FALSE(ProjectFile::loadBytes(*doc, junk.data(), junk.size(), error));
    EXPECT_FALSE(doc->canUndo());
}
