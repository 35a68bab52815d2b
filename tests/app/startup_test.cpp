// Start-up: the command line, language packs, the window placement and the
// commands posted once the window is up.

#include "app/app_fixture.h"
#include "app/command_line.h"
#include "base_qt/language_pack.h"
#include "app/main_frame.h"
#include "app/quillon_app.h"
#include "app/window_placement.h"
#include "base/folder_settings.h"
#include "model/multitracker_doc.h"
#include "model/project_file.h"
#include "model/track.h"
#include "ui/master_view.h"
#include "ui/multitracker_view.h"
#include "ui/wizard_frame.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTimer>
#include <QTranslator>
#include <QXmlStreamReader>

#include <cstdlib>
#include <fstream>

namespace quillon::test {
namespace {

QString fileMenu() { return QCoreApplication::translate("CMainFrame", "&File"); }

TEST(StartupCommandLine, FileNameAndWizardSwitches)
{
    StartupCommandLine line = StartupCommandLine::parse({});
    EXPECT_TRUE(line.fileName.isEmpty());
    EXPECT_TRUE(line.postedCommands.empty());

    line = StartupCommandLine::parse({"/Dialog:LPToCD"});
    EXPECT_TRUE(line.fileName.isEmpty());
    EXPECT_EQ(line.postedCommands, std::vector<int>{7913});

    // Both, always LP first; the cassette switch also inside a longer word.
    line = StartupCommandLine::parse({"-x/Dialog:TapeToCDy", "/home/me/song.vpf", "/Dialog:LPToCD", "other.vpf"});
    EXPECT_EQ(line.fileName, "/home/me/song.vpf");
    EXPECT_EQ(line.postedCommands, (std::vector<int>{7913, 7914}));

    // The search is case-sensitive.
    line = StartupCommandLine::parse({"/dialog:lptocd"});
    EXPECT_TRUE(line.postedCommands.empty());
    EXPECT_TRUE(line.fileName.isEmpty());

    EXPECT_TRUE(StartupCommandLine::parse({"--demo"}).demo);
    // A word containing the switch that is not itself a switch is a file name, but it
    // still posts the wizard.
    line = StartupCommandLine::parse({"x/Dialog:TapeToCDy"});
    EXPECT_EQ(line.fileName, "x/Dialog:TapeToCDy");
    EXPECT_EQ(line.postedCommands, std::vector<int>{7914});
}

class LanguageTest : public AppFixture {
protected:
    void TearDown() override { pack.unload(); }

    QString withPacks(const std::vector<std::string>& codes)
    {
        const QString dir = folder("program");
        for (const std::string& code : codes) {
            const QString from = code == "deu" ? QStringLiteral(QUILLON_GERMAN_PACK)
                                               : QStringLiteral(QUILLON_TEST_PACKS "/Quillon-%1.nls").arg(code.c_str());
            QFile::remove(LanguagePack::fileName(dir, QString::fromStdString(code)));
            EXPECT_TRUE(QFile::copy(from, LanguagePack::fileName(dir, QString::fromStdString(code)))) << code;
        }
        return dir;
    }

    LanguagePack pack{prompter};
};

TEST_F(LanguageTest, AMissingPackKeepsEnglishWithoutAMessage)
{
    EXPECT_FALSE(pack.load(folder("program"), "deu"));
    EXPECT_EQ(fileMenu(), "&File");
    EXPECT_TRUE(prompter.entries().empty());
}

TEST_F(LanguageTest, TheGermanPackTranslatesMenusToolbarAndStatusBar)
{
    // Views are made before the pack loads; their fixed labels follow it.
    CMultitrackerDoc doc(settings, prompter);
    CMultitrackerView timeline(doc);
    CMasterView master(doc, timeline);
    auto labels = [&] {
        QStringList texts;
        for (QLabel* label : master.findChildren<QLabel*>())
            texts << label->text();
        return texts;
    };
    ASSERT_TRUE(pack.load(withPacks({"deu"}), "deu"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(labels().contains(QStringLiteral("Lautstärke:"))) << labels().join('|').toStdString();
    EXPECT_EQ(pack.activeCode(), "deu");
    EXPECT_EQ(fileMenu(), "&Datei");
    EXPECT_EQ(QCoreApplication::translate("CMainFrame", "Zoom In"), "Vergrößern");
    EXPECT_EQ(QCoreApplication::translate("CMainFrame", "Ready"), "Bereit");
    EXPECT_EQ(QCoreApplication::translate("CMainFrame", "Track %1 of %2"), "Spur %1 von %2");
    // Qt's own catalogue of the language comes with it, and goes with it.
    EXPECT_TRUE(pack.hasQtCatalogue());
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
    pack.unload();
    EXPECT_EQ(fileMenu(), "&File");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
    QCoreApplication::processEvents();
    EXPECT_TRUE(labels().contains(QStringLiteral("Volume:")));
}

TEST_F(LanguageTest, WithoutQtsOwnCatalogueThePackStillLoads)
{
    LanguagePack::setQtCatalogueFolder(folder("no-qt-catalogues"));
    const bool loaded = pack.load(withPacks({"deu"}), "deu");
    LanguagePack::setQtCatalogueFolder({});
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(pack.hasQtCatalogue());
    EXPECT_EQ(fileMenu(), "&Datei");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
    EXPECT_TRUE(prompter.entries().empty());
}

TEST(LanguagePackCodes, ThreeLetterCodesMapToQtsLanguageNames)
{
    for (const auto& [code, qt] : std::vector<std::pair<QString, QString>>{
             {"deu", "de"}, {"ger", "de"}, {"fra", "fr"}, {"ita", "it"}, {"spa", "es"}, {"nld", "nl"}, {"xyz", ""}})
        EXPECT_EQ(LanguagePack::qtLanguage(code), qt) << code.toStdString();
}

struct CatalogueEntry {
    QString context;
    QString source;
    QString translation;
    bool finished = false;
};

std::vector<CatalogueEntry> germanCatalogue()
{
    QFile file(QStringLiteral(QUILLON_GERMAN_TS));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << QUILLON_GERMAN_TS;
    std::vector<CatalogueEntry> entries;
    QString context;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            entries.push_back({context, {}, {}, false});
        } else if (xml.name() == QLatin1String("source") && !entries.empty()) {
            entries.back().source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation") && !entries.empty()) {
            entries.back().finished = xml.attributes().value(QLatin1String("type")).isEmpty();
            entries.back().translation = xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return entries;
}

// What the program fills in or the menu needs: %1.., printf fields, the accelerator,
// the "..." that promises a dialog.
QStringList markers(const QString& text)
{
    static const QRegularExpression field(QStringLiteral(R"(%(\d+|[-.0-9]*[sd]))"));
    QStringList found;
    for (auto it = field.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    found.sort();
    QString plain = text;
    plain.replace(QStringLiteral("&&"), QString());
    if (plain.count(QLatin1Char('&')) > 0)
        found << QStringLiteral("&x%1").arg(plain.count(QLatin1Char('&')));
    if (text.endsWith(QStringLiteral("...")))
        found << QStringLiteral("...");
    return found;
}

// The catalogue is refreshed from the sources by translations/fill_deu.py (its --check is
// the test that no text of the sources is missing from it); here every text it holds must
// come out of the built pack in German, with what the program fills in intact.
TEST(GermanPack, EveryCatalogueTextIsTranslatedInTheBuiltPack)
{
    QTranslator pack;
    ASSERT_TRUE(pack.load(QStringLiteral(QUILLON_GERMAN_PACK)));
    const std::vector<CatalogueEntry> entries = germanCatalogue();
    QStringList contexts;
    for (const CatalogueEntry& e : entries) {
        SCOPED_TRACE(e.context.toStdString() + " | " + e.source.toStdString());
        contexts << e.context;
        EXPECT_TRUE(e.finished);
        EXPECT_FALSE(e.translation.isEmpty());
        EXPECT_EQ(pack.translate(e.context.toUtf8().constData(), e.source.toUtf8().constData()), e.translation);
        EXPECT_EQ(markers(e.translation), markers(e.source));
    }
    // The contexts the program looks texts up in without a class of its own: the menus,
    // the time displays and whatever the Prompter shows.
    for (const char* context : {"CMainFrame", "TimeFormatter", "Messages", "ClipTool", "CTrackInfoView"})
        EXPECT_TRUE(contexts.contains(QLatin1String(context))) << context;
}

TEST_F(LanguageTest, AnInstalledProgramFindsThePackInTheSharedDataFolder)
{
    const QString root = folder("installed");
    ASSERT_TRUE(QDir(root).mkpath("bin"));
    ASSERT_TRUE(QDir(root).mkpath("share/varda-quillon/translations"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLON_GERMAN_PACK),
                            LanguagePack::fileName(root + "/share/varda-quillon/translations", "deu")));
    ASSERT_TRUE(pack.load(root + "/bin", "deu"));
    EXPECT_EQ(fileMenu(), "&Datei");
}

TEST_F(LanguageTest, TheFirstListedPackThatLoadsWins)
{
    const QString dir = withPacks({"fra", "eng"});
    ASSERT_TRUE(pack.load(dir, "fraeng"));
    EXPECT_EQ(pack.activeCode(), "fra");
    EXPECT_EQ(fileMenu(), "&Fichier");
    ASSERT_TRUE(pack.load(dir, "engfra"));
    EXPECT_EQ(pack.activeCode(), "eng");
    EXPECT_EQ(fileMenu(), "&File (English pack)");
    // A code without a file is passed over; a trailing partial code is ignored.
    ASSERT_TRUE(pack.load(dir, "itafra"));
    EXPECT_EQ(pack.activeCode(), "fra");
    ASSERT_TRUE(pack.load(dir, "engfr"));
    EXPECT_EQ(pack.activeCode(), "eng");
    EXPECT_TRUE(prompter.entries().empty());
}

TEST_F(LanguageTest, APackThatDoesNotLoadIsReportedAndTheOthersStay)
{
    const QString dir = withPacks({"deu"});
    {
        std::ofstream broken(LanguagePack::fileName(dir, "fra").toStdString());
        broken << "no catalogue";
    }
    EXPECT_TRUE(pack.load(dir, "fradeu"));
    EXPECT_EQ(pack.activeCode(), "deu");
    EXPECT_EQ(fileMenu(), "&Datei");
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.messages()[0], LanguagePack::kLoadError);

    prompter.clear();
    EXPECT_FALSE(pack.load(dir, "fra"));
    EXPECT_EQ(fileMenu(), "&File");
    EXPECT_EQ(prompter.messages().size(), 1u);
}

class FrameTest : public AppFixture {
protected:
    FrameTest()
    {
        settings.writeProfileInt("General", "StartupTracks", 2);
        doc = std::make_unique<CMultitrackerDoc>(settings, prompter);
        doc->onNewDocument();
    }
    ~FrameTest() override
    {
        frames.clear();
        doc.reset();
    }
    CMainFrame& newFrame(const QString& program = QString())
    {
        frames.push_back(std::make_unique<CMainFrame>(*doc, settings, prompter, program));
        return *frames.back();
    }

    std::unique_ptr<CMultitrackerDoc> doc;
    std::vector<std::unique_ptr<CMainFrame>> frames;
};

TEST_F(FrameTest, MenusFollowTheLanguageSetting)
{
    settings.writeProfileString("General", "Language", "deu");
    CMainFrame& english = newFrame(folder("empty"));
    EXPECT_EQ(english.menuBar()->actions().front()->text(), "&File");
    EXPECT_EQ(english.messagePaneText(), "Ready");

    const QString program = folder("program");
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLON_GERMAN_PACK), LanguagePack::fileName(program, "deu")));
    CMainFrame& german = newFrame(program);
    EXPECT_EQ(german.menuBar()->actions().front()->text(), "&Datei");
    EXPECT_EQ(german.action(7794)->text(), "Vergrößern");
    EXPECT_EQ(german.messagePaneText(), "Bereit");
    EXPECT_EQ(german.trackPaneText(), "Spur 1 von 2");
    german.languagePack().unload();
}

TEST_F(FrameTest, MaximisedPlacementIsRestoredWithItsNormalRectangle)
{
    {
        CMainFrame& first = newFrame();
        first.setGeometry(100, 120, 640, 480);
        first.show();
        QApplication::processEvents();
        first.showMaximized();
        QApplication::processEvents();
        ASSERT_TRUE(first.isMaximized());
        first.close();
    }
    EXPECT_EQ(settings.profileInt("LastWindowState", "ShowCmd", 0), WindowPlacement::kShowMaximized);
    EXPECT_EQ(settings.profileInt("LastWindowState", "Left", 0), 100);
    EXPECT_EQ(settings.profileInt("LastWindowState", "Top", 0), 120);
    EXPECT_EQ(settings.profileInt("LastWindowState", "Right", 0), 740);
    EXPECT_EQ(settings.profileInt("LastWindowState", "Bottom", 0), 600);
    EXPECT_EQ(settings.profileInt("LastWindowState", "Flags", -1), 0);

    CMainFrame& second = newFrame();
    second.show();
    second.restorePlacement();
    QApplication::processEvents();
    EXPECT_TRUE(second.isMaximized());
    EXPECT_EQ(second.normalGeometry(), QRect(100, 120, 640, 480));
}

TEST_F(FrameTest, WithoutAStoredPlacementTheWindowStaysWhereItIs)
{
    CMainFrame& frame = newFrame();
    frame.setGeometry(50, 60, 700, 500);
    frame.show();
    frame.restorePlacement();
    QApplication::processEvents();
    EXPECT_FALSE(frame.isMaximized());
    EXPECT_EQ(frame.geometry(), QRect(50, 60, 700, 500));
}

TEST_F(FrameTest, StatusPanesShowLengthPositionAndTrack)
{
    CMainFrame& frame = newFrame();
    doc->setCursor(44100 * 61 + 22050);
    doc->setCurrentTrack(1);
    frame.updateCommandStates();
    EXPECT_EQ(frame.lengthPaneText(), "Total Project Length:0m 00s:000");
    EXPECT_EQ(frame.positionPaneText(), "Position:1m 01s:500");
    EXPECT_EQ(frame.trackPaneText(), "Track 2 of 2");
    frame.showStatusMessage("Duration of object: 0m 01s:000");
    EXPECT_EQ(frame.messagePaneText(), "Duration of object: 0m 01s:000");
    frame.showStatusMessage(QString());
    EXPECT_EQ(frame.messagePaneText(), "Ready");
}

TEST_F(FrameTest, CommandsFollowTheDocument)
{
    CMainFrame& frame = newFrame();
    // Nothing selected, nothing on the clipboard, no history, no transport.
    EXPECT_FALSE(frame.runCommand(57634));
    EXPECT_FALSE(frame.runCommand(57637));
    EXPECT_FALSE(frame.runCommand(57643));
    EXPECT_FALSE(frame.action(7800)->isEnabled());
    // Time format and grid commands store their codes and check their items.
    EXPECT_TRUE(frame.runCommand(7931));
    EXPECT_EQ(doc->timeFormat(), 2);
    EXPECT_TRUE(frame.action(7931)->isChecked());
    EXPECT_FALSE(frame.action(7930)->isChecked());
    EXPECT_TRUE(frame.runCommand(7950 + 2));
    EXPECT_EQ(doc->gridDivision(), 3);
    EXPECT_EQ(settings.profileInt("Grid", "SnapDivident", 0), 3);
    // Insert Track, then Delete Track is allowed (after the question).
    EXPECT_TRUE(frame.runCommand(7772));
    EXPECT_EQ(doc->trackCount(), 3);
    prompter.queueAnswer(true);
    EXPECT_TRUE(frame.runCommand(7774));
    EXPECT_EQ(doc->trackCount(), 2);
    // Play Looped toggles the document's switch even before a transport exists.
    EXPECT_TRUE(frame.runCommand(7802));
    EXPECT_TRUE(doc->loopPlayback().load());
    EXPECT_EQ(frame.commandLog().back(), 7802);
}

TEST_F(FrameTest, RecentFilesKeepTheFourLatestNewestFirst)
{
    CMainFrame& frame = newFrame();
    std::vector<QString> paths;
    for (int i = 0; i < 5; ++i) {
        paths.push_back(QString::fromStdString(tmp.file("p" + std::to_string(i) + ".vpf")));
        ASSERT_TRUE(frame.saveProject(paths.back()));
    }
    ASSERT_TRUE(frame.openProject(paths[2]));
    EXPECT_EQ(frame.recentFiles(), (QStringList{paths[2], paths[4], paths[3], paths[1]}));
    EXPECT_EQ(settings.profileString("Recent File List", "File1", ""), paths[2].toStdString());
    EXPECT_EQ(settings.profileString("Recent File List", "File4", ""), paths[1].toStdString());

    // A later window starts with the stored list; a project that no longer opens leaves it.
    QFile::remove(paths[4]);
    CMainFrame& next = newFrame();
    EXPECT_EQ(next.recentFiles().size(), 4);
    EXPECT_FALSE(next.openProject(paths[4]));
    EXPECT_EQ(next.recentFiles(), (QStringList{paths[2], paths[3], paths[1]}));
    EXPECT_EQ(settings.profileString("Recent File List", "File4", "none"), "none");
}

TEST_F(FrameTest, AFileThatIsNoProjectOrIsMissingLeavesTheOldOne)
{
    CMainFrame& frame = newFrame();
    const QString kept = QString::fromStdString(tmp.file("kept.vpf"));
    doc->setTitle("Kept");
    ASSERT_TRUE(frame.saveProject(kept));
    EXPECT_FALSE(frame.openProject(QString::fromStdString(tmp.file("missing.vpf"))));
    EXPECT_EQ(doc->title(), "Kept");
    EXPECT_EQ(frame.projectPath(), kept);
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_NE(prompter.messages()[0].find("missing.vpf"), std::string::npos);

    const std::string junk = tmp.file("junk.vpf");
    std::ofstream(junk) << "Varda Quillon Header Filf";
    EXPECT_FALSE(frame.openProject(QString::fromStdString(junk)));
    EXPECT_EQ(prompter.messages().back(), "Unexpected file format.");
    EXPECT_EQ(doc->trackCount(), 2);
    EXPECT_EQ(doc->title(), "Kept");
    EXPECT_EQ(frame.projectPath(), kept);
}

TEST_F(FrameTest, UndoAndRedoFollowTheHistory)
{
    CMainFrame& frame = newFrame();
    EXPECT_FALSE(frame.action(57643)->isEnabled());
    ASSERT_TRUE(frame.runCommand(7772)); // Insert Track takes an undo step
    EXPECT_EQ(doc->trackCount(), 3);
    EXPECT_TRUE(frame.action(57643)->isEnabled());
    EXPECT_TRUE(frame.runCommand(57643));
    EXPECT_EQ(doc->trackCount(), 2);
    EXPECT_TRUE(frame.action(57644)->isEnabled());
    EXPECT_TRUE(frame.runCommand(57644));
    EXPECT_EQ(doc->trackCount(), 3);
}

TEST_F(AppFixture, CommandLineSwitchesArePostedOnceTheWindowIsUp)
{
    // The wizard's console starts the sound system: a silent default device keeps the
    // machine's sound plug-ins, loaded and unloaded again, out of this test.
    const std::string alsa = tmp.file("asound.conf");
    std::ofstream(alsa) << "pcm.!default { type null }\n";
    setenv("ALSA_CONFIG_PATH", alsa.c_str(), 1);
    // The switches open the wizards; each is cancelled as soon as it is up.
    FolderSettings(settings).store(kFolderMyMusic, folder("music").toStdString());
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto* wizard = qobject_cast<WizardFrame*>(QApplication::activeModalWidget()))
            wizard->third();
    });
    closer.start();
    CQuillonApp app(settings, prompter, folder("program"), folder("data"));
    ASSERT_TRUE(app.initInstance({"/Dialog:LPToCD", "/Dialog:TapeToCD"}, false));
    // A new project from the defaults; nothing posted has run yet.
    EXPECT_EQ(app.document()->trackCount(), 1);
    EXPECT_TRUE(app.frame()->commandLog().empty());
    QApplication::processEvents();
    const std::vector<int> log = app.frame()->commandLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], 7913);
    EXPECT_EQ(log[1], 7914);
    // The shipped servers were loaded, and the engine's transport serves the play
    // commands.
    EXPECT_GT(app.host().serverCount(), 0u);
    EXPECT_TRUE(app.frame()->action(7800)->isEnabled());
    EXPECT_TRUE(app.frame()->action(7803)->isEnabled());
    EXPECT_FALSE(app.frame()->view()->isPlaying());
}

TEST_F(AppFixture, AProjectOnTheCommandLineIsOpenedAndABadOneEndsTheStart)
{
    const std::string good = tmp.file("two.vpf");
    {
        MemorySettingsStore s;
        s.writeProfileInt("General", "StartupTracks", 2);
        CMultitrackerDoc doc(s, prompter);
        doc.onNewDocument();
        doc.setTitle("From disk");
        std::string error;
        ASSERT_TRUE(ProjectFile::save(doc, good, error)) << error;
    }
    {
        CQuillonApp app(settings, prompter, folder("program"), folder("data"));
        ASSERT_TRUE(app.initInstance({QString::fromStdString(good)}, false));
        EXPECT_EQ(app.document()->trackCount(), 2);
        EXPECT_EQ(app.document()->title(), "From disk");
        EXPECT_EQ(app.frame()->projectPath(), QString::fromStdString(good));
    }
    const std::string bad = tmp.file("bad.vpf");
    std::ofstream(bad) << "not a project";
    CQuillonApp app(settings, prompter, folder("program"), folder("data"));
    EXPECT_FALSE(app.initInstance({QString::fromStdString(bad)}, false));
    ASSERT_FALSE(prompter.messages().empty());
    EXPECT_EQ(prompter.messages().back(), "Unexpected file format.");
}

} // namespace
} // namespace quillon::test
