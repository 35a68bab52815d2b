#pragma once
// The main window: menus, toolbar and status bar over the master strip, the track
// headers and the timeline; the project file commands; the window placement kept in
// "LastWindowState"; the language pack; the peak poll timer. Commands are addressed
// by number so that they can be posted (the wizard switches of the command line).
// User-interface thread only.

#include "base_qt/language_pack.h"
#include "base/view_hints.h"

#include <QBasicTimer>
#include <QKeySequence>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;

namespace quillon {

class CEffectChainEditor;
class CMultitrackerDoc;
class CMultitrackerView;
class CMasterView;
class CTrackInfoView;
class EffectCatalog;
class FolderChooser;
class Prompter;
class SettingsStore;
class TransportControl;
class ProjectRecovery;

class CMainFrame : public QMainWindow, public HintObserver {
    Q_OBJECT
public:
    static constexpr int kMasterIdealHeight = 101;
    static constexpr int kMasterMinimumHeight = 61;
    static constexpr int kHeaderIdealWidth = 150;
    static constexpr int kHeaderMinimumWidth = 110;
    static constexpr int kPeakPollMs = 500;

    // `programFolder` is where the language packs lie.
    CMainFrame(CMultitrackerDoc& doc, SettingsStore& settings, Prompter& prompter, const QString& programFolder,
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    CMultitrackerView* view() const { return m_view; }
    CTrackInfoView* trackHeaders() const { return m_headers; }
    CMasterView* masterView() const { return m_master; }
    CMultitrackerDoc& document() const { return m_doc; }
    LanguagePack& languagePack() { return m_language; }

    // Loads the pack the "Language" setting names and retranslates every text.
    void loadLanguage();
    // Restores "LastWindowState" (done once the window exists).
    void restorePlacement();
    void savePlacement();

    // Runs a command by number; false when there is none or it is disabled now.
    bool runCommand(int id);
    // Runs it once the event loop is back (after the window is up).
    void postCommand(int id);
    // Every command number run so far, in order.
    const std::vector<int>& commandLog() const { return m_commandLog; }
    QAction* action(int id) const;

    // ---- project files ----
    bool openProject(const QString& path);
    // A new project from a CUE sheet (or a FLAC file with one inside); without a path
    // the user chooses the file.
    bool importCueSheet(const QString& path = QString());
    // The compilation as one FLAC file with its CUE sheet; `embed` -1 asks the user.
    bool exportFlacCue(const QString& path = QString(), int embed = -1);
    bool saveProject(const QString& path);
    // The file Save As writes for the name the user chose: with ".vpf" added unless
    // it ends so already.
    static QString projectFileName(const QString& chosen);
    const QString& projectPath() const { return m_path; }
    // The most recently opened or saved projects, newest first (at most four), kept in
    // "Recent File List" as File1 .. File4.
    static constexpr int kRecentFiles = 4;
    const QStringList& recentFiles() const { return m_recent; }
    // Insert Audio File(s) after the dialog: playlists give their entries; several
    // files go through "Insert Playlist" (order, crossfade); the readable files go in
    // at the cursor, then one message names every file that could not be read
    // (returned as well). Nothing happens when "Insert Playlist" is cancelled.
    QStringList insertFiles(const QStringList& files);
    // A new project from the stored defaults.
    void newProject();
    // Autosave: writes the project's recovery file now when it has unsaved changes
    // (the timer does this at the "AutosaveMinutes" interval); false when it failed.
    bool autosave();
    // At start-up: offers a recovery file a crashed run left (for the open project, or
    // with `anyProject` for whichever it was); true when the user took it.
    bool offerRecovery(bool anyProject);
    ProjectRecovery& recovery() { return *m_recovery; }
    // Where opening a project with missing audio files searches for them: asks the user
    // for a folder (empty: do not search). Tests answer without a dialog.
    void setRelinkFolderChooser(std::function<QString()> chooser) { m_relinkFolder = std::move(chooser); }

    void setTransport(TransportControl* transport);
    void setEffectCatalog(const EffectCatalog* catalog);
    // The document's one modeless "Effect Chain Editor", made on first use; modes as
    // CEffectChainEditor::showChain.
    CEffectChainEditor* chainEditor();
    bool showChainEditor(int mode, int group = -1);

    // The status bar panes' current texts.
    QString lengthPaneText() const;
    QString positionPaneText() const;
    QString trackPaneText() const;
    QString messagePaneText() const;

    void onHint(int hint, const HintPayload* payload) override;

public slots:
    void updateCommandStates();
    void showStatusMessage(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

    // One row per command: everything the menus, the toolbar, the dispatch and the
    // enabling are built from.
    struct CommandRow {
        int id = 0;
        const char* menu = nullptr; // key of its menu (see kMenuItems)
        const char* text = nullptr;
        const char* tip = nullptr;
        QKeySequence key;
        int toolbar = 0;            // place on the toolbar, tens giving the section; 0: not there
        bool separator = false;     // a separator before it in its menu
        std::function<void(CMainFrame&)> run;
        std::function<bool(const CMainFrame&)> enabled; // empty: always enabled
        std::function<bool(const CMainFrame&)> checked; // empty: not checkable
        const char* group = nullptr;                    // exclusive choice it belongs to
        std::function<const char*(const CMainFrame&)> dynamicText; // empty: `text`
    };
    static const std::vector<CommandRow>& commandTable();

private:
    struct Command {
        QAction* action = nullptr;
        const CommandRow* row = nullptr;
    };

    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void buildEffectMenus();
    void retranslate();
    void updateStatusPanes();
    void updateTitle();
    bool maybeSave();
    void handle(int id);
    void openCommand();
    void editInWaveEditor();
    void showTrackMenu(const QPoint& globalPos);
    void insertAudioFiles();
    void trackProperties();
    void projectSettings();
    void adjustSilence();
    void configureSaveOptions();
    // Writes the CD track list for the cover designer and starts it.
    void startCoverDesigner();
    void about();
    // Recording, export and devices.
    void record();
    // The LP (true) or cassette to CD wizard.
    void cdWizard(bool lp);
    void exportAudioFile();
    void exportCdTracks();
    void addEffect(int commandId);
    void assignableGroups();
    void preferences();
    bool saveAs();
    void addRecent(const QString& path);
    void storeRecent();
    void rebuildRecentMenu();

    CMultitrackerDoc& m_doc;
    SettingsStore& m_settings;
    Prompter& m_prompter;
    QString m_programFolder;
    LanguagePack m_language;
    CMultitrackerView* m_view = nullptr;
    QSplitter* m_outer = nullptr;
    QSplitter* m_inner = nullptr;
    TransportControl* m_transport = nullptr;
    const EffectCatalog* m_catalog = nullptr;
    CEffectChainEditor* m_chainEditor = nullptr;
    std::map<int, Command> m_commands;
    std::vector<std::pair<QMenu*, const char*>> m_menus;
    QMenu* m_trackEffects = nullptr;
    QMenu* m_masterEffects = nullptr;
    CMasterView* m_master = nullptr;
    CTrackInfoView* m_headers = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_messagePane = nullptr;
    QLabel* m_lengthPane = nullptr;
    QLabel* m_positionPane = nullptr;
    QLabel* m_trackPane = nullptr;
    QString m_message;
    QString m_path;
    QStringList m_recent;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentEnd = nullptr;
    std::vector<QAction*> m_recentActions;
    std::vector<int> m_commandLog;
    QBasicTimer m_peakTimer;
    QBasicTimer m_idleTimer;
    QBasicTimer m_autosaveTimer;
    std::unique_ptr<ProjectRecovery> m_recovery;
    bool m_autosaveFailed = false;
    std::function<QString()> m_relinkFolder;
    std::unique_ptr<FolderChooser> m_folderChooser;
};

} // namespace quillon
