// The main window's commands as a new user meets them: opening a file that is no
// project, inserting files that are no audio, a wave editor that cannot start, Save As
// under a foreign extension, the play and wizard commands.

#include "app/app_fixture.h"
#include "app/engine_transport.h"
#include "app/main_frame.h"
#include "app/quillon_app.h"
#include "app/wave_editor_diagnosis.h"
#include "base/folder_settings.h"
#include "model/audio_clip.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "model/source_relinker.h"
#include "model/track.h"
#include "plugins/file_filter.h"
#include "support/modal_answer.h"
#include "support/test_audio.h"
#include "ui/command_ids.h"
#include "ui/effect_chain_editor.h"
#include "ui/insert_playlist_dialog.h"
#include "ui/knob.h"
#include "ui/master_view.h"
#include "ui/track_info_view.h"
#include "ui/wizard_frame.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QKeyEvent>
#include <QToolBar>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <random>

namespace quillon::test {
namespace {

// Answers the next file dialog that comes up with `name`, as a user typing it would;
// a question to save the changes first is answered No. A file dialog whose folder is
// still loading may ignore the first accept, so the answer is given again until the
// dialog has gone.
void answerNextFileDialog(const QString& name)
{
    struct Answer {
        bool given = false;
        QPointer<QFileDialog> dialog;
    };
    // Owned by the application: a test that ends before the last tick leaks nothing.
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    auto answer = std::make_shared<Answer>();
    QObject::connect(timer, &QTimer::timeout, [timer, name, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            if (QAbstractButton* no = box->button(QMessageBox::No))
                no->click();
            else
                box->reject();
            return;
        }
        if (answer->given && (answer->dialog.isNull() || modal != answer->dialog.data())) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog)
            return;
        answer->given = true;
        answer->dialog = dialog;
        dialog->selectFile(name);
        static_cast<QDialog*>(dialog)->accept();
    });
    timer->start();
}

// Records what the status bar said at the moment each message went up.
class WatchingPrompter : public RecordingPrompter {
public:
    void showMessage(const std::string& text, PromptIcon icon) override
    {
        if (onMessage)
            onMessage();
        RecordingPrompter::showMessage(text, icon);
    }
    std::function<void()> onMessage;
};

class MainFrameTest : public AppFixture {
protected:
    MainFrameTest()
    {
        settings.writeProfileInt("General", "StartupTracks", 1);
        app = std::make_unique<CQuillonApp>(settings, watcher, folder("program"), folder("data"));
        EXPECT_TRUE(app->initInstance({}, false));
    }
    ~MainFrameTest() override { app.reset(); }

    CMainFrame& frame() { return *app->frame(); }
    CMultitrackerDoc& doc() { return *app->document(); }

    std::string tone(const std::string& name)
    {
        TestTone t;
        t.frames = 4410;
        const std::string path = tmp.file(name);
        EXPECT_TRUE(writeTone(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, t));
        return path;
    }
    std::string noise(const std::string& name)
    {
        std::mt19937 random(7);
        std::ofstream out(tmp.file(name), std::ios::binary);
        for (int i = 0; i < 8192; ++i)
            out.put(static_cast<char>(random()));
        return tmp.file(name);
    }

    WatchingPrompter watcher;
    std::unique_ptr<CQuillonApp> app;
};

TEST_F(MainFrameTest, AFileThatIsNoProjectLeavesTheOpenProjectAsItWas)
{
    ASSERT_TRUE(frame().runCommand(cmd::kInsertTrack));
    ASSERT_TRUE(frame().runCommand(cmd::kInsertTrack));
    doc().setTitle("Kept");
    doc().setCurrentTrack(1);
    const QString kept = QString::fromStdString(tmp.file("kept.vpf"));
    ASSERT_TRUE(frame().saveProject(kept));
    ASSERT_TRUE(frame().runCommand(cmd::kInsertTrack)); // an unsaved change on top
    ASSERT_EQ(doc().trackCount(), 4);
    const QString pane = frame().trackPaneText();
    const int32_t current = doc().currentTrack();

    const std::string text = tmp.file("notes.vpf");
    std::ofstream(text) << "These are my notes, not a project.\n";
    std::vector<QString> paneWhileShown;
    watcher.onMessage = [&] { paneWhileShown.push_back(frame().trackPaneText()); };

    // Called directly, then through File > Open and its dialog.
    for (bool throughDialog : {false, true}) {
        SCOPED_TRACE(throughDialog ? "File > Open" : "openProject");
        watcher.clear();
        paneWhileShown.clear();
        if (throughDialog) {
            answerNextFileDialog(QString::fromStdString(text));
            EXPECT_TRUE(frame().runCommand(cmd::kOpen));
        } else {
            EXPECT_FALSE(frame().openProject(QString::fromStdString(text)));
        }
        ASSERT_EQ(watcher.messages(), std::vector<std::string>{"Unexpected file format."});
        ASSERT_EQ(paneWhileShown.size(), 1u);
        EXPECT_EQ(paneWhileShown[0], pane);
        EXPECT_EQ(doc().trackCount(), 4);
        EXPECT_EQ(doc().title(), "Kept");
        EXPECT_EQ(doc().currentTrack(), current);
        EXPECT_TRUE(doc().isModified());
        EXPECT_TRUE(doc().canUndo());
        EXPECT_EQ(frame().projectPath(), kept);
        EXPECT_TRUE(frame().windowTitle().startsWith("kept*"));
        EXPECT_EQ(frame().recentFiles(), QStringList{kept});
    }

    // A real project still opens through the same path.
    answerNextFileDialog(kept);
    watcher.clear();
    doc().setModified(false);
    EXPECT_TRUE(frame().runCommand(cmd::kOpen));
    EXPECT_TRUE(watcher.messages().empty());
    EXPECT_EQ(doc().trackCount(), 3);
    EXPECT_FALSE(doc().canUndo());
}

TEST_F(MainFrameTest, AdjustSilenceIsOneUndoStep)
{
    // The pause dialog is answered with 2 seconds as soon as it shows.
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        dialog->setDoubleValue(2.0);
        dialog->accept();
    });
    timer->start();
    const size_t before = doc().undoHistory().undoCount();
    ASSERT_TRUE(frame().runCommand(cmd::kAdjustSilence));
    EXPECT_EQ(doc().undoHistory().undoCount(), before + 1);
}

TEST_F(MainFrameTest, SaveAsAddsTheProjectExtensionToAForeignOne)
{
    const struct {
        const char* chosen;
        const char* written;
    } rows[] = {
        {"song", "song.vpf"}, {"song.vpf", "song.vpf"}, {"SONG.VPF", "SONG.VPF"},
        {"out.wav", "out.wav.vpf"}, {"v1.2/mix", "v1.2/mix.vpf"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CMainFrame::projectFileName(row.chosen), row.written) << row.chosen;

    answerNextFileDialog(QString::fromStdString(tmp.file("out.wav")));
    ASSERT_TRUE(frame().runCommand(cmd::kSaveAs));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(tmp.file("out.wav"))));
    const QString written = QString::fromStdString(tmp.file("out.wav.vpf"));
    EXPECT_TRUE(QFileInfo::exists(written));
    EXPECT_EQ(frame().projectPath(), written);
    EXPECT_EQ(frame().recentFiles(), QStringList{written});
}

TEST_F(MainFrameTest, FilesThatAreNoAudioAreNamedAfterTheOthersAreInserted)
{
    const std::string first = tone("first.wav");
    const std::string junk = noise("random.wav");
    const std::string second = tone("second.wav");
    const std::string empty = tmp.file("empty.wav");
    std::ofstream(empty).flush();

    size_t clipsWhenShown = 0;
    watcher.onMessage = [&] { clipsWhenShown = doc().trackAt(0)->clips().size(); };
    // Several files: "Insert Playlist" comes first and is taken as it is.
    auto* accepter = new QTimer;
    accepter->setInterval(5);
    QObject::connect(accepter, &QTimer::timeout, [accepter] {
        if (auto* dialog = qobject_cast<InsertPlaylistDialog*>(QApplication::activeModalWidget())) {
            accepter->deleteLater();
            accepter->stop();
            dialog->accept();
        }
    });
    accepter->start();
    const QStringList skipped = frame().insertFiles(
        {QString::fromStdString(first), QString::fromStdString(junk), QString::fromStdString(second),
         QString::fromStdString(empty)});
    EXPECT_EQ(skipped, (QStringList{QString::fromStdString(junk), QString::fromStdString(empty)}));
    EXPECT_EQ(doc().trackAt(0)->clips().size(), 2u);
    EXPECT_EQ(clipsWhenShown, 2u);
    ASSERT_EQ(watcher.messages().size(), 1u);
    const std::string message = watcher.messages()[0];
    EXPECT_NE(message.find(junk), std::string::npos);
    EXPECT_NE(message.find(empty), std::string::npos);
    EXPECT_EQ(message.find(first), std::string::npos);

    // Only unreadable files: nothing goes in, the message still comes.
    watcher.clear();
    EXPECT_EQ(frame().insertFiles({QString::fromStdString(junk)}).size(), 1);
    EXPECT_EQ(doc().trackAt(0)->clips().size(), 2u);
    EXPECT_EQ(watcher.messages().size(), 1u);
    // Only good ones: no message.
    watcher.clear();
    EXPECT_TRUE(frame().insertFiles({QString::fromStdString(first)}).isEmpty());
    EXPECT_TRUE(watcher.messages().empty());
}

TEST_F(MainFrameTest, AWaveEditorThatCannotStartIsExplained)
{
    const std::string source = tone("take.wav");
    ASSERT_TRUE(frame().insertFiles({QString::fromStdString(source)}).isEmpty());
    CAudioClip* clip = doc().trackAt(0)->clips().front();
    clip->setSelected(true);
    // The source has gone since: whatever the editor, it cannot be handed the file.
    std::filesystem::remove(source);
    watcher.clear();
    ASSERT_TRUE(frame().runCommand(cmd::kWaveEditor));
    ASSERT_EQ(watcher.messages().size(), 1u);
    const std::string message = watcher.messages()[0];
    EXPECT_EQ(message.rfind("Unable to create instance of class com interface (ClassCom Error).\n", 0), 0u);
    EXPECT_NE(message.find("\"xdg-open %f\""), std::string::npos);
    EXPECT_NE(message.find(source), std::string::npos);
    EXPECT_NE(message.find("No such file or directory"), std::string::npos);
    EXPECT_NE(message.find("\"WaveEditorCommand\" in the section \"General\""), std::string::npos);
}

TEST_F(MainFrameTest, TheWaveEditorDiagnosisNamesWhatFailed)
{
    const std::string source = tone("take.wav");
    const std::string plain = tmp.file("plain.txt");
    std::ofstream(plain) << "not a program";
    ::chmod(plain.c_str(), 0644);
    const struct {
        std::string command;
        std::string file;
        const char* reason;
    } rows[] = {
        {"no-such-editor-anywhere %f", source, "\"no-such-editor-anywhere\": No such file or directory"},
        {"/opt/none/editor --open %f", source, "\"/opt/none/editor\": No such file or directory"},
        {plain + " %f", source, "Permission denied"},
        {"'unclosed %f", source, "unclosed quote"},
        {"sh -c true", tmp.file("gone.wav"), "gone.wav\": No such file or directory"},
    };
    for (const auto& row : rows) {
        MemorySettingsStore store;
        store.writeProfileString(WaveEditorDiagnosis::kSection, WaveEditorDiagnosis::kSettingName, row.command);
        const WaveEditorDiagnosis why(store, row.file);
        EXPECT_EQ(why.command().toStdString(), row.command);
        EXPECT_NE(why.reason().toStdString().find(row.reason), std::string::npos) << row.command << ": "
                                                                                   << why.reason().toStdString();
    }
}

TEST_F(MainFrameTest, ThePeakFileFolderSettingReachesTheFileFilter)
{
    std::string peaks;
    FolderSettings(settings).lookup(kFolderPeakFiles, peaks);
    EXPECT_EQ(FileFilter::defaultPeakFolder(), peaks);
    EXPECT_EQ(peaks, (tmp.path() / "cache" / "varda-quillon" / "peaks").string());

    // A folder the user chose is used as set.
    app.reset();
    const std::string chosen = folder("my peaks").toStdString();
    FolderSettings(settings).store(kFolderPeakFiles, chosen);
    CQuillonApp second(settings, watcher, folder("program"), folder("data"));
    ASSERT_TRUE(second.initInstance({}, false));
    EXPECT_EQ(FileFilter::defaultPeakFolder(), chosen);
}

TEST_F(MainFrameTest, TheWizardSwitchesOpenTheWizards)
{
    app.reset();
    watcher.clear();
    FolderSettings(settings).store(kFolderMyMusic, folder("music").toStdString());
    // The wizard's console starts the sound system: a silent default device keeps the
    // machine's sound plug-ins, loaded and unloaded again, out of this test.
    const std::string alsa = tmp.file("asound.conf");
    std::ofstream(alsa) << "pcm.!default { type null }\n";
    setenv("ALSA_CONFIG_PATH", alsa.c_str(), 1);
    // Each wizard that opens is cancelled at once; its caption is noted.
    QStringList opened;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&opened] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* wizard = qobject_cast<WizardFrame*>(modal)) {
            opened << wizard->windowTitle();
            wizard->third();
        }
    });
    closer.start();
    CQuillonApp started(settings, watcher, folder("program"), folder("data"));
    ASSERT_TRUE(started.initInstance({"/Dialog:LPToCD", "/Dialog:TapeToCD"}, false));
    QApplication::processEvents();
    EXPECT_EQ(started.frame()->commandLog(), (std::vector<int>{cmd::kLpToCdWizard, cmd::kTapeToCdWizard}));
    opened.sort();
    EXPECT_EQ(opened, (QStringList{"Cassette to CD Wizard", "LP to CD Wizard"})) << watcher.messages().size();
}

} // namespace
} // namespace quillon::test

namespace quillon::test {
namespace {

TEST_F(MainFrameTest, TheMasterKnobsSetTheOutputDeviceAndTheStripCarriesTheTransport)
{
    CMasterView* master = frame().masterView();
    ASSERT_NE(master, nullptr);
    ASSERT_NE(frame().trackHeaders(), nullptr);
    WaveOutputDevice& device = app->transport()->engine().device();
    EXPECT_EQ(device.volume(), WaveOutputDevice::kFullVolume);
    master->panKnob()->setValue(99);
    master->panKnob()->setFocus();
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(master->panKnob(), &up); // fully right at 0 dB
    EXPECT_EQ(device.volume(), 0xFFFF0000u);

    const QList<QAction*> actions = master->transportBar()->actions();
    ASSERT_EQ(actions.size(), 9);
    EXPECT_EQ(actions[0], frame().action(cmd::kPlayFromCursor));
    EXPECT_EQ(actions[3], frame().action(cmd::kStopPlaying));
    EXPECT_TRUE(actions[4]->isSeparator());
    EXPECT_EQ(actions[8], frame().action(cmd::kNextCdTrack));
}

} // namespace
} // namespace quillon::test

namespace quillon::test {
namespace {

TEST_F(MainFrameTest, TheChainCommandsShowOneEditorAndTheGroupsDialogHidesIt)
{
    ASSERT_TRUE(frame().runCommand(cmd::kMasterEffectChain));
    CEffectChainEditor* editor = frame().chainEditor();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Effect Chain Editor - Master"));
    doc().setCurrentTrack(0);
    ASSERT_TRUE(frame().runCommand(cmd::kEditTrackEffectChain));
    EXPECT_EQ(frame().chainEditor(), editor);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Effect Chain Editor - Track 1"));

    bool hiddenWhileOpen = false;
    QTimer::singleShot(0, [&] {
        hiddenWhileOpen = !editor->isVisible();
        if (QWidget* dialog = QApplication::activeModalWidget())
            static_cast<QDialog*>(dialog)->accept();
    });
    ASSERT_TRUE(frame().runCommand(cmd::kAssignableGroups));
    EXPECT_TRUE(hiddenWhileOpen);
    EXPECT_FALSE(editor->isVisible());
}

// Opening a project whose audio files moved: the user is asked to search, the found file
// is used, the lost one is named, and the project opens with what was found.
TEST_F(MainFrameTest, MissingAudioFilesAreSearchedForAndTheRestIsListed)
{
    const std::string a = tone("a.wav"), b = tone("b.wav");
    answerModal<InsertPlaylistDialog>([](InsertPlaylistDialog& dialog) { dialog.accept(); });
    frame().insertFiles({QString::fromStdString(a), QString::fromStdString(b)});
    ASSERT_EQ(doc().trackAt(0)->clips().size(), 2u);
    const QString project = QString::fromStdString(tmp.file("moved.vpf"));
    ASSERT_TRUE(frame().saveProject(project));
    std::filesystem::create_directories(tmp.file("elsewhere/deep"));
    std::filesystem::rename(a, tmp.file("elsewhere/deep/a.wav"));
    std::filesystem::remove(b);
    frame().newProject();

    QString searched;
    frame().setRelinkFolderChooser([&] {
        searched = QString::fromStdString(tmp.file("elsewhere"));
        return searched;
    });
    watcher.queueAnswer(true);
    ASSERT_TRUE(frame().openProject(project));
    EXPECT_FALSE(searched.isEmpty());
    ASSERT_EQ(doc().trackAt(0)->clips().size(), 1u);
    EXPECT_EQ(doc().trackAt(0)->clips()[0]->fileName(), tmp.file("elsewhere/deep/a.wav"));
    EXPECT_TRUE(doc().isModified());
    ASSERT_FALSE(watcher.messages().empty());
    const std::string listed = watcher.messages().back();
    EXPECT_NE(listed.find(SourceRelinker::kMissingText), std::string::npos) << listed;
    EXPECT_NE(listed.find(b), std::string::npos) << listed;
}

} // namespace
} // namespace quillon::test

#include "cd/cover_hand_off.h"
#include "ui/erase_cd_dialog.h"

#include <QRadioButton>
#include <chrono>
#include <thread>

namespace quillon::test {
namespace {

TEST_F(MainFrameTest, EraseOpensTheEraseDialogOverTheShippedLibrary)
{
    // The Image Recorder is the only recorder here: it cannot erase, and says so.
    bool seen = false;
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, &seen] {
        auto* dialog = qobject_cast<EraseCdDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        seen = dialog->windowTitle() == "Erase Rewritable CD" && dialog->quickButton()->isChecked();
        EXPECT_FALSE(dialog->erase());
        dialog->reject();
    });
    timer->start();
    watcher.clear();
    ASSERT_TRUE(frame().runCommand(cmd::kEraseCd));
    EXPECT_TRUE(seen);
    EXPECT_EQ(watcher.messages(), std::vector<std::string>{"The selected recorder does not support CD-RW"});
    EXPECT_EQ(frame().action(cmd::kEraseCd)->text(), "&Erase CD Rewritable...");
}

TEST_F(MainFrameTest, TheCoverCommandHandsTheTrackListToTheDesignerAsOneArgument)
{
    // A designer that keeps what it was given: its arguments, one a line, and the file.
    const std::string got = tmp.file("got args");
    const std::string designer = tmp.file("designer.sh");
    std::ofstream(designer) << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" << got << ".part'\n"
                            << "cat \"$1\" > '" << got << ".file'\nmv '" << got << ".part' '" << got << "'\n";
    ::chmod(designer.c_str(), 0755);
    settings.writeString(SettingsRoot::LocalMachine, CoverHandOff::kDesignerKey, CoverHandOff::kDesignerValue,
                         designer);
    const QString work = folder("tmp with space");
    FolderSettings(settings).store(kFolderTemporary, work.toStdString());
    doc().setTitle("Night Drive");

    ASSERT_TRUE(frame().runCommand(cmd::kCoverDesigner));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(got) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(std::filesystem::exists(got));
    std::ifstream args(got);
    const std::string text((std::istreambuf_iterator<char>(args)), {});
    const std::string handOff = (std::filesystem::path(work.toStdString()) / "varda.cdc").string();
    EXPECT_EQ(text, handOff + "\n");
    std::ifstream file(got + ".file", std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(content.rfind("[PARAMETERS]\r\nLANGUAGE=\r\n\r\n[CDINFO]\r\nType=Audio-CD\r\nTitle=Night Drive\r\n", 0),
              0u)
        << content;
    EXPECT_EQ(frame().action(cmd::kCoverDesigner)->text(), "Open in Varda &Cover Designer...");
}

} // namespace
} // namespace quillon::test

namespace quillon::test {
namespace {

TEST_F(MainFrameTest, ACompilationGoesOutAsFlacWithItsSheetAndComesBackAsANewProject)
{
    ASSERT_TRUE(frame().insertFiles({QString::fromStdString(tone("one.wav"))}).isEmpty());
    doc().setAutoCdTracks(0);
    doc().labels().removeAll();
    doc().labels().add(0, ProjectLabel::kTrackSplit, "Only Song", "Band")->isrc = "USS1Z9900001";
    doc().setTitle("Release");
    const QString flac = QString::fromStdString(tmp.file("release.flac"));
    ASSERT_TRUE(frame().exportFlacCue(flac, 0));
    ASSERT_TRUE(std::filesystem::exists(tmp.file("release.cue")));
    ASSERT_TRUE(frame().saveProject(QString::fromStdString(tmp.file("before.vpf"))));

    ASSERT_TRUE(frame().importCueSheet(QString::fromStdString(tmp.file("release.cue"))));
    EXPECT_TRUE(frame().projectPath().isEmpty()); // a new, unsaved project
    EXPECT_TRUE(doc().isModified());
    EXPECT_EQ(doc().title(), "Release");
    CLabelList::Cursor c;
    const ProjectLabel* split = doc().labels().first(c);
    ASSERT_NE(split, nullptr);
    EXPECT_EQ(split->title, "Only Song");
    EXPECT_EQ(split->isrc, "USS1Z9900001");
    EXPECT_EQ(doc().trackAt(0)->clips().size(), 1u);

    // A sheet that cannot be read leaves the open project as it is.
    std::ofstream(tmp.file("bad.cue")) << "nothing\n";
    doc().setModified(false);
    watcher.clear();
    EXPECT_FALSE(frame().importCueSheet(QString::fromStdString(tmp.file("bad.cue"))));
    EXPECT_EQ(watcher.messages().size(), 1u);
    EXPECT_EQ(doc().title(), "Release");
    EXPECT_EQ(frame().action(cmd::kImportCueSheet)->text(), "Import CUE Sheet...");
}

} // namespace
} // namespace quillon::test
