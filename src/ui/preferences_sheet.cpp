#include "ui/preferences_sheet.h"

#include "base/prompter.h"
#include "base/settings_store.h"
#include "model/multitracker_doc.h"
#include "plugins/class_com.h"
#include "plugins/file_filter.h"
#include "plugins/plugin_host.h"
#include "ui/directory_page.h"
#include "ui/general_prefs.h"
#include "ui/project_info_page.h"
#include "ui/view_prefs.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

namespace quillon {

namespace {

constexpr const char* kGeneral = "General";
constexpr const char* kView = "View";

GeneralPrefsValues generalValues(const CMultitrackerDoc& doc, const SettingsStore& settings)
{
    GeneralPrefsValues v;
    v.autoTracks = doc.autoCdTracks() != 0;
    v.undoLevels = doc.undoLevels() < 0 ? -1 : doc.undoLevels();
    v.startupTracks = settings.profileInt(kGeneral, "StartupTracks", 1);
    v.pauseSeconds = settings.profileInt(kGeneral, "DefaultPauseLength", 0) * 0.1;
    v.exportFormat = settings.profileInt(kGeneral, "DefExportFormat", -1);
    return v;
}

// The file filter's export formats; none (after the message) when no filter can be made.
std::vector<std::string> exportFormats(Prompter& prompter)
{
    try {
        PluginHost* host = PluginHost::current();
        if (!host)
            throw ClassCom(QUILLON_E_NO_CLASS);
        return FileFilter::create(*host).exportFormatNames();
    } catch (const ClassCom&) {
        prompter.showMessage(kClassComMessage, PromptIcon::Error);
        return {};
    }
}

} // namespace

PreferencesSheet::PreferencesSheet(CMultitrackerDoc& doc, SettingsStore& settings, Prompter& prompter,
                                   QWidget* parent)
    : QDialog(parent), m_doc(doc), m_settings(settings),
      m_general(new CGeneralPrefs(generalValues(doc, settings), exportFormats(prompter))),
      m_view(new CViewPrefs(doc.scaleTrackHeights() != 0, doc.showClipText() != 0)),
      m_defaults(new CProjectInfoPage({std::string(), settings.profileString(kGeneral, "Default-Artist", ""),
                                       settings.profileString(kGeneral, "Default-Notes", ""),
                                       settings.profileInt(kGeneral, "Default-ProjectLength", 80)},
                                      false)),
      m_directories(new CDirectoryPage(settings))
{
    setWindowTitle(tr("Preferences"));
    auto* tabs = new QTabWidget;
    tabs->addTab(m_general, tr("General"));
    tabs->addTab(m_view, tr("View"));
    tabs->addTab(m_defaults, tr("Project Defaults"));
    tabs->addTab(m_directories, tr("Directories"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
}

void PreferencesSheet::apply()
{
    const GeneralPrefsValues g = m_general->values();
    const bool scale = m_view->scaleTrackHeights();
    const bool clipText = m_view->showClipText();
    m_doc.setUndoLevels(g.undoLevels);
    m_doc.setAutoCdTracks(g.autoTracks ? 1 : 0);
    m_doc.setScaleTrackHeights(scale ? 1 : 0);
    m_doc.setShowClipText(clipText ? 1 : 0);
    m_doc.setDefaultPauseLength(float(g.pauseSeconds));

    const ProjectInfoValues d = m_defaults->values();
    m_settings.writeProfileString(kGeneral, "Default-Artist", d.artist);
    m_settings.writeProfileString(kGeneral, "Default-Notes", d.notes);
    m_settings.writeProfileInt(kGeneral, "Default-ProjectLength", d.lengthMinutes);
    m_settings.writeProfileInt(kGeneral, "UndoLevels", g.undoLevels);
    m_settings.writeProfileInt(kGeneral, "StartupTracks", g.startupTracks);
    m_settings.writeProfileInt(kGeneral, "AutoTracks", g.autoTracks ? 1 : 0);
    m_settings.writeProfileInt(kView, "ScaleTrackHeights", scale ? 1 : 0);
    m_settings.writeProfileInt(kView, "ShowClipText", clipText ? 1 : 0);
    m_settings.writeProfileInt(kGeneral, "DefaultPauseLength", CGeneralPrefs::pauseTenths(g.pauseSeconds));
    m_settings.writeProfileInt(kGeneral, "DefExportFormat", g.exportFormat);
    m_directories->store();
}

void PreferencesSheet::accept()
{
    apply();
    QDialog::accept();
}

} // namespace quillon
