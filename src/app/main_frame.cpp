#include "app/main_frame.h"

#include "app/wave_editor_diagnosis.h"
#include "app/window_placement.h"
#include "base/prompter.h"
#include "base/settings_store.h"
#include "base/memory_stream.h"
#include "model/audio_clip.h"
#include "model/multitracker_doc.h"
#include "model/project_file.h"
#include "model/project_recovery.h"
#include "model/source_relinker.h"
#include "model/track.h"
#include "model/transform_plugin.h"
#include "plugins/class_com.h"
#include "plugins/effect_catalog.h"
#include "plugins/effect_menu.h"
#include "plugins/effect_menu_builder.h"
#include "plugins/file_filter.h"
#include "plugins/file_filter_manager.h"
#include "plugins/plugin_host.h"
#include "ui/assignable_groups_dialog.h"
#include "cd/cover_hand_off.h"
#include "cd/cue_export.h"
#include "cd/cue_import.h"
#include "engine/job_runner.h"
#include "ui/audio_cd_recorder_dialog.h"
#include "ui/clip_tool.h"
#include "ui/command_ids.h"
#include "ui/curve_tool.h"
#include "ui/effect_chain_editor.h"
#include "ui/erase_cd_dialog.h"
#include "ui/grid_divisions.h"
#include "ui/marker_strip_tool.h"
#include "ui/multitracker_view.h"
#include "ui/plugin_texts.h"
#include "ui/preferences_sheet.h"
#include "ui/project_settings_dialog.h"
#include "ui/cd_wizard.h"
#include "ui/time_formatter.h"
#include "ui/toolbar_icons.h"
#include "ui/master_view.h"
#include "ui/track_info_view.h"
#include "ui/transport_control.h"
// Recording, export, playlists and devices.
#include "engine/audio_exporter.h"
#include "engine/cd_track_export.h"
#include "model/playlist_reader.h"
#include "ui/audio_file_export_dialog.h"
#include "ui/cd_track_export_dialog.h"
#include "ui/device_settings_dialog.h"
#include "ui/file_dialog_filters.h"
#include "ui/insert_playlist_dialog.h"
#include "ui/job_progress_dialog.h"
#include "ui/qt_folder_chooser.h"
#include "ui/recording_console.h"
#include "ui/recording_settings_dialog.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTimerEvent>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <map>
#include <string_view>

namespace quillon {

namespace {

constexpr const char* kContext = "CMainFrame";
constexpr const char* kClassComError = "Unable to create instance of class com interface (ClassCom Error).";

QString tx(const char* text) { return QCoreApplication::translate(kContext, text); }

constexpr const char* kUnreadableFilesText =
    QT_TRANSLATE_NOOP("CMainFrame", "These files could not be read as audio and were not inserted:");

// %1: the wizard's name.
constexpr const char* kWizardUnavailableText = QT_TRANSLATE_NOOP("CMainFrame", "The %1 is not available yet.");

constexpr const char* kProjectFilter = QT_TRANSLATE_NOOP("CMainFrame", "Varda Quillon Project Files (*.vpf)");

} // namespace

CMainFrame::CMainFrame(CMultitrackerDoc& doc, SettingsStore& settings, Prompter& prompter,
                       const QString& programFolder, QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_settings(settings), m_prompter(prompter), m_programFolder(programFolder),
      m_language(prompter)
{
    setObjectName(QStringLiteral("CMainFrame"));
    buildStatusBar();
    buildMenus();
    buildToolBar();

    m_outer = new QSplitter(Qt::Vertical, this);
    m_view = new CMultitrackerView(m_doc);
    m_master = new CMasterView(m_doc, *m_view);
    m_master->setMinimumHeight(kMasterMinimumHeight);
    // The transport toolbar of the master strip runs the window's own commands.
    for (int id : {cmd::kPlayFromCursor, cmd::kPlayAll, cmd::kPlayLooped, cmd::kStopPlaying, 0, cmd::kPreviousCdTrack,
                   cmd::kRewind, cmd::kFastForward, cmd::kNextCdTrack}) {
        if (id == 0)
            m_master->transportBar()->addSeparator();
        else if (QAction* a = action(id))
            m_master->transportBar()->addAction(a);
    }
    m_outer->addWidget(m_master);
    m_inner = new QSplitter(Qt::Horizontal, m_outer);
    m_view->setMinimumSize(200, 120);
    m_view->addTool(std::make_unique<MarkerStripTool>(*m_view));
    m_view->addTool(std::make_unique<CurveTool>(*m_view));
    m_view->addTool(std::make_unique<ClipTool>(*m_view));
    m_headers = new CTrackInfoView(m_doc, m_view);
    m_headers->setMinimumWidth(kHeaderMinimumWidth);
    m_inner->addWidget(m_headers);
    m_inner->addWidget(m_view);
    m_inner->setSizes({kHeaderIdealWidth, 800});
    m_inner->setStretchFactor(1, 1);
    m_outer->addWidget(m_inner);
    m_outer->setSizes({kMasterIdealHeight, 500});
    m_outer->setStretchFactor(1, 1);
    setCentralWidget(m_outer);
    resize(1000, 700);

    connect(m_view, &CMultitrackerView::statusMessage, this, &CMainFrame::showStatusMessage);
    connect(m_view, &CMultitrackerView::trackContextMenuRequested, this, &CMainFrame::showTrackMenu);
    connect(m_headers, &CTrackInfoView::trackContextMenuRequested, this, &CMainFrame::showTrackMenu);
    connect(m_view, &CMultitrackerView::waveEditorRequested, this, [this] { runCommand(cmd::kWaveEditor); });

    m_folderChooser = std::make_unique<QtFolderChooser>(this);
    m_doc.setFolderChooser(m_folderChooser.get());
    m_doc.hints().addObserver(this);
    m_doc.setPeakPollStarter([this] { m_peakTimer.start(kPeakPollMs, this); });
    // The framework's idle update: command states and status panes follow the document.
    m_idleTimer.start(250, this);
    m_recovery = std::make_unique<ProjectRecovery>(m_settings, m_prompter);
    if (const int interval = m_recovery->intervalMilliseconds(); interval > 0)
        m_autosaveTimer.start(interval, this);

    for (int i = 1; i <= kRecentFiles; ++i) {
        const std::string file = m_settings.profileString("Recent File List", "File" + std::to_string(i), "");
        if (!file.empty())
            m_recent << QString::fromStdString(file);
    }
    rebuildRecentMenu();

    loadLanguage();
    updateTitle();
    updateCommandStates();
}

void CMainFrame::addRecent(const QString& path)
{
    m_recent.removeAll(path);
    m_recent.prepend(path);
    while (m_recent.size() > kRecentFiles)
        m_recent.removeLast();
    storeRecent();
}

void CMainFrame::storeRecent()
{
    for (int i = 0; i < kRecentFiles; ++i) {
        const std::string name = "File" + std::to_string(i + 1);
        if (i < m_recent.size())
            m_settings.writeProfileString("Recent File List", name, m_recent[i].toStdString());
        else
            m_settings.remove(SettingsRoot::CurrentUser, keys::section("Recent File List"), name);
    }
    rebuildRecentMenu();
}

void CMainFrame::rebuildRecentMenu()
{
    for (QAction* a : m_recentActions)
        delete a;
    m_recentActions.clear();
    for (int i = 0; i < m_recent.size(); ++i) {
        const QString path = m_recent[i];
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()), this);
        a->setStatusTip(path);
        connect(a, &QAction::triggered, this, [this, path] {
            if (maybeSave())
                openProject(path);
        });
        m_fileMenu->insertAction(m_recentEnd, a);
        m_recentActions.push_back(a);
    }
    m_recentEnd->setVisible(!m_recent.isEmpty());
}

CMainFrame::~CMainFrame()
{
    m_doc.setPeakPollStarter({});
    m_doc.setFolderChooser(nullptr);
    m_doc.hints().removeObserver(this);
    delete m_chainEditor; // it observes the document too
}

// ---- building ----

// ---- the command table ----

namespace
{

// The time formats of View > Time Format: command, the document's code, text, tip.
struct TimeFormatItem {
    int id;
    int32_t code;
    const char* text;
    const char* tip;
};
constexpr TimeFormatItem kTimeFormatItems[] = {
    {cmd::kTimeMetric, kTimeMetric, QT_TRANSLATE_NOOP("CMainFrame", "Hour : Min : Sec : MS"),
     QT_TRANSLATE_NOOP("CMainFrame", "Display time in the metric format (Hour : Min : Sec : MS)")},
    {cmd::kTimeBarsBeats, kTimeBarsBeats, QT_TRANSLATE_NOOP("CMainFrame", "Bars and Beats"),
     QT_TRANSLATE_NOOP("CMainFrame", "Display time in terms of bars and beats (Bar : Beat : Tick)")},
    {cmd::kTimeSmpte, kTimeSmpte, QT_TRANSLATE_NOOP("CMainFrame", "SMPTE (25 Frames per Second)"),
     QT_TRANSLATE_NOOP("CMainFrame", "Display time in the European SMPTE format")},
    {cmd::kTimeSamples, kTimeSamples, QT_TRANSLATE_NOOP("CMainFrame", "Sample Index"),
     QT_TRANSLATE_NOOP("CMainFrame", "Display time as samples elapsed")},
};

// The menus in menu-bar order; a submenu is placed where its first command comes.
struct MenuItem {
    const char* key;
    const char* parent;
    const char* title;
};
constexpr MenuItem kMenuItems[] = {
    {"file", nullptr, QT_TRANSLATE_NOOP("CMainFrame", "&File")},
    {"edit", nullptr, QT_TRANSLATE_NOOP("CMainFrame", "&Edit")},
    {"following", "edit", QT_TRANSLATE_NOOP("CMainFrame", "Select all Following Clips")},
    {"view", nullptr, QT_TRANSLATE_NOOP("CMainFrame", "&View")},
    {"formats", "view", QT_TRANSLATE_NOOP("CMainFrame", "Time Format")},
    {"track", nullptr, QT_TRANSLATE_NOOP("CMainFrame", "&Track")},
    {"audio", nullptr, QT_TRANSLATE_NOOP("CMainFrame", "&Audio")},
    {"effects", nullptr, QT_TRANSLATE_NOOP("CMainFrame", "E&ffects")},
    {"trackEffects", "effects", QT_TRANSLATE_NOOP("CMainFrame", "Add to Track Effect Chain")},
    {"masterEffects", "effects", QT_TRANSLATE_NOOP("CMainFrame", "Add to Master Effect Chain")},
    {"tools", nullptr, QT_TRANSLATE_NOOP("CMainFrame", "T&ools")},
    {"options", nullptr, QT_TRANSLATE_NOOP("CMainFrame", "&Options")},
    {"grid", "options", QT_TRANSLATE_NOOP("CMainFrame", "Grid")},
    {"help", nullptr, QT_TRANSLATE_NOOP("CMainFrame", "&Help")},
};

} // namespace

const std::vector<CMainFrame::CommandRow>& CMainFrame::commandTable()
{
    using F = CMainFrame;
    using Row = CommandRow;
    auto always = [](const F&) { return true; };
    auto selection = [](const F& f) { return f.m_doc.hasSelectedClips(); };
    auto transport = [](const F& f) { return f.m_transport != nullptr; };
    auto track = [](const F& f) -> const CTrack* {
        const int32_t current = f.m_doc.currentTrack();
        return current >= 0 && current < f.m_doc.trackCount() ? f.m_doc.trackAt(current) : nullptr;
    };
    auto hasTrack = [track](const F& f) { return track(f) != nullptr; };
    auto labelsByHand = [](const F& f) { return !f.m_doc.autoCdTracks(); };
    // Play while playing stops where the playback is; only the Stop command returns the
    // cursor to the marked section.
    auto play = [](void (CMultitrackerView::*start)()) {
        return [start](F& f) {
            if (f.m_view->isPlaying())
                f.m_transport->stopPlayback();
            else
                (f.m_view->*start)();
        };
    };
    auto undoRedo = [](bool undo) {
        return [undo](F& f) {
            try {
                if (undo)
                    f.m_doc.undo();
                else
                    f.m_doc.redo();
            } catch (const std::exception& e) {
                f.m_prompter.showMessage(ProjectFile::loadErrorMessage(e), PromptIcon::Error);
            }
        };
    };

    static const std::vector<Row> table = [&] {
        std::vector<Row> t = {
            // id, menu, text, tip, shortcut, toolbar place (tens: its section), separator before,
            // handler, enabled, checked
            {cmd::kNew, "file", QT_TRANSLATE_NOOP("CMainFrame", "&New"),
             QT_TRANSLATE_NOOP("CMainFrame", "Create a new project"), QKeySequence::New, 11, false,
             [](F& f) {
                 if (f.maybeSave())
                     f.newProject();
             }},
            {cmd::kOpen, "file", QT_TRANSLATE_NOOP("CMainFrame", "&Open..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Open an existing project"), QKeySequence::Open, 12, false,
             [](F& f) { f.openCommand(); }},
            {cmd::kSave, "file", QT_TRANSLATE_NOOP("CMainFrame", "&Save"),
             QT_TRANSLATE_NOOP("CMainFrame", "Save the active project"), QKeySequence::Save, 13, false,
             [](F& f) {
                 if (f.m_path.isEmpty())
                     f.saveAs();
                 else
                     f.saveProject(f.m_path);
             }},
            {cmd::kSaveAs, "file", QT_TRANSLATE_NOOP("CMainFrame", "Save &As..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Save the active project with a new name"), QKeySequence(), 0, false,
             [](F& f) { f.saveAs(); }},
            {cmd::kInsertAudioFile, "file", QT_TRANSLATE_NOOP("CMainFrame", "Insert Audio File(s)..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Insert audio files at the cursor into the current track"), QKeySequence(),
             51, true, [](F& f) { f.insertAudioFiles(); }},
            {cmd::kImportCueSheet, "file", QT_TRANSLATE_NOOP("CMainFrame", "Import CUE Sheet..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Build a new project from a CUE sheet and its audio"), QKeySequence(), 0,
             true, [](F& f) { f.importCueSheet(); }},
            {cmd::kExportFlacCue, "file", QT_TRANSLATE_NOOP("CMainFrame", "Export as FLAC with CUE Sheet..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Write the compilation as one FLAC file with its CUE sheet"),
             QKeySequence(), 0, false, [](F& f) { f.exportFlacCue(); }},
            {cmd::kConfigureSaveOptions, "file", QT_TRANSLATE_NOOP("CMainFrame", "Configure Save Options..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Set how audio files are written"), QKeySequence(), 0, false,
             [](F& f) { f.configureSaveOptions(); }},
            {cmd::kExportAudioFile, "file", QT_TRANSLATE_NOOP("CMainFrame", "&Export to Audio File..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Write the whole mix into one audio file"), QKeySequence(), 0, true,
             [](F& f) { f.exportAudioFile(); }},
            {cmd::kExportCdTracks, "file", QT_TRANSLATE_NOOP("CMainFrame", "Export CD Tracks to Audio Files..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Write one audio file per CD track into a folder"), QKeySequence(), 0,
             false, [](F& f) { f.exportCdTracks(); }},
            // The recent files go before Exit (see buildMenus).
            {cmd::kExit, "file", QT_TRANSLATE_NOOP("CMainFrame", "E&xit"),
             QT_TRANSLATE_NOOP("CMainFrame", "Quit the application; prompts to save the project"), QKeySequence::Quit,
             0, true, [](F& f) { f.close(); }},

            {cmd::kUndo, "edit", QT_TRANSLATE_NOOP("CMainFrame", "&Undo"),
             QT_TRANSLATE_NOOP("CMainFrame", "Undo the last action"), QKeySequence(Qt::CTRL | Qt::Key_Z), 31, false,
             undoRedo(true), [](const F& f) { return f.m_doc.canUndo(); }},
            {cmd::kRedo, "edit", QT_TRANSLATE_NOOP("CMainFrame", "&Redo"),
             QT_TRANSLATE_NOOP("CMainFrame", "Redo the previously undone action"), QKeySequence(Qt::CTRL | Qt::Key_Y),
             32, false, undoRedo(false), [](const F& f) { return f.m_doc.canRedo(); }},
            {cmd::kCut, "edit", QT_TRANSLATE_NOOP("CMainFrame", "Cu&t"),
             QT_TRANSLATE_NOOP("CMainFrame", "Cut the selected clips to the clipboard"), QKeySequence::Cut, 21, true,
             [](F& f) { f.m_doc.cutClips(); }, selection},
            {cmd::kCopy, "edit", QT_TRANSLATE_NOOP("CMainFrame", "&Copy"),
             QT_TRANSLATE_NOOP("CMainFrame", "Copy the selected clips to the clipboard"), QKeySequence::Copy, 22, false,
             [](F& f) { f.m_doc.copyClips(); }, selection},
            {cmd::kPaste, "edit", QT_TRANSLATE_NOOP("CMainFrame", "&Paste"),
             QT_TRANSLATE_NOOP("CMainFrame", "Insert the clipboard's clips at the cursor"), QKeySequence::Paste, 23,
             false, [](F& f) { f.m_doc.pasteClips(); }, [](const F& f) { return f.m_doc.canPaste(); }},
            {cmd::kClear, "edit", QT_TRANSLATE_NOOP("CMainFrame", "&Delete"),
             QT_TRANSLATE_NOOP("CMainFrame", "Delete the selected clips"), QKeySequence(Qt::Key_Delete), 0, false,
             [](F& f) { f.m_doc.deleteSelectedClips(); }, selection},
            {cmd::kSelectAll, "edit", QT_TRANSLATE_NOOP("CMainFrame", "Select &All"),
             QT_TRANSLATE_NOOP("CMainFrame", "Select every clip"), QKeySequence::SelectAll, 0, false,
             [](F& f) { f.m_doc.selectAllClips(); }},
            {cmd::kSelectFollowingInTrack, "following", QT_TRANSLATE_NOOP("CMainFrame", "In selected track"),
             QT_TRANSLATE_NOOP("CMainFrame", "Select the clips after the cursor in the current track"), QKeySequence(),
             0, false, [](F& f) { f.m_doc.selectAllFollowing(false); }},
            {cmd::kSelectFollowingAllTracks, "following", QT_TRANSLATE_NOOP("CMainFrame", "All tracks"),
             QT_TRANSLATE_NOOP("CMainFrame", "Select the clips after the cursor in every track"), QKeySequence(), 0,
             false, [](F& f) { f.m_doc.selectAllFollowing(true); }},

            {cmd::kZoomIn, "view", QT_TRANSLATE_NOOP("CMainFrame", "Zoom In"),
             QT_TRANSLATE_NOOP("CMainFrame", "Show half the time around the cursor"), QKeySequence::ZoomIn, 41, false,
             [](F& f) { f.m_view->zoomIn(); }},
            {cmd::kZoomOut, "view", QT_TRANSLATE_NOOP("CMainFrame", "Zoom Out"),
             QT_TRANSLATE_NOOP("CMainFrame", "Show twice the time"), QKeySequence::ZoomOut, 42, false,
             [](F& f) { f.m_view->zoomOut(); }},
            {cmd::kShowMarkedSection, "view", QT_TRANSLATE_NOOP("CMainFrame", "Show only Marked Section"),
             QT_TRANSLATE_NOOP("CMainFrame", "Show the marked section across the window"), QKeySequence(), 43, false,
             [](F& f) { f.m_view->showOnlyMarkedSection(); },
             [](const F& f) { return f.m_view && f.m_view->canShowMarkedSection(); }},
            {cmd::kViewWholeProject, "view", QT_TRANSLATE_NOOP("CMainFrame", "View whole Project"),
             QT_TRANSLATE_NOOP("CMainFrame", "Show the whole project"), QKeySequence(), 44, false,
             [](F& f) { f.m_view->viewWholeProject(); }},
        };
        for (const TimeFormatItem& item : kTimeFormatItems) {
            const int32_t code = item.code;
            t.push_back({item.id, "formats", item.text, item.tip, QKeySequence(), 0, item.id == cmd::kTimeMetric,
                         [code](F& f) {
                             f.m_doc.setTimeFormat(code);
                             f.m_doc.updateAllViews(kHintRefresh);
                         },
                         always, [code](const F& f) { return f.m_doc.timeFormat() == code; }, "formats"});
        }
        const std::vector<Row> rest = {
            {cmd::kShowGrid, "view", QT_TRANSLATE_NOOP("CMainFrame", "Show Grid"),
             QT_TRANSLATE_NOOP("CMainFrame", "Check this menu item to show grid lines in the project view"),
             QKeySequence(), 0, false, [](F& f) { f.m_view->setShowGrid(!f.m_view->showGrid()); }, always,
             [](const F& f) { return f.m_view && f.m_view->showGrid(); }},

            {cmd::kInsertTrack, "track", QT_TRANSLATE_NOOP("CMainFrame", "Insert Track"),
             QT_TRANSLATE_NOOP("CMainFrame", "Insert a new track above the current track"), QKeySequence(), 0, false,
             [](F& f) { f.m_doc.insertTrackCommand(); }},
            {cmd::kDeleteTrack, "track", QT_TRANSLATE_NOOP("CMainFrame", "Delete Track"),
             QT_TRANSLATE_NOOP("CMainFrame", "Delete the current track and its content"), QKeySequence(), 0, false,
             [](F& f) { f.m_view->deleteTrack(); }, [](const F& f) { return f.m_doc.trackCount() > 1; }},
            {cmd::kTrackProperties, "track", QT_TRANSLATE_NOOP("CMainFrame", "Track Properties..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Name the current track"), QKeySequence(), 0, false,
             [](F& f) { f.trackProperties(); }, hasTrack},
            {cmd::kToggleActive, "track", QT_TRANSLATE_NOOP("CMainFrame", "Deactivate Track"),
             QT_TRANSLATE_NOOP("CMainFrame", "Deactivates the current track"), QKeySequence(), 0, false,
             [](F& f) { f.m_doc.toggleActive(); }, hasTrack, nullptr, nullptr,
             [track](const F& f) {
                 const CTrack* t = track(f);
                 return t && !t->isActive() ? QT_TRANSLATE_NOOP("CMainFrame", "Activate Track")
                                            : QT_TRANSLATE_NOOP("CMainFrame", "Deactivate Track");
             }},
            {cmd::kAddVolumeCurve, "track", QT_TRANSLATE_NOOP("CMainFrame", "Add Volume Curve"),
             QT_TRANSLATE_NOOP("CMainFrame", "Add a volume envelope to the current track"), QKeySequence(), 0, true,
             [](F& f) { f.m_doc.addVolumeCurve(); },
             [track](const F& f) { return track(f) && !track(f)->hasCurve(0); }},
            {cmd::kAddPanCurve, "track", QT_TRANSLATE_NOOP("CMainFrame", "Add Pan Curve"),
             QT_TRANSLATE_NOOP("CMainFrame", "Add a pan envelope to the current track"), QKeySequence(), 0, false,
             [](F& f) { f.m_doc.addPanCurve(); }, [track](const F& f) { return track(f) && !track(f)->hasCurve(1); }},
            {cmd::kAddAssignableGroup, "track", QT_TRANSLATE_NOOP("CMainFrame", "Add Assignable Effect Group"),
             QT_TRANSLATE_NOOP("CMainFrame", "Add an effect group that every track can send to"), QKeySequence(), 0,
             true,
             [](F& f) {
                 f.m_doc.openUndoStep();
                 f.m_doc.addGroup();
                 f.m_doc.updateAllViews(kHintStructure);
             }},
            {cmd::kToggleTrackPlayback, "track", QT_TRANSLATE_NOOP("CMainFrame", "Start or stop track playback"),
             QT_TRANSLATE_NOOP("CMainFrame", "Play the current track alone, or switch it on or off while playing"),
             QKeySequence(), 0, false, [](F& f) { f.m_headers->playButton(f.m_doc.currentTrack()); },
             [track](const F& f) { return f.m_transport && f.m_headers && track(f) && track(f)->isActive(); }},
            {cmd::kInsertCdTrackSplit, "track", QT_TRANSLATE_NOOP("CMainFrame", "Insert CD Track Split"),
             QT_TRANSLATE_NOOP("CMainFrame", "Start a new CD track at the cursor"), QKeySequence(), 0, true,
             [](F& f) { f.m_view->insertCdTrackSplit(); }, labelsByHand},
            {cmd::kInsertCdIndex, "track", QT_TRANSLATE_NOOP("CMainFrame", "Insert CD Index"),
             QT_TRANSLATE_NOOP("CMainFrame", "Add a CD index at the cursor"), QKeySequence(), 0, false,
             [](F& f) { f.m_view->insertCdIndex(); }, labelsByHand},
            {cmd::kInsertLabel, "track", QT_TRANSLATE_NOOP("CMainFrame", "Insert Label..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Add a label at the cursor"), QKeySequence(), 0, false,
             [](F& f) { f.m_view->insertLabel(); }, labelsByHand},
            {cmd::kAdjustSilence, "track", QT_TRANSLATE_NOOP("CMainFrame", "Adjust Silence between Tracks..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Give every CD track the same pause"), QKeySequence(), 0, false,
             [](F& f) { f.adjustSilence(); }},

            {cmd::kPlayFromCursor, "audio", QT_TRANSLATE_NOOP("CMainFrame", "Play from Cursor"),
             QT_TRANSLATE_NOOP("CMainFrame", "Play project from cursor"), QKeySequence(Qt::Key_Space), 0, false,
             play(&CMultitrackerView::playFromCursor), transport},
            {cmd::kPlayAll, "audio", QT_TRANSLATE_NOOP("CMainFrame", "Play All"),
             QT_TRANSLATE_NOOP("CMainFrame", "Plays from beginning of the project"),
             QKeySequence(Qt::SHIFT | Qt::Key_Space), 0, false, play(&CMultitrackerView::playAll), transport},
            {cmd::kPlayLooped, "audio", QT_TRANSLATE_NOOP("CMainFrame", "Play Looped"),
             QT_TRANSLATE_NOOP("CMainFrame", "Plays selected area or the project in loop"), QKeySequence(), 0, false,
             [](F& f) { f.m_doc.loopPlayback().store(!f.m_doc.loopPlayback().load()); }, always,
             [](const F& f) { return f.m_doc.loopPlayback().load(); }},
            {cmd::kStopPlaying, "audio", QT_TRANSLATE_NOOP("CMainFrame", "Stop Playing"),
             QT_TRANSLATE_NOOP("CMainFrame", "Stop playback"), QKeySequence(), 0, false,
             [](F& f) { f.m_view->stopPlaying(); }, transport},
            {cmd::kRewind, "audio", QT_TRANSLATE_NOOP("CMainFrame", "Rewind"),
             QT_TRANSLATE_NOOP("CMainFrame", "Rewind"), QKeySequence(), 0, true,
             [](F& f) { f.m_transport->scrub(-10); }, transport},
            {cmd::kFastForward, "audio", QT_TRANSLATE_NOOP("CMainFrame", "Fast Forward"),
             QT_TRANSLATE_NOOP("CMainFrame", "Fast Forward"), QKeySequence(), 0, false,
             [](F& f) { f.m_transport->scrub(10); }, transport},
            {cmd::kPreviousCdTrack, "audio", QT_TRANSLATE_NOOP("CMainFrame", "Go to Start"),
             QT_TRANSLATE_NOOP("CMainFrame", "Go to previous CD Track"), QKeySequence(), 0, false,
             [](F& f) { f.m_transport->previousLabel(); }, transport},
            {cmd::kNextCdTrack, "audio", QT_TRANSLATE_NOOP("CMainFrame", "Go to End"),
             QT_TRANSLATE_NOOP("CMainFrame", "Go to next CD Track"), QKeySequence(), 0, false,
             [](F& f) { f.m_transport->nextLabel(); }, transport},

            // Recording, export and devices.
            {cmd::kRecord, "audio", QT_TRANSLATE_NOOP("CMainFrame", "Record..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Record a new take at the cursor of the current track"), QKeySequence(), 0,
             true, [](F& f) { f.record(); }},

            {cmd::kWaveEditor, "tools", QT_TRANSLATE_NOOP("CMainFrame", "Edit Audio File in Wave Editor..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Open the selected clip's file in the wave editor"), QKeySequence(), 53,
             false, [](F& f) { f.editInWaveEditor(); }, [](const F& f) { return f.m_doc.selectedClips().size() == 1; }},
            {cmd::kBurnCd, "tools", QT_TRANSLATE_NOOP("CMainFrame", "Burn CD..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Write the project to an Audio CD"), QKeySequence(), 52, false,
             [](F& f) {
                 AudioCdRecorderDialog dialog(f.m_doc, f.m_settings, f.m_prompter, &f);
                 if (dialog.initialise())
                     dialog.exec();
             },
             always},
            {cmd::kEraseCd, "tools", QT_TRANSLATE_NOOP("CMainFrame", "&Erase CD Rewritable..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Erase a rewritable CD"), QKeySequence(), 0, false,
             [](F& f) {
                 f.m_doc.stopPlayback();
                 EraseCdDialog dialog(f.m_settings, f.m_prompter, &f);
                 if (dialog.initialise())
                     dialog.exec();
             },
             always},
            {cmd::kCoverDesigner, "tools", QT_TRANSLATE_NOOP("CMainFrame", "Open in Varda &Cover Designer..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Hand the CD track list to the cover designer"), QKeySequence(), 0,
             false, [](F& f) { f.startCoverDesigner(); }, always},
            {cmd::kLpToCdWizard, "tools", QT_TRANSLATE_NOOP("CMainFrame", "LP to CD Wizard..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Turn an LP recording into CD tracks"), QKeySequence(), 0, true,
             [](F& f) { f.cdWizard(true); }, always},
            {cmd::kTapeToCdWizard, "tools", QT_TRANSLATE_NOOP("CMainFrame", "Cassette to CD Wizard..."),
             QT_TRANSLATE_NOOP("CMainFrame", "Turn a cassette recording into CD tracks"), QKeySequence(), 0, false,
             [](F& f) { f.cdWizard(false); }, always},
        };
        t.insert(t.end(), rest.begin(), rest.end());
        for (size_t i = 0; i < kGridDivisions.size(); ++i) {
            const int32_t value = kGridDivisions[i].value;
            t.push_back({cmd::kGridFirst + int(i), "grid", kGridDivisions[i].text,
                         QT_TRANSLATE_NOOP("CMainFrame", "Snap edits to this grid"), QKeySequence(), 0, false,
                         [value](F& f) {
                             f.m_doc.setGridDivision(value);
                             f.m_settings.writeProfileInt("Grid", "SnapDivident", value);
                             f.m_doc.updateAllViews(kHintRefresh);
                         },
                         always, [value](const F& f) { return f.m_doc.gridDivision() == value; }, "grid"});
        }
        t.push_back({cmd::kProjectSettings, "options", QT_TRANSLATE_NOOP("CMainFrame", "Project Settings..."),
                     QT_TRANSLATE_NOOP("CMainFrame", "Edit the project's texts, length, tempo and meter"),
                     QKeySequence(), 0, false, [](F& f) { f.projectSettings(); }});
        t.push_back({cmd::kPreferences, "options", QT_TRANSLATE_NOOP("CMainFrame", "&Preferences..."),
                     QT_TRANSLATE_NOOP("CMainFrame", "Edit the program's settings and the defaults of new projects"),
                     QKeySequence(), 0, false, [](F& f) { f.preferences(); }});
        // The chain editor and the groups.
        t.push_back({cmd::kMasterEffectChain, "effects", QT_TRANSLATE_NOOP("CMainFrame", "Master Effect Chain..."),
                     QT_TRANSLATE_NOOP("CMainFrame", "Edit the effects of the master chain"), QKeySequence(), 0, false,
                     [](F& f) { f.showChainEditor(CEffectChainEditor::kModeMaster); }});
        t.push_back({cmd::kEditTrackEffectChain, "effects",
                     QT_TRANSLATE_NOOP("CMainFrame", "Edit Track &Effect Chain..."),
                     QT_TRANSLATE_NOOP("CMainFrame", "Edit the effects of the current track"), QKeySequence(), 0, false,
                     [](F& f) { f.showChainEditor(CEffectChainEditor::kModeTrack); }, hasTrack});
        t.push_back({cmd::kAssignableGroups, "effects", QT_TRANSLATE_NOOP("CMainFrame", "Assignable Effect Groups..."),
                     QT_TRANSLATE_NOOP("CMainFrame", "Add, remove and edit the assignable effect groups"),
                     QKeySequence(), 0, false, [](F& f) { f.assignableGroups(); }});
        t.push_back({cmd::kDeviceSettings, "options", QT_TRANSLATE_NOOP("CMainFrame", "Device Settings..."),
                     QT_TRANSLATE_NOOP("CMainFrame", "Choose the sound devices that record and play"),
                     QKeySequence(), 0, false, [](F& f) {
                         DeviceSettingsDialog dialog(f.m_settings, &f);
                         dialog.exec();
                     }});
        t.push_back({cmd::kAbout, "help", QT_TRANSLATE_NOOP("CMainFrame", "&About Varda Quillon..."),
                     QT_TRANSLATE_NOOP("CMainFrame", "Display program information and version"), QKeySequence(), 0,
                     false, [](F& f) { f.about(); }});
        return t;
    }();
    return table;
}

void CMainFrame::buildMenus()
{
    std::map<std::string, QMenu*> menus;
    auto create = [&](const MenuItem& item, QMenu* parent) {
        QMenu* menu = parent ? parent->addMenu(QString()) : menuBar()->addMenu(QString());
        m_menus.emplace_back(menu, item.title);
        menus[item.key] = menu;
        return menu;
    };
    for (const MenuItem& item : kMenuItems)
        if (!item.parent)
            create(item, nullptr);
    // A submenu is made where its first command comes, so it takes that place.
    auto menuOf = [&](const char* key, bool separator) {
        if (auto it = menus.find(key); it != menus.end()) {
            if (separator)
                it->second->addSeparator();
            return it->second;
        }
        for (const MenuItem& item : kMenuItems)
            if (std::string_view(item.key) == key) {
                QMenu* parent = menus.at(item.parent);
                if (separator)
                    parent->addSeparator();
                return create(item, parent);
            }
        return static_cast<QMenu*>(nullptr);
    };
    std::map<std::string, QActionGroup*> groups;
    const std::vector<CommandRow>& table = commandTable();
    for (size_t i = 0; i < table.size(); ++i) {
        const CommandRow& row = table[i];
        QMenu* menu = menuOf(row.menu, row.separator);
        if (row.id == cmd::kExit) {
            m_fileMenu = menu;
            m_recentEnd = menu->addSeparator();
        }
        auto* action = new QAction(this);
        action->setData(row.id);
        if (!row.key.isEmpty())
            action->setShortcut(row.key);
        if (const QIcon icon = toolbarIcon(row.id); !icon.isNull())
            action->setIcon(icon);
        action->setCheckable(bool(row.checked));
        if (row.group) {
            QActionGroup*& group = groups[row.group];
            if (!group)
                group = new QActionGroup(this);
            group->addAction(action);
        }
        menu->addAction(action);
        const int id = row.id;
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        m_commands[id] = Command{action, &row};
    }
    for (const char* key : {"trackEffects", "masterEffects"})
        menuOf(key, false);
    m_trackEffects = menus.at("trackEffects");
    m_masterEffects = menus.at("masterEffects");
}

void CMainFrame::buildToolBar()
{
    QToolBar* bar = addToolBar(QString());
    m_toolBar = bar;
    bar->setObjectName(QStringLiteral("StandardToolBar"));
    bar->setIconSize(QSize(16, 16));
    bar->setMovable(true);
    std::map<int, int> places; // place -> command
    for (const CommandRow& row : commandTable())
        if (row.toolbar > 0)
            places[row.toolbar] = row.id;
    int section = -1;
    for (auto [place, id] : places) {
        if (section >= 0 && place / 10 != section)
            bar->addSeparator();
        section = place / 10;
        bar->addAction(action(id));
    }
}

void CMainFrame::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    m_messagePane = new QLabel;
    bar->addWidget(m_messagePane, 1);
    auto pane = [&](const char* sample) {
        auto* label = new QLabel;
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        // The sample text sets the width, as the pane templates always have.
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(tx(sample)) + 8);
        bar->addPermanentWidget(label);
        return label;
    };
    m_lengthPane = pane(QT_TRANSLATE_NOOP("CMainFrame", "Total Project Length: 000m 00s:000"));
    m_positionPane = pane(QT_TRANSLATE_NOOP("CMainFrame", "Position 000m 00s:000"));
    m_trackPane = pane(QT_TRANSLATE_NOOP("CMainFrame", "Track 99 of 99"));
}

void CMainFrame::setEffectCatalog(const EffectCatalog* catalog)
{
    m_catalog = catalog;
    if (m_chainEditor)
        m_chainEditor->setCatalog(catalog);
    buildEffectMenus();
}

void CMainFrame::buildEffectMenus()
{
    m_trackEffects->clear();
    m_masterEffects->clear();
    if (!m_catalog || m_catalog->empty()) {
        m_trackEffects->setEnabled(false);
        m_masterEffects->setEnabled(false);
        return;
    }
    EffectMenu tree;
    EffectMenuBuilder(tree).addCatalog(*m_catalog);
    // Mirrors the tree; `offset` tells the master chain's items from the track chain's.
    std::function<void(QMenu*, const EffectMenu&, int, bool)> mirror = [&](QMenu* menu, const EffectMenu& m,
                                                                              int offset, bool translate) {
        for (const EffectMenu::Item& item : m.items) {
            switch (item.kind) {
            case EffectMenu::Item::Kind::Separator:
                menu->addSeparator();
                break;
            case EffectMenu::Item::Kind::Submenu:
                mirror(menu->addMenu(PluginTexts::menuText(item.text, translate)), *item.submenu, offset,
                       PluginTexts::translatableBelow(item.text, translate));
                break;
            case EffectMenu::Item::Kind::Command: {
                QAction* a = menu->addAction(PluginTexts::menuText(item.text, translate));
                const int id = int(item.commandId) + offset;
                connect(a, &QAction::triggered, this, [this, id] { addEffect(id); });
                break;
            }
            }
        }
    };
    mirror(m_trackEffects, tree, 0, true);
    mirror(m_masterEffects, tree, cmd::kMasterEffectOffset, true);
    m_trackEffects->setEnabled(true);
    m_masterEffects->setEnabled(true);
}

void CMainFrame::retranslate()
{
    for (auto& [id, c] : m_commands) {
        c.action->setText(tx(c.row->text));
        c.action->setStatusTip(tx(c.row->tip));
        c.action->setToolTip(tx(c.row->text).remove(QLatin1Char('&')));
    }
    for (auto& [menu, title] : m_menus)
        menu->setTitle(tx(title));
    m_toolBar->setWindowTitle(QCoreApplication::translate("CMainFrame", "Standard"));
    updateCommandStates();
    updateTitle();
}

void CMainFrame::loadLanguage()
{
    m_language.loadSetting(m_programFolder, m_settings);
    retranslate();
    // The effect menus show the servers' names as the pack has them.
    if (m_catalog)
        buildEffectMenus();
    menuBar()->update();
    update();
}

// ---- placement ----

void CMainFrame::savePlacement() { WindowPlacement::of(*this).save(m_settings); }

void CMainFrame::restorePlacement()
{
    WindowPlacement::restore(m_settings, WindowPlacement::of(*this)).applyTo(*this);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    savePlacement();
    if (!maybeSave()) {
        event->ignore();
        return;
    }
    // A clean close, saved or not: nothing is left to recover.
    m_recovery->discard();
    event->accept();
}

// ---- commands ----

QAction* CMainFrame::action(int id) const
{
    auto it = m_commands.find(id);
    return it == m_commands.end() ? nullptr : it->second.action;
}

void CMainFrame::postCommand(int id)
{
    QMetaObject::invokeMethod(this, [this, id] { runCommand(id); }, Qt::QueuedConnection);
}

bool CMainFrame::runCommand(int id)
{
    m_commandLog.push_back(id);
    updateCommandStates();
    QAction* a = action(id);
    if (!a || !a->isEnabled()) {
        // The wizards are asked for from the command line too, where a silent refusal
        // would leave the user wondering.
        if (a && (id == cmd::kLpToCdWizard || id == cmd::kTapeToCdWizard)) {
            const QString name = a->text().remove(QLatin1Char('&')).remove(QStringLiteral("..."));
            m_prompter.showMessage(tx(kWizardUnavailableText).arg(name).toStdString(), PromptIcon::Information);
        }
        return false;
    }
    handle(id);
    updateCommandStates();
    return true;
}

void CMainFrame::handle(int id)
{
    if (auto it = m_commands.find(id); it != m_commands.end())
        it->second.row->run(*this);
}

void CMainFrame::openCommand()
{
    if (!maybeSave())
        return;
    const QString path = QFileDialog::getOpenFileName(this, QCoreApplication::translate("CMainFrame", "Open"),
                                                      QFileInfo(m_path).absolutePath(), tx(kProjectFilter));
    if (!path.isEmpty())
        openProject(path);
}

void CMainFrame::editInWaveEditor()
{
    const std::vector<CAudioClip*> selected = m_doc.selectedClips();
    if (selected.size() != 1)
        return;
    try {
        selected.front()->editInWaveEditor();
    } catch (const ClassCom&) {
        const WaveEditorDiagnosis why(m_settings, selected.front()->fileName());
        m_prompter.showMessage(PromptText("%1\n%2").arg(PromptText(kClassComError)).arg(why.details().toStdString()),
                               PromptIcon::Error);
    }
}

void CMainFrame::updateCommandStates()
{
    for (auto& [id, c] : m_commands) {
        const CommandRow& row = *c.row;
        c.action->setEnabled(!row.enabled || row.enabled(*this));
        if (row.checked)
            c.action->setChecked(row.checked(*this));
        if (row.dynamicText)
            c.action->setText(tx(row.dynamicText(*this)));
    }
    updateStatusPanes();
}

// ---- status bar ----

QString CMainFrame::lengthPaneText() const
{
    TimeFormatter f = TimeFormatter::fromDocument(m_doc);
    return QCoreApplication::translate("CMainFrame", "Total Project Length:") + f.format(m_doc.projectEnd());
}

QString CMainFrame::positionPaneText() const
{
    TimeFormatter f = TimeFormatter::fromDocument(m_doc);
    return QCoreApplication::translate("CMainFrame", "Position:") + f.format(m_doc.cursor());
}

QString CMainFrame::trackPaneText() const
{
    return QCoreApplication::translate("CMainFrame", "Track %1 of %2").arg(m_doc.currentTrack() + 1).arg(m_doc.trackCount());
}

QString CMainFrame::messagePaneText() const { return m_message.isEmpty() ? QCoreApplication::translate("CMainFrame", "Ready") : m_message; }

void CMainFrame::showStatusMessage(const QString& text)
{
    m_message = text;
    m_messagePane->setText(messagePaneText());
}

void CMainFrame::updateStatusPanes()
{
    if (!m_lengthPane)
        return;
    m_lengthPane->setText(lengthPaneText());
    m_positionPane->setText(positionPaneText());
    m_trackPane->setText(trackPaneText());
    m_messagePane->setText(messagePaneText());
}

void CMainFrame::onHint(int hint, const HintPayload*)
{
    if (hint != kHintPlayPosition)
        updateCommandStates();
    else
        updateStatusPanes();
    updateTitle();
}

void CMainFrame::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_peakTimer.timerId()) {
        bool more = false;
        try {
            more = m_doc.pollPeaks();
        } catch (const ClassCom&) {
            m_prompter.showMessage(kClassComError, PromptIcon::Error);
        }
        if (!more)
            m_peakTimer.stop();
        return;
    }
    if (event->timerId() == m_idleTimer.timerId()) {
        updateCommandStates();
        return;
    }
    if (event->timerId() == m_autosaveTimer.timerId()) {
        autosave();
        return;
    }
    QMainWindow::timerEvent(event);
}

// ---- project files ----

void CMainFrame::updateTitle()
{
    const QString name = m_path.isEmpty() ? QCoreApplication::translate("CMainFrame", "Untitled") : QFileInfo(m_path).completeBaseName();
    setWindowTitle(QStringLiteral("%1%2 - %3").arg(name, m_doc.isModified() ? QStringLiteral("*") : QString(),
                                                   QApplication::applicationDisplayName()));
}

bool CMainFrame::autosave()
{
    if (!m_doc.isModified())
        return true;
    std::string error;
    if (m_recovery->autosave(m_doc, m_path.toStdString(), error)) {
        m_autosaveFailed = false;
        return true;
    }
    // Said once, not every few minutes while the folder stays unwritable.
    if (!m_autosaveFailed)
        showStatusMessage(QCoreApplication::translate("CMainFrame", "Autosave failed: %1").arg(QString::fromStdString(error)));
    m_autosaveFailed = true;
    return false;
}

bool CMainFrame::offerRecovery(bool anyProject)
{
    std::string project;
    if (m_recovery->offer(m_doc, m_path.toStdString(), anyProject, project) != ProjectRecovery::Offer::Recovered)
        return false;
    m_path = QString::fromStdString(project);
    m_doc.updateAllViews(kHintStructure);
    m_view->viewWholeProject();
    updateTitle();
    return true;
}

void CMainFrame::newProject()
{
    m_recovery->discard();
    m_doc.onNewDocument();
    m_path.clear();
    m_view->setVisibleRange(SampleRange(0, CMultitrackerView::kInitialVisibleEnd));
    updateTitle();
}

bool CMainFrame::openProject(const QString& path)
{
    PromptText error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The file is read into a document of its own first: a file that is no project
    // must not cost the project that is open, nor show it half torn down behind the
    // message. Only a load that succeeded is taken over.
    bool ok = false;
    std::vector<std::string> missing;
    {
        CMultitrackerDoc trial(m_settings, m_prompter);
        SourceRelinker probe;
        SourceRelinker::Scope scope(&probe);
        ok = ProjectFile::load(trial, path.toStdString(), error);
        missing = probe.missing();
    }
    // Missing audio files need not fail the open: the user may point to where they went.
    std::string searchFolder;
    if (ok && !missing.empty()) {
        QApplication::restoreOverrideCursor();
        if (m_prompter.askYesNo(SourceRelinker::kSearchQuestion)) {
            const QString folder =
                m_relinkFolder ? m_relinkFolder()
                               : QFileDialog::getExistingDirectory(
                                     this, QCoreApplication::translate("CMainFrame", "Search for the missing audio files"),
                                     QFileInfo(path).absolutePath());
            searchFolder = folder.toStdString();
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    SourceRelinker relinker(searchFolder);
    if (ok) {
        std::unique_ptr<MemoryStream> before = m_doc.takeSnapshot();
        {
            SourceRelinker::Scope scope(&relinker);
            ok = ProjectFile::load(m_doc, path.toStdString(), error);
        }
        // The project differs from its file now: the clips point elsewhere or are gone.
        if (ok && (!relinker.relinked().empty() || !relinker.missing().empty()))
            m_doc.setModified(true);
        if (!ok && before) {
            // The file changed between the two reads: put the old project back.
            PromptText ignored;
            const std::vector<uint8_t>& bytes = before->bytes();
            const bool modified = m_doc.isModified();
            ProjectFile::loadBytes(m_doc, bytes.data(), bytes.size(), ignored);
            m_doc.setModified(modified);
            m_doc.updateAllViews(kHintStructure);
        }
    }
    QApplication::restoreOverrideCursor();
    if (!ok) {
        m_prompter.showMessage(error, PromptIcon::Error);
        if (m_recent.removeAll(QFileInfo(path).absoluteFilePath()) > 0)
            storeRecent();
        updateTitle();
        return false;
    }
    m_recovery->discard();
    m_path = QFileInfo(path).absoluteFilePath();
    addRecent(m_path);
    m_doc.updateAllViews(kHintStructure);
    m_view->viewWholeProject();
    updateTitle();
    if (!relinker.missing().empty())
        m_prompter.showMessage(relinker.missingText(), PromptIcon::Warning);
    return true;
}

bool CMainFrame::saveProject(const QString& path)
{
    PromptText error;
    bool ok = false;
    try {
        ok = ProjectFile::save(m_doc, path.toStdString(), error);
    } catch (const ClassCom&) {
        error = PromptText(kClassComError);
    }
    if (!ok) {
        m_prompter.showMessage(error, PromptIcon::Error);
        return false;
    }
    // What the recovery file held is in the project file now.
    m_recovery->discard();
    m_path = QFileInfo(path).absoluteFilePath();
    addRecent(m_path);
    updateTitle();
    return true;
}

QString CMainFrame::projectFileName(const QString& chosen)
{
    // A name under another extension gets ours added, as desktop save dialogs do: a
    // project saved as "out.wav" would otherwise pose as audio in every file list.
    const QString extension = QString::fromLatin1(ProjectFile::kExtension);
    if (chosen.endsWith(extension, Qt::CaseInsensitive))
        return chosen;
    return chosen + extension;
}

bool CMainFrame::saveAs()
{
    QString path = QFileDialog::getSaveFileName(this, QCoreApplication::translate("CMainFrame", "Save As"), m_path, tx(kProjectFilter));
    if (path.isEmpty())
        return false;
    return saveProject(projectFileName(path));
}

bool CMainFrame::maybeSave()
{
    if (!m_doc.isModified())
        return true;
    const QString name = m_path.isEmpty() ? QCoreApplication::translate("CMainFrame", "Untitled") : QFileInfo(m_path).fileName();
    const auto answer = QMessageBox::question(this, QApplication::applicationDisplayName(),
                                              QCoreApplication::translate("CMainFrame", "Save changes to %1?").arg(name),
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::No)
        return true;
    return m_path.isEmpty() ? saveAs() : saveProject(m_path);
}

void CMainFrame::setTransport(TransportControl* transport)
{
    m_transport = transport;
    m_view->setTransport(transport);
    m_doc.setPlaybackControl(transport);
    updateCommandStates();
}

// ---- dialogs ----

void CMainFrame::showTrackMenu(const QPoint& globalPos)
{
    // "TRACKS": the Track menu's commands under the default Insert Audio File(s)...,
    // with the clip selection by track, so that a command added to the Track menu is
    // offered here as well.
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("TRACKS"));
    QAction* insert = menu.addAction(QCoreApplication::translate("CMainFrame", "Insert Audio File(s)..."));
    menu.setDefaultAction(insert);
    connect(insert, &QAction::triggered, this, [this] { runCommand(cmd::kInsertAudioFile); });
    menu.addSeparator();
    for (const CommandRow& row : commandTable()) {
        if (!row.menu || std::string_view(row.menu) != "track")
            continue;
        if (row.separator)
            menu.addSeparator();
        if (QAction* a = action(row.id))
            menu.addAction(a);
    }
    menu.addSeparator();
    QMenu* following = menu.addMenu(QCoreApplication::translate("CMainFrame", "Select all Following Clips"));
    following->addAction(action(cmd::kSelectFollowingInTrack));
    following->addAction(action(cmd::kSelectFollowingAllTracks));
    updateCommandStates();
    menu.exec(globalPos);
}

void CMainFrame::insertAudioFiles()
{
    std::string list;
    if (!m_doc.fileFilterText(list))
        return;
    const QStringList files = QFileDialog::getOpenFileNames(
        this, QCoreApplication::translate("CMainFrame", "Insert Audio File(s)"), QString(),
        FileDialogFilters::fromList(list, true));
    if (files.isEmpty())
        return;
    insertFiles(files);
}

QStringList CMainFrame::insertFiles(const QStringList& chosen)
{
    // Playlists give their entries; several files are ordered and given their overlap
    // in "Insert Playlist".
    std::vector<std::string> paths;
    for (const QString& f : chosen)
        paths.push_back(f.toStdString());
    QStringList files;
    for (const std::string& path : PlaylistReader::expand(paths))
        files << QString::fromStdString(path);
    int32_t overlap = 0;
    if (files.size() > 1) {
        InsertPlaylistDialog dialog(files, m_settings, this);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        files = dialog.files();
        overlap = dialog.overlap(m_doc.sampleRate());
    }

    // The document passes over files it cannot open without a word; each is tried here
    // first so that the user learns which ones did not arrive.
    std::vector<std::string> names;
    QStringList unreadable;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    PluginHost* host = PluginHost::current();
    for (const QString& f : files) {
        bool readable = true;
        if (host) {
            try {
                FileFilter probe = FileFilter::create(*host);
                readable = probe.openFile(f.toStdString());
            } catch (const ClassCom&) {
                readable = false;
            }
        }
        if (readable)
            names.push_back(f.toStdString());
        else
            unreadable << QDir::toNativeSeparators(f);
    }
    const bool wasEmpty = m_doc.projectEnd() == 0;
    if (!names.empty() && m_doc.insertAudioFiles(names, overlap) > 0 && wasEmpty) {
        // The first audio of a project: show it, ending just after the cursor.
        const CTrack* track = m_doc.trackAt(m_doc.currentTrack());
        const CAudioClip* last = nullptr;
        for (const CAudioClip* clip : track->clips())
            if (!last || clip->end() > last->end())
                last = clip;
        if (last) {
            const double length = double(last->end()) - last->start();
            SampleRange shown(int32_t(std::max(0.0, m_doc.cursor() - 1.1 * length)),
                              int32_t(std::min(double(INT32_MAX), m_doc.cursor() + 0.1 * length)));
            shown.clamp(SampleRange(0, m_doc.projectLength()));
            m_view->setVisibleRange(shown);
        }
    }
    QApplication::restoreOverrideCursor();
    if (!unreadable.isEmpty())
        m_prompter.showMessage(
            (tx(kUnreadableFilesText) + QLatin1Char('\n') + unreadable.join(QLatin1Char('\n'))).toStdString(),
            PromptIcon::Warning);
    return unreadable;
}

void CMainFrame::trackProperties()
{
    const int32_t current = m_doc.currentTrack();
    if (current < 0 || current >= m_doc.trackCount())
        return;
    bool ok = false;
    const QString name = QInputDialog::getText(this, QCoreApplication::translate("CMainFrame", "Track Properties"), QCoreApplication::translate("CMainFrame", "Name:"), QLineEdit::Normal,
                                               QString::fromStdString(m_doc.trackAt(current)->name()), &ok);
    if (ok)
        m_doc.setTrackName(current, name.toStdString());
}

void CMainFrame::projectSettings()
{
    ProjectSettingsDialog dialog(m_doc.projectSettings(), m_settings, m_prompter, this);
    if (dialog.exec() == QDialog::Accepted)
        m_doc.applyProjectSettings(dialog.values());
}

void CMainFrame::adjustSilence()
{
    bool ok = false;
    const double seconds = QInputDialog::getDouble(this, QCoreApplication::translate("CMainFrame", "Pause Length"), QCoreApplication::translate("CMainFrame", "Length of pauses between CD tracks:"),
                                                   0.0, 0.0, 160.0, 1, &ok);
    if (!ok)
        return;
    m_doc.adjustSilence(seconds); // one undo step, the document's own
}

void CMainFrame::configureSaveOptions()
{
    try {
        PluginHost* host = PluginHost::current();
        if (!host)
            throw ClassCom(QUILLON_E_NO_CLASS);
        FileFilterManager manager = FileFilterManager::create(*host);
        manager.configureSaveOptions();
    } catch (const ClassCom&) {
        m_prompter.showMessage(kClassComError, PromptIcon::Error);
    }
}

void CMainFrame::addEffect(int commandId)
{
    if (!m_catalog)
        return;
    const bool master = commandId >= cmd::kMasterEffectOffset;
    const EffectCatalogEntry* entry =
        m_catalog->findByCommandId(uint32_t(master ? commandId - cmd::kMasterEffectOffset : commandId));
    const int32_t current = m_doc.currentTrack();
    if (!entry || (!master && (current < 0 || current >= m_doc.trackCount())))
        return;
    try {
        std::unique_ptr<CTransformPlugin> effect = CTransformPlugin::createFromEntry(*entry, *m_catalog);
        if (!effect)
            return;
        using Kind = CMultitrackerDoc::ChainKind;
        if (!m_doc.addEffect(master ? Kind::Master : Kind::Track, current, std::move(effect)))
            return;
        m_doc.updateAllViews(kHintStructure);
        showStatusMessage(master ? QCoreApplication::translate("CMainFrame", "Effect added to the master chain.")
                                 : QCoreApplication::translate("CMainFrame", "Effect added to the chain of track %1.").arg(current + 1));
    } catch (const ClassCom&) {
        m_prompter.showMessage(kClassComError, PromptIcon::Error);
    }
}

CEffectChainEditor* CMainFrame::chainEditor()
{
    if (!m_chainEditor) {
        m_chainEditor = new CEffectChainEditor(m_doc, m_settings, m_prompter, this);
        m_chainEditor->setCatalog(m_catalog);
    }
    return m_chainEditor;
}

bool CMainFrame::showChainEditor(int mode, int group)
{
    if (mode == CEffectChainEditor::kModeHide && !m_chainEditor)
        return true;
    return chainEditor()->showChain(mode, group);
}

void CMainFrame::assignableGroups()
{
    showChainEditor(CEffectChainEditor::kModeHide);
    AssignableGroupsDialog dialog(m_doc, m_settings, m_prompter, this);
    dialog.setCatalog(m_catalog);
    dialog.exec();
    showChainEditor(CEffectChainEditor::kModeHide);
}

void CMainFrame::preferences()
{
    PreferencesSheet sheet(m_doc, m_settings, m_prompter, this);
    if (sheet.exec() != QDialog::Accepted)
        return;
    // Track heights and clip texts may have changed: the views are laid out anew.
    m_doc.updateAllViews(kHintStructure);
}

void CMainFrame::record()
{
    std::string take;
    if (!m_doc.newTakeFile(take))
        return;
    RecordingSettingsDialog settings(m_settings, QString::fromStdString(take), this);
    if (settings.exec() != QDialog::Accepted)
        return;
    RecordingConsole console(m_doc, m_settings, m_prompter, m_transport, settings.destination(), settings.bits(),
                             settings.stereo(), RecordingConsole::Mode::Console, this);
    if (console.initialise())
        console.exec();
}

void CMainFrame::cdWizard(bool lp)
{
    if (m_transport && m_transport->isPlaying())
        m_transport->stopPlayback();
    CdWizard wizard(m_doc, m_settings, m_prompter, m_transport, lp ? CdWizard::Kind::Lp : CdWizard::Kind::Cassette, this);
    if (wizard.prepare())
        wizard.exec();
}

void CMainFrame::exportAudioFile()
{
    PluginHost* host = PluginHost::current();
    if (!host) {
        m_prompter.showMessage(kClassComError, PromptIcon::Error);
        return;
    }
    AudioFileExportDialog options(m_settings, this);
    if (options.exec() != QDialog::Accepted)
        return;
    JobProgressDialog::Runner runner(this);
    AudioExporter exporter(m_doc, *host, runner, m_prompter);
    exporter.setLoudness(options.loudness());
    exporter.exportWithChoice();
}

void CMainFrame::exportCdTracks()
{
    CdTrackExportDialog dialog(CdTrackExportList(m_doc.labels(), m_doc.projectEnd()), m_settings, m_prompter, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    PluginHost* host = PluginHost::current();
    if (!host) {
        m_prompter.showMessage(kClassComError, PromptIcon::Error);
        return;
    }
    JobProgressDialog::Runner runner(this);
    AudioExporter exporter(m_doc, *host, runner, m_prompter);
    exporter.setLoudness(dialog.loudness());
    exporter.exportCdTracks(dialog.list());
}

bool CMainFrame::importCueSheet(const QString& chosen)
{
    if (!maybeSave())
        return false;
    const QString path = !chosen.isEmpty() ? chosen
                                           : QFileDialog::getOpenFileName(this, tr("Import CUE Sheet"), QString(),
                                                                          tr("CUE Sheets (*.cue);;FLAC Files with a "
                                                                             "CUE Sheet (*.flac);;All Files (*)"));
    if (path.isEmpty())
        return false;
    // Built in a document of its own: a sheet that cannot be read costs nothing.
    PromptText error;
    std::vector<uint8_t> bytes;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    {
        CMultitrackerDoc trial(m_settings, m_prompter);
        if (CueImport::import(trial, path.toStdString(), error))
            bytes = ProjectFile::storeBytes(trial);
    }
    const bool ok = !bytes.empty() && ProjectFile::loadBytes(m_doc, bytes.data(), bytes.size(), error);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        m_prompter.showMessage(error, PromptIcon::Error);
        return false;
    }
    m_path.clear();
    m_doc.setModified(true);
    m_doc.updateAllViews(kHintStructure);
    m_view->viewWholeProject();
    updateTitle();
    return true;
}

bool CMainFrame::exportFlacCue(const QString& chosen, int embed)
{
    PluginHost* host = PluginHost::current();
    if (!host)
        return false;
    QString path = !chosen.isEmpty() ? chosen
                                     : QFileDialog::getSaveFileName(this, tr("Export as FLAC with CUE Sheet"), QString(),
                                                                    tr("FLAC Files (*.flac)"));
    if (path.isEmpty())
        return false;
    if (!path.endsWith(".flac", Qt::CaseInsensitive))
        path += ".flac";
    const bool inside =
        embed >= 0 ? embed != 0
                   : m_prompter.askYesNo(tr("Put the CUE sheet inside the FLAC file? (No writes it beside the file.)")
                                             .toStdString());
    m_doc.stopPlayback();
    PollingJobRunner runner;
    runner.setProgressListener([](int, const std::string&) { QCoreApplication::processEvents(); });
    PromptText error;
    if (!CueExport::exportFlac(m_doc, *host, runner, m_prompter, path.toStdString(), inside, error)) {
        m_prompter.showMessage(error, PromptIcon::Error);
        return false;
    }
    return true;
}

void CMainFrame::startCoverDesigner()
{
    // A file that cannot be written stops the hand-off without a message; a designer
    // that does not start is not reported either.
    const std::string path = CoverHandOff::handOffPath(m_settings);
    const std::string text =
        CoverHandOff::content(m_doc.title(), m_doc.artist(), m_doc.labels(), m_doc.projectEnd(), m_doc.sampleRate());
    if (CoverHandOff::write(path, text))
        CoverHandOff::start(CoverHandOff::designerPath(m_settings), path);
}

void CMainFrame::about()
{
    QMessageBox box(this);
    box.setWindowTitle(QCoreApplication::translate("CMainFrame", "About Varda Quillon"));
    box.setIconPixmap(toolbarIcon(cmd::kBurnCd).pixmap(48, 48));
    box.setText(QStringLiteral("<b>%1</b><br>%2<br><br>%3")
                    .arg(QApplication::applicationDisplayName(),
                         QCoreApplication::translate("CMainFrame", "Version %1.%2.%3.%4")
                             .arg(QUILLON_VERSION_MAJOR)
                             .arg(QUILLON_VERSION_MINOR)
                             .arg(QUILLON_VERSION_PATCH)
                             .arg(QUILLON_VERSION_BUILD),
                         QCoreApplication::translate("CMainFrame", "Free software under the GNU General Public License, version 3 or later.")));
    box.exec();
}

} // namespace quillon
