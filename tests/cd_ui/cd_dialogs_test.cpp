// The recorder, progress and erase dialogs over the shipped burner's Image Recorder.
#include "base/folder_settings.h"
#include "engine/engine_fixture.h"
#include "model/label_list.h"
#include "ui/audio_cd_recorder_dialog.h"
#include "ui/cd_track_properties_dialog.h"
#include "ui/erase_cd_dialog.h"
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

namespace quillon::test {
namespace {

class CdDialogsTest : public EngineFixture {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(tmp.file("work"));
        FolderSettings(settings).store(kFolderTemporary, tmp.file("work"));
        // The library as the program finds it: through the shared folder setting.
        std::filesystem::create_directories(tmp.file("burner"));
        std::filesystem::copy_file(QUILLON_BURNER_LIBRARY, tmp.file("burner/VardaAPI.so"));
        settings.writeString(SettingsRoot::LocalMachine, keys::kShared, "VardaAPI", tmp.file("burner"));
        addTrack();
        addClip(0, writeConstant("a.wav", 6 * 44100, 0.5f, 0.5f), 0);
        addClip(0, writeConstant("b.wav", 5 * 44100, 0.25f, 0.25f), 8 * 44100);
        doc.setAutoCdTracks(1);
        doc.synchroniseCdTracks();
    }
};

TEST_F(CdDialogsTest, RecorderListsTracksEditsTextAndBurnsAnImage)
{
    AudioCdRecorderDialog dialog(doc, settings, prompter);
    ASSERT_TRUE(dialog.initialise()) << (prompter.messages().empty() ? "" : prompter.messages().back());
    EXPECT_EQ(dialog.windowTitle(), "Audio CD Recorder");
    ASSERT_GE(dialog.deviceBox()->count(), 1);
    dialog.deviceBox()->setCurrentIndex(dialog.deviceBox()->findText("Image Recorder"));
    EXPECT_EQ(dialog.speedBox()->currentText(), "(fixed speed)");
    EXPECT_FALSE(dialog.speedBox()->isEnabled());
    QTreeWidget* list = dialog.trackList();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->headerItem()->text(0), "Track title (CD TEXT)");
    EXPECT_FALSE(dialog.propertiesButton()->isEnabled());
    list->setCurrentItem(list->topLevelItem(1));
    EXPECT_TRUE(dialog.propertiesButton()->isEnabled());
    dialog.editProperties([](CdTrackPropertiesDialog& p) {
        p.titleEdit()->setText("Second");
        p.artistEdit()->setText("Zoë");
    });
    EXPECT_EQ(list->topLevelItem(1)->text(0), "Second");
    dialog.setImagePathChooser([this] { return std::optional<std::string>(tmp.file("d.cue")); });
    ASSERT_TRUE(dialog.burn()) << (prompter.messages().empty() ? "" : prompter.messages().back());
    EXPECT_TRUE(std::filesystem::exists(tmp.file("d.bin")));
    // The CD-TEXT edited in the dialog is now the project's.
    CLabelList::Cursor c;
    ProjectLabel* l = doc.labels().first(c);
    while (l && l->title != "Second")
        l = doc.labels().next(c);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->artist, "Zoë");
}

TEST_F(CdDialogsTest, IsrcAndCatalogueNumberAreEditedBeforeBurning)
{
    CdTrackPropertiesDialog properties("T", "A", "");
    EXPECT_TRUE(properties.okButton()->isEnabled());
    for (const char* bad : {"USS1Z99", "USS1Z99000012", "12S1Z9900001"}) {
        properties.isrcEdit()->setText(bad);
        EXPECT_FALSE(properties.okButton()->isEnabled()) << bad;
    }
    properties.isrcEdit()->setText("us-s1z-99-00001");
    EXPECT_TRUE(properties.okButton()->isEnabled());
    EXPECT_EQ(properties.isrc(), "USS1Z9900001");

    AudioCdRecorderDialog dialog(doc, settings, prompter);
    ASSERT_TRUE(dialog.initialise());
    dialog.deviceBox()->setCurrentIndex(dialog.deviceBox()->findText("Image Recorder"));
    QTreeWidget* list = dialog.trackList();
    list->setCurrentItem(list->topLevelItem(0));
    dialog.editProperties([](CdTrackPropertiesDialog& p) { p.isrcEdit()->setText("GB AYE 06 01498"); });
    EXPECT_EQ(list->topLevelItem(0)->text(5), "GBAYE0601498");
    dialog.setImagePathChooser([this] { return std::optional<std::string>(tmp.file("codes.cue")); });
    dialog.catalogEdit()->setText("0724 3849 6065");
    EXPECT_FALSE(dialog.burn());
    EXPECT_EQ(prompter.messages().back(), "A catalogue number has exactly 13 digits.");
    EXPECT_FALSE(std::filesystem::exists(tmp.file("codes.cue")));
    dialog.catalogEdit()->setText("0724384960650");
    ASSERT_TRUE(dialog.burn()) << prompter.messages().back();
    std::ifstream cue(tmp.file("codes.cue"));
    const std::string text((std::istreambuf_iterator<char>(cue)), {});
    EXPECT_NE(text.find("CATALOG 0724384960650\n"), std::string::npos) << text;
    EXPECT_NE(text.find("TRACK 01 AUDIO\n    ISRC GBAYE0601498\n"), std::string::npos) << text;
    // Both are the project's now.
    EXPECT_EQ(doc.catalogNumber(), "0724384960650");
    CLabelList::Cursor c;
    EXPECT_EQ(doc.labels().first(c)->isrc, "GBAYE0601498");
}

TEST_F(CdDialogsTest, TooManySplitsAreTruncatedWithTheMessage)
{
    doc.setAutoCdTracks(0);
    for (int i = 1; i < 120; ++i)
        doc.labels().add(i * 44100 / 10, ProjectLabel::kTrackSplit);
    AudioCdRecorderDialog dialog(doc, settings, prompter);
    ASSERT_TRUE(dialog.initialise());
    EXPECT_EQ(dialog.trackList()->topLevelItemCount(), 98);
    const auto messages = prompter.messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find("Some CD tracks were truncated"), std::string::npos);
}

TEST_F(CdDialogsTest, WithoutTheLibraryTheDialogsSayTheyCannotAccessIt)
{
    settings.writeString(SettingsRoot::LocalMachine, keys::kShared, "VardaAPI", tmp.file("nowhere"));
    AudioCdRecorderDialog recorder(doc, settings, prompter);
    EXPECT_FALSE(recorder.initialise());
    EraseCdDialog eraser(settings, prompter);
    EXPECT_FALSE(eraser.initialise());
    const auto messages = prompter.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "An error occurred while trying to access the VardaAPI");
    EXPECT_EQ(messages[1], "An error occurred while trying to access the VardaAPI");
}

TEST_F(CdDialogsTest, EraseOffersQuickEraseAndReportsWhatIsWrong)
{
    EraseCdDialog dialog(settings, prompter);
    ASSERT_TRUE(dialog.initialise());
    EXPECT_EQ(dialog.windowTitle(), "Erase Rewritable CD");
    EXPECT_TRUE(dialog.quickButton()->isChecked());
    dialog.deviceBox()->setCurrentIndex(dialog.deviceBox()->findText("Image Recorder"));
    EXPECT_FALSE(dialog.erase());
    ASSERT_FALSE(prompter.messages().empty());
    EXPECT_EQ(prompter.messages().back(), "The selected recorder does not support CD-RW");
}

} // namespace
} // namespace quillon::test

#include "engine/loudness_meter.h"
#include <QDoubleSpinBox>

namespace quillon::test {
namespace {

// The recorder's loudness modes: the target field only counts for them, and the burned
// tracks measure as the target the user set.
TEST_F(CdDialogsTest, MatchTrackLoudnessBurnsTracksAtTheTarget)
{
    // Constant levels have no loudness; sines replace them.
    addTrack();
    auto sine = [this](const std::string& name, double amplitude) {
        return writeSignal(name, 6 * 44100, [=](int, int64_t f) {
            return amplitude * std::sin(2.0 * M_PI * 1000.0 * double(f) / 44100.0);
        });
    };
    doc.trackAt(0)->setVolume(0.0f);
    addClip(1, sine("s1.wav", 0.1), 0);
    addClip(1, sine("s2.wav", 0.02), 8 * 44100);
    AudioCdRecorderDialog dialog(doc, settings, prompter);
    ASSERT_TRUE(dialog.initialise());
    dialog.deviceBox()->setCurrentIndex(dialog.deviceBox()->findText("Image Recorder"));
    EXPECT_FALSE(dialog.targetBox()->isEnabled());
    dialog.normalizeBox()->setCurrentIndex(dialog.normalizeBox()->findText("Match track loudness"));
    EXPECT_TRUE(dialog.targetBox()->isEnabled());
    EXPECT_FALSE(dialog.levelBox()->isEnabled());
    dialog.targetBox()->setValue(-20.0);
    dialog.setImagePathChooser([this] { return std::optional<std::string>(tmp.file("l.cue")); });
    ASSERT_TRUE(dialog.burn()) << (prompter.messages().empty() ? "" : prompter.messages().back());
    for (int n = 1; n <= 2; ++n) {
        const std::vector<float> frames = readAudio(tmp.file("work/track" + std::to_string(n) + ".wav"));
        LoudnessMeter meter(2, 44100);
        meter.addFrames(frames.data(), int64_t(frames.size() / 2));
        EXPECT_NEAR(meter.reading().integratedLufs, -20.0, 0.5) << n;
    }
}

} // namespace
} // namespace quillon::test
