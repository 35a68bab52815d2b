#include "app/main_frame.h"

#include "app/wave_editor_diagnosis.h"
#include "app/window_placement.h"
#include "base/prompter.h"
#include "base/settings_store.h"
#include "base/memory_stream.h"
#include "model/audio_clip.h"
#include "model/multitracker_doc.h"
#include "model/project_file.h"
#include "model/track.h"
#include "model/transform_plugin.h"
#include "plugins/class_com.h"
#include "plugins/effect_catalog.h"
#include "plugins/effect_menu.h"
#include "plugins/effect_menu_builder.h"
#include "plugins/file_filter.h"
#include "plugins/file_filter_manager.h"
#include "plugins/plugin_host.h"
#include "ui/command_ids.h"
#include "ui/grid_divisions.h"
#include "ui/multitracker_view.h"
#include "ui/project_settings_dialog.h"
#include "ui/time_formatter.h"
#include "ui/toolbar_icons.h"
#include "ui/transport_control.h"

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

// The file filter's list ("description|patterns|" pairs) as dialog filters.
QString dialogFilters(const std::string& list)
{
    const QStringList parts = QString::fromStdString(list).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString description = parts[i];
        if (!description.contains(QLatin1Char('(')))
            description += QStringLiteral(" (%1)").arg(patterns);
        filters << description;
    }
    filters << QCoreApplication::translate("CMainFrame", "All Files (*.*)").replace(QStringLiteral("*.*"), QStringLiteral("*"));
    return filters.join(QStringLiteral(";;"));
}

// A placeholder for the master strip and the track headers until they are built.
QWidget* placeholder(QLabel*& label)
{
    auto* frame = new QFrame;
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(frame);
    label = new QLabel;
    label->setAlignment(Qt::AlignCenter);
    label->setEnabled(false);
    layout->addWidget(label);
    return frame;
}

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
    QWidget* master = placeholder(m_masterLabel);
    master->setMinimumHeight(kMasterMinimumHeight);
    m_outer->addWidget(master);
    m_inner = new QSplitter(Qt::Horizontal, m_outer);
    QWidget* headers = placeholder(m_headersLabel);
    headers->setMinimumWidth(kHeaderMinimumWidth);
    m_inner->addWidget(headers);
    m_view = new CMultitrackerView(m_doc, m_inner);
    m_view->setMinimumSize(200, 120);
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
    connect(m_view, &CMultitrackerView::waveEditorRequested, this, [this] { runCommand(cmd::kWaveEditor); });

    m_doc.hints().addObserver(this);
    m_doc.setPeakPollStarter([this] { m_peakTimer.start(kPeakPollMs, this); });
    // The framework's idle update: command states and status panes follow the document.
    m_idleTimer.start(250, this);

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
    m_doc.hints().removeObserver(this);
}

// ---- building ----

QMenu* CMainFrame::addMenu(QMenu* parent, const char* title)
{
    QMenu* menu = parent ? parent->addMenu(tx(title)) : menuBar()->addMenu(tx(title));
    m_menus.emplace_back(menu, title);
    return menu;
}

QAction* CMainFrame::addCommand(QMenu* menu, int id, const char* text, const char* tip, const QKeySequence& key)
{
    auto* action = new QAction(this);
    action->setData(id);
    if (!key.isEmpty())
        action->setShortcut(key);
    const QIcon icon = toolbarIcon(id);
    if (!icon.isNull())
        action->setIcon(icon);
    if (menu)
        menu->addAction(action);
    connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    m_commands[id] = Command{action, text, tip};
    return action;
}

void CMainFrame::buildMenus()
{
    QMenu* file = addMenu(nullptr, QT_TRANSLATE_NOOP("CMainFrame", "&File"));
    addCommand(file, cmd::kNew, QT_TRANSLATE_NOOP("CMainFrame", "&New"),
               QT_TRANSLATE_NOOP("CMainFrame", "Create a new project"), QKeySequence::New);
    addCommand(file, cmd::kOpen, QT_TRANSLATE_NOOP("CMainFrame", "&Open..."),
               QT_TRANSLATE_NOOP("CMainFrame", "Open an existing project"), QKeySequence::Open);
    addCommand(file, cmd::kSave, QT_TRANSLATE_NOOP("CMainFrame", "&Save"),
               QT_TRANSLATE_NOOP("CMainFrame", "Save the active project"), QKeySequence::Save);
    addCommand(file, cmd::kSaveAs, QT_TRANSLATE_NOOP("CMainFrame", "Save &As..."),
               QT_TRANSLATE_NOOP("CMainFrame", "Save the active project with a new name"));
    file->addSeparator();
    addCommand(file, cmd::kInsertAudioFile, QT_TRANSLATE_NOOP("CMainFrame", "Insert Audio File(s)..."),
               QT_TRANSLATE_NOOP("CMainFrame", "Insert audio files at the cursor into the current track"));
    addCommand(file, cmd::kConfigureSaveOptions, QT_TRANSLATE_NOOP("CMainFrame", "Configure Save Options..."),
               QT_TRANSLATE_NOOP("CMainFrame", "Set how audio files are written"));
    file->addSeparator();
    m_fileMenu = file;
    m_recentEnd = file->addSeparator();
    addCommand(file, cmd::kExit, QT_TRANSLATE_NOOP("CMainFrame", "E&xit"),
               QT_TRANSLATE_NOOP("CMainFrame", "Quit the application; prompts to save the project"),
               QKeySequence::Quit);

    QMenu* edit = addMenu(nullptr, QT_TRANSLATE_NOOP("CMainFrame", "&Edit"));
    addCommand(edit, cmd::kUndo, QT_TRANSLATE_NOOP("CMainFrame", "&Undo"),
               QT_TRANSLATE_NOOP("CMainFrame", "Undo the last action"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    addCommand(edit, cmd::kRedo, QT_TRANSLATE_NOOP("CMainFrame", "&Redo"),
               QT_TRANSLATE_NOOP("CMainFrame", "Redo the previously undone action"), QKeySequence(Qt::CTRL | Qt::Key_Y));
    edit->addSeparator();
    addCommand(edit, cmd::kCut, QT_TRANSLATE_NOOP("CMainFrame", "Cu&t"),
               QT_TRANSLATE_NOOP("CMainFrame", "Cut the selected clips to the clipboard"), QKeySequence::Cut);
    addCommand(edit, cmd::kCopy, QT_TRANSLATE_NOOP("CMainFrame", "&Copy"),
               QT_TRANSLATE_NOOP("CMainFrame", "Copy the selected clips to the clipboard"), QKeySequence::Copy);
    addCommand(edit, cmd::kPaste, QT_TRANSLATE_NOOP("CMainFrame", "&Paste"),
               QT_TRANSLATE_NOOP("CMainFrame", "Insert the clipboard's clips at the cursor"), QKeySequence::Paste);
    addCommand(edit, cmd::kClear, QT_TRANSLATE_NOOP("CMainFrame", "&Delete"),
               QT_TRANSLATE_NOOP("CMainFrame", "Delete the selected clips"), QKeySequence(Qt::Key_Delete));
    addCommand(edit, cmd::kSelectAll, QT_TRANSLATE_NOOP("CMainFrame", "Select &All"),
               QT_TRANSLATE_NOOP("CMainFrame", "Select every clip"), QKeySequence::SelectAll);
    QMenu* following = addMenu(edit, QT_TRANSLATE_NOOP("CMainFrame", "Select all Following Clips"));
    addCommand(following, cmd::kSelectFollowingInTrack, QT_TRANSLATE_NOOP("CMainFrame", "In selected track"),
               QT_TRANSLATE_NOOP("CMainFrame", "Select the clips after the cursor in the current track"));
    addCommand(following, cmd::kSelectFollowingAllTracks, QT_TRANSLATE_NOOP("CMainFrame", "All tracks"),
               QT_TRANSLATE_NOOP("CMainFrame", "Select the clips after the cursor in every track"));

    QMenu* view = addMenu(nullptr, QT_TRANSLATE_NOOP("CMainFrame", "&View"));
    addCommand(view, cmd::kZoomIn, QT_TRANSLATE_NOOP("CMainFrame", "Zoom In"),
               QT_TRANSLATE_NOOP("CMainFrame", "Show half the time around the cursor"), QKeySequence::ZoomIn);
    addCommand(view, cmd::kZoomOut, QT_TRANSLATE_NOOP("CMainFrame", "Zoom Out"),
               QT_TRANSLATE_NOOP("CMainFrame", "Show twice the time"), QKeySequence::ZoomOut);
    addCommand(view, cmd::kShowMarkedSection, QT_TRANSLATE_NOOP("CMainFrame", "Show only Marked Section"),
               QT_TRANSLATE_NOOP("CMainFrame", "Show the marked section across the window"));
    addCommand(view, cmd::kViewWholeProject, QT_TRANSLATE_NOOP("CMainFrame", "View whole Project"),
               QT_TRANSLATE_NOOP("CMainFrame", "Show the whole project"));
    view->addSeparator();
    QMenu* formats = addMenu(view, QT_TRANSLATE_NOOP("CMainFrame", "Time Format"));
    m_timeFormats = new QActionGroup(this);
    for (QAction* a :
         {addCommand(formats, cmd::kTimeMetric, QT_TRANSLATE_NOOP("CMainFrame", "Hour : Min : Sec : MS"),
                     QT_TRANSLATE_NOOP("CMainFrame", "Display time in the metric format (Hour : Min : Sec : MS)")),
          addCommand(formats, cmd::kTimeBarsBeats, QT_TRANSLATE_NOOP("CMainFrame", "Bars and Beats"),
                     QT_TRANSLATE_NOOP("CMainFrame", "Display time in terms of bars and beats (Bar : Beat : Tick)")),
          addCommand(formats, cmd::kTimeSmpte, QT_TRANSLATE_NOOP("CMainFrame", "SMPTE (25 Frames per Second)"),
                     QT_TRANSLATE_NOOP("CMainFrame", "Display time in the European SMPTE format")),
          addCommand(formats, cmd::kTimeSamples, QT_TRANSLATE_NOOP("CMainFrame", "Sample Index"),
                     QT_TRANSLATE_NOOP("CMainFrame", "Display time as samples elapsed"))}) {
        a->setCheckable(true);
        m_timeFormats->addAction(a);
    }
    addCommand(view, cmd::kShowGrid, QT_TRANSLATE_NOOP("CMainFrame", "Show Grid"),
               QT_TRANSLATE_NOOP("CMainFrame", "Check this menu item to show grid lines in the project view"))
        ->setCheckable(true);

    QMenu* track = addMenu(nullptr, QT_TRANSLATE_NOOP("CMainFrame", "&Track"));
    addCommand(track, cmd::kInsertTrack, QT_TRANSLATE_NOOP("CMainFrame", "Insert Track"),
               QT_TRANSLATE_NOOP("CMainFrame", "Insert a new track above the current track"));
    addCommand(track, cmd::kDeleteTrack, QT_TRANSLATE_NOOP("CMainFrame", "Delete Track"),
               QT_TRANSLATE_NOOP("CMainFrame", "Delete the current track and its content"));
    addCommand(track, cmd::kTrackProperties, QT_TRANSLATE_NOOP("CMainFrame", "Track Properties..."),
               QT_TRANSLATE_NOOP("CMainFrame", "Name the current track"));
    addCommand(track, cmd::kToggleActive, QT_TRANSLATE_NOOP("CMainFrame", "Deactivate Track"),
               QT_TRANSLATE_NOOP("CMainFrame", "Deactivates the current track"));
    track->addSeparator();
    addCommand(track, cmd::kAddVolumeCurve, QT_TRANSLATE_NOOP("CMainFrame", "Add Volume Curve"),
               QT_TRANSLATE_NOOP("CMainFrame", "Add a volume envelope to the current track"));
    addCommand(track, cmd::kAddPanCurve, QT_TRANSLATE_NOOP("CMainFrame", "Add Pan Curve"),
               QT_TRANSLATE_NOOP("CMainFrame", "Add a pan envelope to the current track"));
    track->addSeparator();
    addCommand(track, cmd::kInsertCdTrackSplit, QT_TRANSLATE_NOOP("CMainFrame", "Insert CD Track Split"),
               QT_TRANSLATE_NOOP("CMainFrame", "Start a new CD track at the cursor"));
    addCommand(track, cmd::kInsertCdIndex, QT_TRANSLATE_NOOP("CMainFrame", "Insert CD Index"),
               QT_TRANSLATE_NOOP("CMainFrame", "Add a CD index at the cursor"));
    addCommand(track, cmd::kInsertLabel, QT_TRANSLATE_NOOP("CMainFrame", "Insert Label..."),
               QT_TRANSLATE_NOOP("CMainFrame", "Add a label at the cursor"));
    addCommand(track, cmd::kAdjustSilence, QT_TRANSLATE_NOOP("CMainFrame", "Adjust Silence between Tracks..."),
               QT_TRANSLATE_NOOP("CMainFrame", "Give every CD track the same pause"));

    QMenu* audio = addMenu(nullptr, QT_TRANSLATE_NOOP("CMainFrame", "&Audio"));
    addCommand(audio, cmd::kPlayFromCursor, QT_TRANSLATE_NOOP("CMainFrame", "Play from Cursor"),
               QT_TRANSLATE_NOOP("CMainFrame", "Play project from cursor"), QKeySequence(Qt::Key_Space));
    addCommand(audio, cmd::kPlayAll, QT_TRANSLATE_NOOP("CMainFrame", "Play All"),
               QT_TRANSLATE_NOOP("CMainFrame", "Plays from beginning of the project"),
               QKeySequence(Qt::SHIFT | Qt::Key_Space));
    addCommand(audio, cmd::kPlayLooped, QT_TRANSLATE_NOOP("CMainFrame", "Play Looped"),
               QT_TRANSLATE_NOOP("CMainFrame", "Plays selected area or the project in loop"))
        ->setCheckable(true);
    addCommand(audio, cmd::kStopPlaying, QT_TRANSLATE_NOOP("CMainFrame", "Stop Playing"),
               QT_TRANSLATE_NOOP("CMainFrame", "Stop playback"));
    audio->addSeparator();
    addCommand(audio, cmd::kRewind, QT_TRANSLATE_NOOP("CMainFrame", "Rewind"),
               QT_TRANSLATE_NOOP("CMainFrame", "Rewind"));
    addCommand(audio, cmd::kFastForward, QT_TRANSLATE_NOOP("CMainFrame", "Fast Forward"),
               QT_TRANSLATE_NOOP("CMainFrame", "Fast Forward"));
    addCommand(audio, cmd::kPreviousCdTrack, QT_TRANSLATE_NOOP("CMainFrame", "Go to Start"),
               QT_TRANSLATE_NOOP("CMainFrame", "Go to previous CD Track"));
    addCommand(audio, cmd::kNextCdTrack, QT_TRANSLATE_NOOP("CMainFrame", "Go to End"),
               QT_TRANSLATE_NOOP("CMainFrame", "Go to next CD Track"));

    QMenu* effects = addMenu(nullptr, QT_TRANSLATE_NOOP("CMainFrame", "E&ffects"));
    m_trackEffects = addMenu(effects, QT_TRANSLATE_NOOP("CMainFrame", "Add to Track Effect Chain"));
    m_masterEffects = addMenu(effects, QT_TRANSLATE_NOOP("CMainFrame", "Add to Master Effect Chain"));

    QMenu* tools = addMenu(nullptr, QT_TRANSLATE_NOOP("CMainFrame", "T&ools"));
    addCommand(tools, cmd::kWaveEditor, QT_TRANSLATE_NOOP("CMainFrame", "Edit Audio File in Wave Editor..."),
               QT_TRANSLATE_NOOP("CMainFrame", "Open the selected clip's file in the wave editor"));
    addCommand(tools, cmd::kBurnCd, QT_TRANSLATE_NOOP("CMainFrame", "Burn CD..."),
               QT_TRANSLATE_NOOP("CMainFrame", "Write the project to an Audio CD"));
    tools->addSeparator();
    addCommand(tools, cmd::kLpToCdWizard, QT_TRANSLATE_NOOP("CMainFrame", "LP to CD Wizard..."),
               QT_TRANSLATE_NOOP("CMainFrame", "Turn an LP recording into CD tracks"));
    addCommand(tools, cmd::kTapeToCdWizard, QT_TRANSLATE_NOOP("CMainFrame", "Cassette to CD Wizard..."),
               QT_TRANSLATE_NOOP("CMainFrame", "Turn a cassette recording into CD tracks"));

    QMenu* options = addMenu(nullptr, QT_TRANSLATE_NOOP("CMainFrame", "&Options"));
    QMenu* grid = addMenu(options, QT_TRANSLATE_NOOP("CMainFrame", "Grid"));
    m_grids = new QActionGroup(this);
    for (size_t i = 0; i < kGridDivisions.size(); ++i) {
        QAction* a = addCommand(grid, cmd::kGridFirst + int(i), kGridDivisions[i].text,
                                QT_TRANSLATE_NOOP("CMainFrame", "Snap edits to this grid"));
        a->setCheckable(true);
        m_grids->addAction(a);
    }
    addCommand(options, cmd::kProjectSettings, QT_TRANSLATE_NOOP("CMainFrame", "Project Settings..."),
               QT_TRANSLATE_NOOP("CMainFrame", "Edit the project's texts, length, tempo and meter"));

    QMenu* help = addMenu(nullptr, QT_TRANSLATE_NOOP("CMainFrame", "&Help"));
    addCommand(help, cmd::kAbout, QT_TRANSLATE_NOOP("CMainFrame", "&About Varda Quillon..."),
               QT_TRANSLATE_NOOP("CMainFrame", "Display program information and version"));
}

void CMainFrame::buildToolBar()
{
    QToolBar* bar = addToolBar(QString());
    m_toolBar = bar;
    bar->setObjectName(QStringLiteral("StandardToolBar"));
    bar->setIconSize(QSize(16, 16));
    bar->setMovable(true);
    const std::vector<int> layout = {cmd::kNew,     cmd::kOpen,     cmd::kSave,   0,
                                     cmd::kCut,     cmd::kCopy,     cmd::kPaste,  0,
                                     cmd::kUndo,    cmd::kRedo,     0,            cmd::kZoomIn,
                                     cmd::kZoomOut, cmd::kShowMarkedSection,      cmd::kViewWholeProject,
                                     0,             cmd::kInsertAudioFile,        cmd::kBurnCd,
                                     cmd::kWaveEditor};
    for (int id : layout) {
        if (id == 0)
            bar->addSeparator();
        else
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
    std::function<void(QMenu*, const EffectMenu&, int)> mirror = [&](QMenu* menu, const EffectMenu& m, int offset) {
        for (const EffectMenu::Item& item : m.items) {
            switch (item.kind) {
            case EffectMenu::Item::Kind::Separator:
                menu->addSeparator();
                break;
            case EffectMenu::Item::Kind::Submenu:
                mirror(menu->addMenu(QString::fromStdString(item.text)), *item.submenu, offset);
                break;
            case EffectMenu::Item::Kind::Command: {
                QAction* a = menu->addAction(QString::fromStdString(item.text));
                const int id = int(item.commandId) + offset;
                connect(a, &QAction::triggered, this, [this, id] { addEffect(id); });
                break;
            }
            }
        }
    };
    mirror(m_trackEffects, tree, 0);
    mirror(m_masterEffects, tree, cmd::kMasterEffectOffset);
    m_trackEffects->setEnabled(true);
    m_masterEffects->setEnabled(true);
}

void CMainFrame::retranslate()
{
    for (auto& [id, c] : m_commands) {
        c.action->setText(tx(c.text));
        c.action->setStatusTip(tx(c.tip));
        c.action->setToolTip(tx(c.text).remove(QLatin1Char('&')));
    }
    for (auto& [menu, title] : m_menus)
        menu->setTitle(tx(title));
    m_masterLabel->setText(QCoreApplication::translate("CMainFrame", "Master"));
    m_headersLabel->setText(QCoreApplication::translate("CMainFrame", "Tracks"));
    m_toolBar->setWindowTitle(QCoreApplication::translate("CMainFrame", "Standard"));
    updateCommandStates();
    updateTitle();
}

void CMainFrame::loadLanguage()
{
    m_language.load(m_programFolder, QString::fromStdString(m_settings.profileString("General", "Language", "eng")));
    retranslate();
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
    CMultitrackerView& view = *m_view;
    if (id >= cmd::kGridFirst && id < cmd::kGridFirst + int(kGridDivisions.size())) {
        m_doc.setGridDivision(kGridDivisions[size_t(id - cmd::kGridFirst)].value);
        m_settings.writeProfileInt("Grid", "SnapDivident", m_doc.gridDivision());
        m_doc.updateAllViews(kHintRefresh);
        return;
    }
    switch (id) {
    case cmd::kNew:
        if (maybeSave())
            newProject();
        break;
    case cmd::kOpen: {
        if (!maybeSave())
            break;
        const QString path = QFileDialog::getOpenFileName(this, QCoreApplication::translate("CMainFrame", "Open"), QFileInfo(m_path).absolutePath(),
                                                          tx(kProjectFilter));
        if (!path.isEmpty())
            openProject(path);
        break;
    }
    case cmd::kSave:
        if (m_path.isEmpty())
            saveAs();
        else
            saveProject(m_path);
        break;
    case cmd::kSaveAs:
        saveAs();
        break;
    case cmd::kExit:
        close();
        break;
    case cmd::kConfigureSaveOptions:
        configureSaveOptions();
        break;
    case cmd::kUndo:
    case cmd::kRedo:
        try {
            if (id == cmd::kUndo)
                m_doc.undo();
            else
                m_doc.redo();
        } catch (const std::exception& e) {
            m_prompter.showMessage(ProjectFile::loadErrorText(e), PromptIcon::Error);
        }
        break;
    case cmd::kCut:
        m_doc.cutClips();
        break;
    case cmd::kCopy:
        m_doc.copyClips();
        break;
    case cmd::kPaste:
        m_doc.pasteClips();
        break;
    case cmd::kClear:
        m_doc.deleteSelectedClips();
        break;
    case cmd::kSelectAll:
        m_doc.selectAllClips();
        break;
    case cmd::kSelectFollowingInTrack:
        m_doc.selectAllFollowing(false);
        break;
    case cmd::kSelectFollowingAllTracks:
        m_doc.selectAllFollowing(true);
        break;
    case cmd::kZoomIn:
        view.zoomIn();
        break;
    case cmd::kZoomOut:
        view.zoomOut();
        break;
    case cmd::kShowMarkedSection:
        view.showOnlyMarkedSection();
        break;
    case cmd::kViewWholeProject:
        view.viewWholeProject();
        break;
    case cmd::kTimeMetric:
    case cmd::kTimeBarsBeats:
    case cmd::kTimeSmpte:
    case cmd::kTimeSamples: {
        static const std::map<int, int32_t> codes = {{cmd::kTimeMetric, kTimeMetric},
                                                     {cmd::kTimeBarsBeats, kTimeBarsBeats},
                                                     {cmd::kTimeSmpte, kTimeSmpte},
                                                     {cmd::kTimeSamples, kTimeSamples}};
        m_doc.setTimeFormat(codes.at(id));
        m_doc.updateAllViews(kHintRefresh);
        break;
    }
    case cmd::kShowGrid:
        view.setShowGrid(!view.showGrid());
        break;
    case cmd::kInsertTrack:
        m_doc.insertTrackCommand();
        break;
    case cmd::kDeleteTrack:
        view.deleteTrack();
        break;
    case cmd::kTrackProperties:
        trackProperties();
        break;
    case cmd::kToggleActive:
        m_doc.toggleActive();
        break;
    case cmd::kAddVolumeCurve:
        m_doc.addVolumeCurve();
        break;
    case cmd::kAddPanCurve:
        m_doc.addPanCurve();
        break;
    case cmd::kInsertAudioFile:
        insertAudioFiles();
        break;
    case cmd::kInsertCdTrackSplit:
        view.insertCdTrackSplit();
        break;
    case cmd::kInsertCdIndex:
        view.insertCdIndex();
        break;
    case cmd::kInsertLabel:
        view.insertLabel();
        break;
    case cmd::kAdjustSilence:
        adjustSilence();
        break;
    // Play while playing stops where the playback is; only the Stop command returns
    // the cursor to the marked section.
    case cmd::kPlayFromCursor:
        if (view.isPlaying())
            m_transport->stopPlayback();
        else
            view.playFromCursor();
        break;
    case cmd::kPlayAll:
        if (view.isPlaying())
            m_transport->stopPlayback();
        else
            view.playAll();
        break;
    case cmd::kPlayLooped:
        m_doc.loopPlayback().store(!m_doc.loopPlayback().load());
        break;
    case cmd::kStopPlaying:
        view.stopPlaying();
        break;
    case cmd::kRewind:
        m_transport->scrub(-10);
        break;
    case cmd::kFastForward:
        m_transport->scrub(10);
        break;
    case cmd::kPreviousCdTrack:
        m_transport->previousLabel();
        break;
    case cmd::kNextCdTrack:
        m_transport->nextLabel();
        break;
    case cmd::kWaveEditor: {
        const std::vector<CAudioClip*> selected = m_doc.selectedClips();
        if (selected.size() == 1) {
            try {
                selected.front()->editInWaveEditor();
            } catch (const ClassCom&) {
                const WaveEditorDiagnosis why(m_settings, selected.front()->fileName());
                m_prompter.showMessage(std::string(kClassComError) + "\n" + why.details().toStdString(),
                                       PromptIcon::Error);
            }
        }
        break;
    }
    case cmd::kProjectSettings:
        projectSettings();
        break;
    case cmd::kAbout:
        about();
        break;
    default:
        break;
    }
}

void CMainFrame::updateCommandStates()
{
    if (m_commands.empty())
        return;
    const bool hasTransport = m_transport != nullptr;
    const bool selection = m_doc.hasSelectedClips();
    const int32_t current = m_doc.currentTrack();
    const bool trackOk = current >= 0 && current < m_doc.trackCount();
    const CTrack* track = trackOk ? m_doc.trackAt(current) : nullptr;
    auto enable = [&](int id, bool on) {
        if (QAction* a = action(id))
            a->setEnabled(on);
    };
    // Burning and the wizards arrive with their own parts.
    enable(cmd::kUndo, m_doc.canUndo());
    enable(cmd::kRedo, m_doc.canRedo());
    enable(cmd::kBurnCd, false);
    enable(cmd::kLpToCdWizard, false);
    enable(cmd::kTapeToCdWizard, false);
    enable(cmd::kCut, selection);
    enable(cmd::kCopy, selection);
    enable(cmd::kClear, selection);
    enable(cmd::kPaste, m_doc.canPaste());
    enable(cmd::kWaveEditor, m_doc.selectedClips().size() == 1);
    enable(cmd::kShowMarkedSection, m_view && m_view->canShowMarkedSection());
    enable(cmd::kDeleteTrack, m_doc.trackCount() > 1);
    enable(cmd::kTrackProperties, trackOk);
    enable(cmd::kToggleActive, trackOk);
    enable(cmd::kAddVolumeCurve, track && !track->hasCurve(0));
    enable(cmd::kAddPanCurve, track && !track->hasCurve(1));
    const bool labelsByHand = !m_doc.autoCdTracks();
    enable(cmd::kInsertCdTrackSplit, labelsByHand);
    enable(cmd::kInsertCdIndex, labelsByHand);
    enable(cmd::kInsertLabel, labelsByHand);
    for (int id : {cmd::kPlayFromCursor, cmd::kPlayAll, cmd::kStopPlaying, cmd::kRewind, cmd::kFastForward,
                   cmd::kPreviousCdTrack, cmd::kNextCdTrack})
        enable(id, hasTransport);
    if (QAction* a = action(cmd::kToggleActive))
        a->setText(track && !track->isActive() ? QCoreApplication::translate("CMainFrame", "Activate Track") : QCoreApplication::translate("CMainFrame", "Deactivate Track"));
    if (QAction* a = action(cmd::kPlayLooped))
        a->setChecked(m_doc.loopPlayback().load());
    if (QAction* a = action(cmd::kShowGrid))
        a->setChecked(m_view && m_view->showGrid());
    const std::map<int32_t, int> formatIds = {{kTimeMetric, cmd::kTimeMetric},
                                              {kTimeBarsBeats, cmd::kTimeBarsBeats},
                                              {kTimeSmpte, cmd::kTimeSmpte},
                                              {kTimeSamples, cmd::kTimeSamples}};
    for (auto [code, id] : formatIds)
        action(id)->setChecked(m_doc.timeFormat() == code);
    for (size_t i = 0; i < kGridDivisions.size(); ++i)
        action(cmd::kGridFirst + int(i))->setChecked(m_doc.gridDivision() == kGridDivisions[i].value);
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
    QMainWindow::timerEvent(event);
}

// ---- project files ----

void CMainFrame::updateTitle()
{
    const QString name = m_path.isEmpty() ? QCoreApplication::translate("CMainFrame", "Untitled") : QFileInfo(m_path).completeBaseName();
    setWindowTitle(QStringLiteral("%1%2 - %3").arg(name, m_doc.isModified() ? QStringLiteral("*") : QString(),
                                                   QApplication::applicationDisplayName()));
}

void CMainFrame::newProject()
{
    m_doc.onNewDocument();
    m_path.clear();
    m_view->setVisibleRange(SampleRange(0, CMultitrackerView::kInitialVisibleEnd));
    updateTitle();
}

bool CMainFrame::openProject(const QString& path)
{
    std::string error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The file is read into a document of its own first: a file that is no project
    // must not cost the project that is open, nor show it half torn down behind the
    // message. Only a load that succeeded is taken over.
    bool ok = false;
    {
        CMultitrackerDoc trial(m_settings, m_prompter);
        ok = ProjectFile::load(trial, path.toStdString(), error);
    }
    if (ok) {
        std::unique_ptr<MemoryStream> before = m_doc.takeSnapshot();
        ok = ProjectFile::load(m_doc, path.toStdString(), error);
        if (!ok && before) {
            // The file changed between the two reads: put the old project back.
            std::string ignored;
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
    m_path = QFileInfo(path).absoluteFilePath();
    addRecent(m_path);
    m_doc.updateAllViews(kHintStructure);
    m_view->viewWholeProject();
    updateTitle();
    return true;
}

bool CMainFrame::saveProject(const QString& path)
{
    std::string error;
    bool ok = false;
    try {
        ok = ProjectFile::save(m_doc, path.toStdString(), error);
    } catch (const ClassCom&) {
        error = kClassComError;
    }
    if (!ok) {
        m_prompter.showMessage(error, PromptIcon::Error);
        return false;
    }
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
    QMenu menu(this);
    QAction* insert = menu.addAction(QCoreApplication::translate("CMainFrame", "Insert Audio File(s)..."));
    menu.setDefaultAction(insert);
    connect(insert, &QAction::triggered, this, [this] { runCommand(cmd::kInsertAudioFile); });
    menu.addSeparator();
    for (int id : {cmd::kInsertTrack, cmd::kDeleteTrack, cmd::kTrackProperties, cmd::kToggleActive})
        menu.addAction(action(id));
    menu.addSeparator();
    menu.addAction(action(cmd::kAddVolumeCurve));
    menu.addAction(action(cmd::kAddPanCurve));
    menu.addSeparator();
    for (int id : {cmd::kInsertCdTrackSplit, cmd::kInsertCdIndex, cmd::kInsertLabel})
        menu.addAction(action(id));
    updateCommandStates();
    menu.exec(globalPos);
}

void CMainFrame::insertAudioFiles()
{
    std::string list;
    if (!m_doc.fileFilterText(list))
        return;
    const QStringList files =
        QFileDialog::getOpenFileNames(this, QCoreApplication::translate("CMainFrame", "Insert Audio File(s)"), QString(), dialogFilters(list));
    if (files.isEmpty())
        return;
    insertFiles(files);
}

QStringList CMainFrame::insertFiles(const QStringList& files)
{
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
    if (!names.empty())
        m_doc.insertAudioFiles(names, 0);
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
    ProjectSettingsDialog dialog(m_doc.projectSettings(), this);
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
    m_doc.openUndoStep();
    m_doc.adjustSilence(seconds);
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
        effect->setFormat(m_doc.sampleRate(), m_doc.format().nChannels);
        m_doc.openUndoStep();
        {
            std::lock_guard guard(m_doc.lock());
            EffectChain& chain = master ? m_doc.masterChain() : m_doc.trackAt(current)->effects();
            chain.append(std::move(effect));
        }
        m_doc.setModified();
        m_doc.updateAllViews(kHintStructure);
        showStatusMessage(master ? QCoreApplication::translate("CMainFrame", "Effect added to the master chain.")
                                 : QCoreApplication::translate("CMainFrame", "Effect added to the chain of track %1.").arg(current + 1));
    } catch (const ClassCom&) {
        m_prompter.showMessage(kClassComError, PromptIcon::Error);
    }
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
