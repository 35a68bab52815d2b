// The preferences sheet, the audio settings page and the project settings sheet over
// settings kept in INI files: what each page shows, what OK stores, and that every
// stored value comes back through the files into a new program run.

#include "base/folder_settings.h"
#include "base/recording_prompter.h"
#include "base_qt/qsettings_store.h"
#include "model/multitracker_doc.h"
#include "model/track.h"
#include "plugins/file_filter.h"
#include "plugins/plugin_host.h"
#include "support/temp_dir.h"
#include "ui/audio_properties.h"
#include "ui/directory_page.h"
#include "ui/general_prefs.h"
#include "ui/preferences_sheet.h"
#include "ui/project_info_page.h"
#include "ui/project_settings_dialog.h"
#include "ui/tempo_properties.h"
#include "ui/view_prefs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using namespace quillon;

namespace {

class PreferencesTest : public ::testing::Test {
protected:
    PreferencesTest() : peaks("QUILLON_PEAK_DIR", tmp.path().string())
    {
        const char* dir = std::getenv("QUILLON_SERVER_DIR");
        EXPECT_TRUE(host.addServerLibrary(std::string(dir ? dir : "") + "/filefilter.so"));
        PluginHost::setCurrent(&host);
        reopen();
    }
    ~PreferencesTest() override
    {
        doc.reset();
        settings.reset();
        PluginHost::setCurrent(nullptr);
    }

    // A new run of the program: the settings come back from their files.
    void reopen()
    {
        doc.reset();
        if (settings)
            settings->sync();
        settings.reset();
        settings = std::make_unique<QSettingsStore>(tmp.file("user"), tmp.file("system"));
        doc = std::make_unique<CMultitrackerDoc>(*settings, prompter);
        doc->onNewDocument();
    }

    test::TempDir tmp;
    test::ScopedEnv peaks;
    PluginHost host;
    RecordingPrompter prompter;
    std::unique_ptr<QSettingsStore> settings;
    std::unique_ptr<CMultitrackerDoc> doc;
};

TEST_F(PreferencesTest, EveryPageShowsItsDefaultsFirst)
{
    doc->setUndoLevels(-1);
    PreferencesSheet sheet(*doc, *settings, prompter);
    CGeneralPrefs* g = sheet.generalPage();
    EXPECT_TRUE(g->autoTracksBox()->isChecked());
    EXPECT_FALSE(g->limitUndoBox()->isChecked());
    EXPECT_EQ(g->undoLevelsBox()->value(), 100);
    EXPECT_FALSE(g->undoLevelsBox()->isEnabled());
    g->limitUndoBox()->click();
    EXPECT_TRUE(g->undoLevelsBox()->isEnabled());
    EXPECT_EQ(g->startupTracksBox()->value(), 1);
    EXPECT_EQ(g->pauseBox()->value(), 0.0);
    EXPECT_GT(g->exportFormatBox()->count(), 0);
    EXPECT_EQ(g->exportFormatBox()->currentIndex(), -1);
    // The ranges of the fields.
    EXPECT_EQ(g->undoLevelsBox()->maximum(), 9999);
    EXPECT_EQ(g->startupTracksBox()->minimum(), 1);
    EXPECT_EQ(g->startupTracksBox()->maximum(), 128);
    EXPECT_EQ(g->pauseBox()->maximum(), 60.0);
    EXPECT_EQ(g->pauseBox()->singleStep(), 0.1);
    EXPECT_EQ(g->pauseBox()->decimals(), 1);

    EXPECT_TRUE(sheet.viewPage()->scaleBox()->isChecked());
    EXPECT_TRUE(sheet.viewPage()->clipTextBox()->isChecked());
    EXPECT_FALSE(sheet.defaultsPage()->titleEdit()->isEnabled());
    EXPECT_EQ(sheet.defaultsPage()->lengthBox()->value(), 80);

    // Folders without a default show the marker; the others their defaults.
    EXPECT_EQ(sheet.directoryPage()->field(kFolderPresets)->text(), QStringLiteral("$$$"));
    EXPECT_EQ(sheet.directoryPage()->field(kFolderPlugin)->text(), QStringLiteral("$$$"));
    std::string temporary;
    FolderSettings(*settings).lookup(kFolderTemporary, temporary);
    EXPECT_EQ(sheet.directoryPage()->field(kFolderTemporary)->text().toStdString(), temporary);
    // OK without changes pins neither a marker nor a default.
    sheet.apply();
    EXPECT_FALSE(settings->readString(SettingsRoot::LocalMachine, keys::kDirectories, "Presets"));
    EXPECT_FALSE(settings->readString(SettingsRoot::CurrentUser, keys::kDirectories, "Temporary"));
    EXPECT_EQ(doc->undoLevels(), 100);
}

TEST_F(PreferencesTest, EveryValueComesBackThroughTheSettingsFiles)
{
    {
        PreferencesSheet sheet(*doc, *settings, prompter);
        CGeneralPrefs* g = sheet.generalPage();
        g->autoTracksBox()->setChecked(false);
        g->undoLevelsBox()->setValue(250);
        g->startupTracksBox()->setValue(3);
        g->pauseBox()->setValue(0.3);
        g->exportFormatBox()->setCurrentIndex(1);
        sheet.viewPage()->scaleBox()->setChecked(false);
        sheet.viewPage()->clipTextBox()->setChecked(false);
        sheet.defaultsPage()->artistEdit()->setText(QStringLiteral("Anna Bö"));
        sheet.defaultsPage()->notesEdit()->setPlainText(QStringLiteral("two\nlines"));
        sheet.defaultsPage()->lengthBox()->setValue(74);
        CDirectoryPage* d = sheet.directoryPage();
        QString asked;
        d->setBrowser([&](const QString& title, const QString&) {
            asked = title;
            return QString::fromStdString(tmp.file("presets"));
        });
        d->browseButton(kFolderPresets)->click();
        EXPECT_EQ(asked, QStringLiteral("Please choose a new folder:"));
        d->field(kFolderTemporary)->setText(QString::fromStdString(tmp.file("t")));
        d->field(kFolderPlugin)->setText(QString::fromStdString(tmp.file("p")));
        d->field(kFolderPeakFiles)->setText(QString::fromStdString(tmp.file("k")));
        d->field(kFolderMyMusic)->setText(QString::fromStdString(tmp.file("m")));
        sheet.accept();
    }
    // The document took its part at once.
    EXPECT_EQ(doc->undoLevels(), 250);
    EXPECT_EQ(doc->autoCdTracks(), 0);
    EXPECT_EQ(doc->scaleTrackHeights(), 0);
    EXPECT_EQ(doc->showClipText(), 0);
    EXPECT_FLOAT_EQ(doc->defaultPauseLength(), 0.3f);

    reopen();
    // 0.3 s is stored as 3 tenths, not truncated to 2.
    EXPECT_EQ(settings->profileInt("General", "DefaultPauseLength", -1), 3);
    EXPECT_EQ(settings->profileInt("General", "DefExportFormat", -1), 1);
    EXPECT_EQ(doc->trackCount(), 3);
    EXPECT_EQ(doc->undoLevels(), 250);
    EXPECT_EQ(doc->autoCdTracks(), 0);
    EXPECT_EQ(doc->artist(), "Anna Bö");
    EXPECT_EQ(doc->notes(), "two\nlines");
    EXPECT_EQ(doc->projectLength(), 74 * 44100 * 60);
    EXPECT_EQ(doc->defaultPause(), int32_t(0.3f * 44100));
    std::string folder;
    EXPECT_TRUE(FolderSettings(*settings).lookup(kFolderPresets, folder));
    EXPECT_EQ(folder, tmp.file("presets"));
    EXPECT_TRUE(FolderSettings(*settings).lookup(kFolderPeakFiles, folder));
    EXPECT_EQ(folder, tmp.file("k"));

    PreferencesSheet again(*doc, *settings, prompter);
    EXPECT_FALSE(again.generalPage()->autoTracksBox()->isChecked());
    EXPECT_TRUE(again.generalPage()->limitUndoBox()->isChecked());
    EXPECT_EQ(again.generalPage()->undoLevelsBox()->value(), 250);
    EXPECT_EQ(again.generalPage()->startupTracksBox()->value(), 3);
    EXPECT_DOUBLE_EQ(again.generalPage()->pauseBox()->value(), 0.3);
    EXPECT_EQ(again.generalPage()->exportFormatBox()->currentIndex(), 1);
    EXPECT_FALSE(again.viewPage()->scaleBox()->isChecked());
    EXPECT_FALSE(again.viewPage()->clipTextBox()->isChecked());
    EXPECT_EQ(again.defaultsPage()->artistEdit()->text(), QStringLiteral("Anna Bö"));
    EXPECT_EQ(again.defaultsPage()->lengthBox()->value(), 74);
    for (const auto& [kind, name] : {std::pair{kFolderTemporary, "t"}, {kFolderPlugin, "p"}, {kFolderMyMusic, "m"}})
        EXPECT_EQ(again.directoryPage()->field(kind)->text().toStdString(), tmp.file(name)) << kind;
}

TEST_F(PreferencesTest, WithoutAFileFilterTheExportListStaysEmptyAndTheChoiceIsKept)
{
    settings->writeProfileInt("General", "DefExportFormat", 2);
    PluginHost::setCurrent(nullptr);
    PreferencesSheet sheet(*doc, *settings, prompter);
    EXPECT_EQ(sheet.generalPage()->exportFormatBox()->count(), 0);
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.messages()[0], "Unable to create instance of class com interface (ClassCom Error).");
    sheet.apply();
    EXPECT_EQ(settings->profileInt("General", "DefExportFormat", -1), 2);
}

TEST_F(PreferencesTest, TheAudioPageRefusesRatesOutsideItsRangeAndStoresNothing)
{
    settings->writeProfileInt("Audio", "Resolution", 24);
    settings->writeProfileInt("Audio", "SampleRate", 32000);
    settings->writeProfileInt("Audio", "Dithering", 1);
    CAudioProperties page(*settings, prompter);
    EXPECT_EQ(page.rateBox()->currentText(), QStringLiteral("32000"));
    EXPECT_EQ(page.depthBox()->currentIndex(), 2);
    EXPECT_FALSE(page.ditheringBox()->isEnabled());
    EXPECT_FALSE(page.noiseShapingBox()->isEnabled());
    page.depthBox()->setCurrentIndex(1);
    EXPECT_TRUE(page.ditheringBox()->isEnabled());
    EXPECT_TRUE(page.noiseShapingBox()->isEnabled());
    page.noiseShapingBox()->setChecked(false);

    for (const char* bad : {"100000", "3999", "Hz", "", "-8000"}) {
        prompter.clear();
        page.rateBox()->setEditText(QString::fromLatin1(bad));
        EXPECT_FALSE(page.store()) << bad;
        ASSERT_EQ(prompter.messages().size(), 1u) << bad;
        EXPECT_EQ(prompter.messages()[0], CAudioProperties::kInvalidRateText);
        EXPECT_EQ(settings->profileInt("Audio", "SampleRate", 0), 32000);
        EXPECT_EQ(settings->profileInt("Audio", "Resolution", 0), 24);
        EXPECT_EQ(settings->profileInt("Audio", "Dithering", 0), 1);
        EXPECT_EQ(settings->profileInt("Audio", "NoiseShaping", -1), -1);
    }
    page.rateBox()->setEditText(QStringLiteral("4000"));
    EXPECT_TRUE(page.store());
    EXPECT_EQ(settings->profileInt("Audio", "SampleRate", 0), 4000);
    page.rateBox()->setCurrentIndex(2);
    EXPECT_EQ(page.rateBox()->currentText(), QStringLiteral("44100 Hz (CD)"));
    EXPECT_TRUE(page.store());
    reopen();
    EXPECT_EQ(settings->profileInt("Audio", "SampleRate", 0), 44100);
    EXPECT_EQ(settings->profileInt("Audio", "Resolution", 0), 16);
    EXPECT_EQ(settings->profileInt("Audio", "NoiseShaping", -1), 0);
    EXPECT_EQ(settings->profileInt("Audio", "Dithering", -1), 1);
}

TEST_F(PreferencesTest, ProjectSettingsApplyEveryPageAndDiscardOnlyABadRate)
{
    doc->setTitle("Old");
    {
        ProjectSettingsDialog sheet(doc->projectSettings(), *settings, prompter);
        EXPECT_EQ(sheet.audioPage()->rateBox()->currentText(), QStringLiteral("44100"));
        EXPECT_EQ(sheet.generalPage()->titleEdit()->text(), QStringLiteral("Old"));
        EXPECT_TRUE(sheet.generalPage()->titleEdit()->isEnabled());
        sheet.audioPage()->rateBox()->setEditText(QStringLiteral("48000 Hz (DAT)"));
        sheet.audioPage()->depthBox()->setCurrentIndex(2);
        sheet.generalPage()->titleEdit()->setText(QStringLiteral("New"));
        sheet.generalPage()->lengthBox()->setValue(60);
        sheet.tempoPage()->setValues(90.5, 3);
        sheet.accept();
        ASSERT_EQ(sheet.result(), QDialog::Accepted);
        doc->applyProjectSettings(sheet.values());
    }
    EXPECT_EQ(doc->sampleRate(), 48000u);
    EXPECT_EQ(doc->format().wBitsPerSample, 24);
    EXPECT_EQ(doc->title(), "New");
    EXPECT_EQ(doc->tempo(), 9050);
    EXPECT_EQ(doc->beatsPerMeasure(), 3);
    EXPECT_EQ(doc->projectLength(), 60 * 48000 * 60);

    ProjectSettingsDialog bad(doc->projectSettings(), *settings, prompter);
    bad.audioPage()->rateBox()->setEditText(QStringLiteral("100000"));
    bad.generalPage()->titleEdit()->setText(QStringLiteral("Newer"));
    bad.accept();
    ASSERT_EQ(bad.result(), QDialog::Accepted);
    EXPECT_EQ(prompter.messages().back(), CAudioProperties::kInvalidRateText);
    doc->applyProjectSettings(bad.values());
    EXPECT_EQ(doc->sampleRate(), 48000u);
    EXPECT_EQ(doc->title(), "Newer");
}

TEST(AudioProperties, TheRateIsTheLeadingNumberOfItsText)
{
    EXPECT_EQ(CAudioProperties::leadingRate(QStringLiteral("44100 Hz (CD)")), 44100);
    EXPECT_EQ(CAudioProperties::leadingRate(QStringLiteral("  8000")), 8000);
    EXPECT_EQ(CAudioProperties::leadingRate(QStringLiteral("Hz 8000")), 0);
    EXPECT_EQ(CAudioProperties::leadingRate(QStringLiteral("99999999999999")), 999999999);
}

TEST(GeneralPrefs, PausesAreStoredInWholeTenths)
{
    for (const auto& [seconds, tenths] : {std::pair{0.1, 1}, {0.3, 3}, {0.7, 7}, {2.9, 29}, {59.9, 599}, {60.0, 600}})
        EXPECT_EQ(CGeneralPrefs::pauseTenths(seconds), tenths) << seconds;
    EXPECT_EQ(CGeneralPrefs::pauseTenths(61.0), 600);
}

} // namespace
